#include "sim/platform/virtual_multimedia.h"

#include <algorithm>
#include <cmath>

#include "common/classic.h"
#include "common/error.h"
#include "sim/platform/wav_bytes.h"

namespace voxtrel::sim {
namespace {

constexpr int kFileNotFound = 275;
constexpr int kCannotPlay = 304;
constexpr int kNoInputDevice = 328;
constexpr int kNotOpen = 262;
constexpr char kSource[] = "WaveMe";

// A fake encoder's output names its length as "ms=<n>".
std::uint64_t PlaybackLength(const std::string& bytes) {
  if (const auto wav = ReadWavInfo(bytes); wav && wav->format.avgBytesPerSec > 0) {
    return std::uint64_t{wav->dataBytes} * 1000 / wav->format.avgBytesPerSec;
  }
  if (const auto at = bytes.find("ms="); at != std::string::npos) {
    return std::stoull(bytes.substr(at + 3));
  }
  return VirtualMultimedia::kDefaultPlaybackMs;
}

}  // namespace

class VirtualControl final : public platform::IMultimediaControl {
 public:
  explicit VirtualControl(VirtualMultimedia& owner)
      : owner_(owner), state_(std::make_shared<Shared>()) {
    ++owner_.liveControls_;
  }
  ~VirtualControl() override {
    state_->alive = false;
    --owner_.liveControls_;
  }

  void SetDeviceType(std::string_view deviceType) override { deviceType_ = deviceType; }
  void SetFileName(std::string_view path) override { fileName_ = path; }
  void SetWait(bool) override {}
  void SetShareable(bool) override {}
  void SetNotify(bool) override {}
  void SetRecordMode(std::int32_t) override {}
  std::int32_t Mode() override { return mode_; }
  void SetDoneHandler(std::function<void(std::int16_t)> handler) override {
    state_->done = std::move(handler);
  }

  void Command(std::string_view command) override {
    const std::string verb = classic::LCase(command);
    owner_.log_.push_back(LogLine(verb));
    if (verb == "open") return Open();
    if (verb == "record") return Record();
    if (verb == "play") return Play();
    if (verb == "pause") return Pause();
    if (verb == "stop") return Stop();
    if (verb == "save") return Save();
    if (verb == "close") return Close();
    throw Error(kCannotPlay, kSource, "The specified command is not recognized.");
  }

 private:
  struct Shared {
    bool alive = true;
    std::uint64_t generation = 0;
    std::function<void(std::int16_t)> done;
  };

  std::string LogLine(const std::string& verb) const {
    std::string line(1, static_cast<char>(verb[0] - 'a' + 'A'));
    line += verb.substr(1);
    if (verb == "open" || verb == "save") line += " " + fileName_;
    if (verb == "open" && !deviceType_.empty()) line += " as " + deviceType_;
    return line;
  }

  bool Recording() const { return recordingDevice_; }
  std::uint64_t Now() const { return owner_.loop_.Now(); }

  void Open() {
    Close();
    if (!owner_.files_.Exists(fileName_)) {
      throw Error(kFileNotFound, kSource,
                  "Cannot find the specified file. Make sure the path and filename are correct.");
    }
    const std::string bytes = owner_.files_.Contents(fileName_);
    if (classic::LCase(deviceType_) == "waveaudio") {
      const auto wav = ReadWavInfo(bytes);
      if (!wav) throw Error(kCannotPlay, kSource, "The device element is not a WAV file.");
      format_ = wav->format;
      recordingDevice_ = true;
    } else {
      playbackMs_ = PlaybackLength(bytes);
      recordingDevice_ = false;
    }
    recordedMs_ = 0;
    position_ = 0;
    mode_ = platform::kMciModeStop;
  }

  void Record() {
    if (mode_ == platform::kMciModeNotReady || !Recording()) {
      throw Error(kNotOpen, kSource, "The specified device is not open or is not recognized.");
    }
    if (!owner_.captureAvailable_) {
      throw Error(kNoInputDevice, kSource, "No wave input device is available for recording.");
    }
    runningSince_ = Now();
    mode_ = platform::kMciModeRecord;
  }

