#include "audio/frm_audio.h"

#include "audio/audio.h"
#include "host/error_trace.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr char kScopeBox[] = "scopeBox";
constexpr char kLblTime[] = "lblTime";
constexpr char kNoTime[] = "00:00";

}  // namespace

struct frmAudio::LoadedState {
  std::uint64_t generation = 0;
  std::unique_ptr<platform::IForm> window;
  std::unique_ptr<platform::IMultimediaControl> WaveMe;
  std::unique_ptr<platform::ITimer> tmrCallBack;
  std::unique_ptr<platform::ITimer> tmrSecondCounter;
  std::unique_ptr<platform::ITimer> tmPauseDelay;
  std::unique_ptr<platform::ITimer> tmEndRecordDelay;
  std::string lblTime = kNoTime;
};

frmAudio::frmAudio() = default;

frmAudio::~frmAudio() {
  Unload();
}

platform::FormDesign frmAudio::Design() {
  // The design in pixels: a 155 x 24 strip; only the lower right part of the scope box
  // lies inside it.
  platform::FormDesign design;
  design.caption = "Scope";
  design.clientWidth = 155;
  design.clientHeight = 24;
  design.labels.push_back({kLblTime, {124, 7, 28, 13}, kNoTime});
  design.pictures.push_back({kScopeBox, {-52, -60, 171, 86}, 2});
  return design;
}

frmAudio::LoadedState& frmAudio::Load() {
  if (loaded_) return *loaded_;
  thread_local std::uint64_t loads = 0;
  const platform::Services& services = platform::Current();
  auto state = std::make_unique<LoadedState>();
  state->generation = ++loads;
  state->window = services.forms.Load(Design());
  state->WaveMe = services.multimedia.CreateControl();
  state->WaveMe->SetDoneHandler([this](std::int16_t code) {
    HandleEvent("frmAudio.WaveMe_Done} ERROR: ", [&] { WaveMe_Done(code); });
  });
  const auto timer = [&](std::uint32_t interval, void (frmAudio::*handler)(), const char* prefix) {
    auto created = services.events.CreateTimer(
        [this, handler, prefix] { HandleEvent(prefix, [&] { (this->*handler)(); }); });
    created->SetInterval(interval);
    return created;
  };
  state->tmrCallBack =
      timer(kCallBackMs, &frmAudio::tmrCallBack_Timer, "frmAudio.tmrCallBack_Timer} ERROR: ");
  state->tmrSecondCounter = timer(kSecondMs, &frmAudio::tmrSecondCounter_Timer,
                                  "frmAudio.tmrSecondCounter_Timer} ERROR: ");
  state->tmPauseDelay =
      timer(kPauseDelayMs, &frmAudio::tmPauseDelay_Timer, "frmAudio.tmPauseDelay_Timer} ERROR: ");
  state->tmEndRecordDelay = timer(kEndRecordDesignMs, &frmAudio::tmEndRecordDelay_Timer,
                                  "frmAudio.tmEndRecordDelay_Timer} ERROR: ");
  loaded_ = std::move(state);
  return *loaded_;
}

void frmAudio::Unload() {
  if (!loaded_) return;
  Form_Unload();
  loaded_.reset();
}

// The form's event handlers catch their own errors: nothing above them in the event loop
// could report one.
template <typename Handler>
void frmAudio::HandleEvent(const char* prefix, Handler handler) {
  TraceErrors(prefix, handler);
}

void frmAudio::WPlay(const std::string& WavFileName) {
  auto& control = *Load().WaveMe;
  // A recording start that failed leaves the recording device type set.
  control.SetDeviceType("");
  control.SetWait(true);
  control.SetShareable(false);
  control.SetFileName(WavFileName);
  control.Command("Open");
  control.Command("play");
}

void frmAudio::WRecord(const std::string& WavFileName) {
  auto& control = *Load().WaveMe;
  control.Command("Close");
  control.SetWait(true);
  control.SetShareable(false);
  control.SetDeviceType("WaveAudio");
  control.SetFileName(WavFileName);
  control.Command("Open");
  control.SetRecordMode(1);
  control.Command("Record");
}