  void Play() {
    if (mode_ == platform::kMciModeNotReady || Recording()) {
      throw Error(kNotOpen, kSource, "The specified device is not open or is not recognized.");
    }
    runningSince_ = Now();
    mode_ = platform::kMciModePlay;
    ScheduleEnd();
  }

  void ScheduleEnd() {
    const std::uint64_t generation = ++state_->generation;
    const std::uint64_t end = Now() + (playbackMs_ - std::min(position_, playbackMs_));
    std::weak_ptr<Shared> weak = state_;
    VirtualControl* self = this;
    owner_.loop_.PostAt(end, [weak, generation, self] {
      const auto state = weak.lock();
      if (!state || !state->alive || state->generation != generation) return;
      self->mode_ = platform::kMciModeStop;
      self->position_ = self->playbackMs_;
      if (state->done) state->done(self->owner_.playbackEnd_);
    });
  }

  // Time spent running since the last start or resume goes to the recording or the position.
  void Settle() {
    const std::uint64_t elapsed = Now() - runningSince_;
    if (mode_ == platform::kMciModeRecord) recordedMs_ += elapsed;
    if (mode_ == platform::kMciModePlay) position_ += elapsed;
    runningSince_ = Now();
  }

  void Pause() {
    if (mode_ == platform::kMciModeRecord || mode_ == platform::kMciModePlay) {
      Settle();
      pausedFrom_ = mode_;
      mode_ = platform::kMciModePause;
      ++state_->generation;
    } else if (mode_ == platform::kMciModePause) {
      mode_ = pausedFrom_;
      runningSince_ = Now();
      if (mode_ == platform::kMciModePlay) ScheduleEnd();
    }
  }

  void Stop() {
    if (mode_ == platform::kMciModeNotReady) return;
    Settle();
    ++state_->generation;
    mode_ = platform::kMciModeStop;
  }

  void Save() {
    if (mode_ == platform::kMciModeNotReady || !Recording()) {
      throw Error(kNotOpen, kSource, "The specified device is not open or is not recognized.");
    }
    Stop();
    if (owner_.saveFails_) throw Error(61, kSource, "The disk is full.");
    const auto frames = static_cast<std::size_t>(recordedMs_ * format_.samplesPerSec / 1000);
    std::string samples(frames * format_.blockAlign, '\0');
    // A quiet sine, so a saved recording is never silence.
    for (std::size_t i = 0; i < frames && format_.bitsPerSample == 16; ++i) {
      const auto value = static_cast<std::int16_t>(8000 * std::sin(static_cast<double>(i) * 0.25));
      samples[i * format_.blockAlign] = static_cast<char>(value & 0xff);
      samples[i * format_.blockAlign + 1] = static_cast<char>((value >> 8) & 0xff);
    }
    owner_.files_.WriteFile(fileName_, MakeWav(format_, samples));
  }

  void Close() {
    ++state_->generation;
    mode_ = platform::kMciModeNotReady;
    recordedMs_ = 0;
  }

  VirtualMultimedia& owner_;
  std::shared_ptr<Shared> state_;
  std::string deviceType_;
  std::string fileName_;
  std::int32_t mode_ = platform::kMciModeNotReady;
  std::int32_t pausedFrom_ = platform::kMciModeNotReady;
  bool recordingDevice_ = false;
  platform::WaveFormat format_;
  std::uint64_t runningSince_ = 0;
  std::uint64_t recordedMs_ = 0;
  std::uint64_t playbackMs_ = 0;
  std::uint64_t position_ = 0;
};

VirtualMultimedia::VirtualMultimedia(VirtualEventLoop& loop, MemoryFileSystem& files)
    : loop_(loop), files_(files) {}

VirtualMultimedia::~VirtualMultimedia() = default;

std::unique_ptr<platform::IMultimediaControl> VirtualMultimedia::CreateControl() {
  return std::make_unique<VirtualControl>(*this);
}

}  // namespace voxtrel::sim