void frmAudio::WResume() {
  Load().WaveMe->Command("Pause");
}

void frmAudio::WClose() {
  Load().WaveMe->Command("Close");
}

void frmAudio::WPause() {
  Load().tmPauseDelay->SetEnabled(true);
}

std::int32_t frmAudio::WStatus() {
  return Load().WaveMe->Mode();
}

void frmAudio::WSave(const std::string& theFile) {
  saveFileName = theFile;
  auto& state = Load();
  state.tmEndRecordDelay->SetInterval(kEndRecordDelayMs);
  state.tmEndRecordDelay->SetEnabled(true);
}

void frmAudio::Show() {
  Load().window->Show();
}

void frmAudio::Hide() {
  Load().window->Hide();
}

bool frmAudio::Visible() const {
  return loaded_ && loaded_->window->Visible();
}

void frmAudio::PlaceTopmost(int x, int y) {
  Load().window->PlaceTopmost(x, y);
}

platform::IDrawingSurface& frmAudio::scopeBox() {
  return Load().window->Picture(kScopeBox);
}

void frmAudio::EnableSecondCounter(bool enabled) {
  Load().tmrSecondCounter->SetEnabled(enabled);
}

void frmAudio::EnableCallBack(bool enabled) {
  Load().tmrCallBack->SetEnabled(enabled);
}

std::string frmAudio::lblTime() const {
  return loaded_ ? loaded_->lblTime : kNoTime;
}

void frmAudio::Form_Unload() {
  loaded_->WaveMe->Command("Close");
}

void frmAudio::tmPauseDelay_Timer() {
  auto& state = Load();
  state.WaveMe->Command("Pause");
  state.tmPauseDelay->SetEnabled(false);
}

void frmAudio::tmEndRecordDelay_Timer() {
  auto& state = Load();
  state.tmEndRecordDelay->SetEnabled(false);
  state.WaveMe->Command("Stop");
  state.WaveMe->SetNotify(false);
  state.WaveMe->SetWait(true);
  state.WaveMe->SetFileName(saveFileName);
  state.WaveMe->Command("Save");
}

void frmAudio::tmrCallBack_Timer() {
  // Left enabled, the timer tries again once the other object's stop is over.
  if (!Audio::MayStartCallBackLoop()) return;
  const std::uint64_t generation = Load().generation;
  // An owner that lets go inside the loop must not take this form from under it.
  const auto creator = Creator != nullptr ? Creator->weak_from_this().lock() : nullptr;
  if (Creator != nullptr) Creator->CallBackLoop(*this);
  // The loop may have unloaded this form; a form loaded since has a timer of its own.
  if (loaded_ && loaded_->generation == generation) loaded_->tmrCallBack->SetEnabled(false);
}

void frmAudio::tmrSecondCounter_Timer() {
  auto& state = Load();
  if (state.lblTime == kNoTime) {
    elapsedMinutes = 0;
    elapsedSeconds = 1;
  } else if (elapsedSeconds + 1 >= 60) {
    ++elapsedMinutes;
    elapsedSeconds = 0;
  } else {
    ++elapsedSeconds;
  }
  sTime = std::to_string(elapsedSeconds % 60);
  if (sTime.size() < 2) sTime = "0" + sTime;
  sTime = std::to_string(elapsedMinutes) + ":" + sTime;
  if (sTime.size() < 5) sTime = "0" + sTime;
  state.lblTime = sTime;
  state.window->SetLabelCaption(kLblTime, sTime);
}

void frmAudio::WaveMe_Done(std::int16_t /*NotifyCode*/) {
  const std::uint64_t generation = Load().generation;
  const auto creator = Creator != nullptr ? Creator->weak_from_this().lock() : nullptr;
  // A playback that failed or was aborted has ended as surely as one that ran out.
  if (Creator != nullptr) Creator->finishedPlaying();
  // finishedPlaying unloads the form, which already closed its control.
  if (loaded_ && loaded_->generation == generation) loaded_->WaveMe->Command("Close");
}

}  // namespace voxtrel
