#include "win32/platform/win32_multimedia.h"

#include <windows.h>

#include <mmsystem.h>

#include <string>

#include "common/classic.h"
#include "common/error.h"
#include "win32/audio/mci_playback.h"
#include "win32/audio/multimedia_errors.h"
#include "win32/audio/wave_recording.h"
#include "win32/base/message_window.h"

namespace voxtrel::win32 {
namespace {

[[noreturn]] void ThrowNotOpen() {
  throw Error(mcierr::kNotOpen, kMultimediaSource,
              "The specified device is not open or is not recognized.");
}

class Win32MultimediaControl final : public platform::IMultimediaControl {
 public:
  Win32MultimediaControl()
      : window_([this](UINT message, WPARAM code, LPARAM deviceId) -> std::optional<LRESULT> {
          if (message != MM_MCINOTIFY) return std::nullopt;
          OnNotify(code, deviceId);
          return 0;
        }) {}
  ~Win32MultimediaControl() override { Close(); }
  Win32MultimediaControl(const Win32MultimediaControl&) = delete;
  Win32MultimediaControl& operator=(const Win32MultimediaControl&) = delete;

  void SetDeviceType(std::string_view deviceType) override { deviceType_ = deviceType; }
  void SetFileName(std::string_view path) override { fileName_ = path; }
  // Play is always asynchronous and always notifies: the core relies on its Done event.
  void SetWait(bool) override {}
  void SetShareable(bool) override {}
  void SetNotify(bool) override {}
  void SetRecordMode(std::int32_t) override {}
  void SetDoneHandler(std::function<void(std::int16_t)> handler) override {
    done_ = std::move(handler);
  }

  std::int32_t Mode() override {
    if (recording_) return recording_->Mode();
    if (playback_) return playback_->Mode();
    return platform::kMciModeNotReady;
  }

  void Command(std::string_view command) override {
    const std::string verb = classic::LCase(command);
    if (verb == "open") return Open();
    if (verb == "record") return Record();
    if (verb == "play") return Play();
    if (verb == "pause") return Pause();
    if (verb == "stop") return Stop();
    if (verb == "save") return Save();
    if (verb == "close") return Close();
    throw Error(mcierr::kCannotPlay, kMultimediaSource,
                "The multimedia command \"" + std::string(command) + "\" is not recognized.");
  }

 private:
  void Open() {
    Close();
    if (classic::LCase(deviceType_) == "waveaudio") {
      recording_ = std::make_unique<WaveRecording>(fileName_);
    } else {
      playback_ = std::make_unique<MciPlayback>(fileName_, window_.get());
    }
  }

  void Record() {
    if (!recording_) ThrowNotOpen();
    recording_->Record();
  }

  void Play() {
    if (!playback_) ThrowNotOpen();
    playback_->Play();
  }

  void Pause() {
    if (recording_) recording_->TogglePause();
    if (playback_) playback_->TogglePause();
  }

  void Stop() {
    if (recording_) recording_->Stop();
    if (playback_) playback_->Stop();
  }

  void Save() {
    if (!recording_) ThrowNotOpen();
    recording_->Save(fileName_);
  }

  void Close() {
    recording_.reset();
    if (playback_) {
      playback_.reset();
      // A closed device's notifications are no longer news; its id may be reused.
      window_.DiscardPending(MM_MCINOTIFY);
    }
  }

  // Done reports how a playback ended, however it ended. The aborted and superseded
  // notifications of this control's own Pause and resume end nothing: the device still plays
  // or pauses after them.
  void OnNotify(WPARAM code, LPARAM deviceId) {
    // Wine's mpegvideo device posts its notifications with device id 0.
    if (!playback_ || (deviceId != 0 && static_cast<LPARAM>(playback_->id()) != deviceId)) return;
    if (code == MCI_NOTIFY_ABORTED || code == MCI_NOTIFY_SUPERSEDED) {
      const std::int32_t mode = playback_->Mode();
      if (mode == MCI_MODE_PLAY || mode == MCI_MODE_PAUSE) return;
    }
    // The handler may destroy this control.
    const auto done = done_;
    if (done) done(static_cast<std::int16_t>(code));
  }

  std::string deviceType_;
  std::string fileName_;
  std::function<void(std::int16_t)> done_;
  MessageWindow window_;
  std::unique_ptr<WaveRecording> recording_;
  std::unique_ptr<MciPlayback> playback_;
};

}  // namespace

std::unique_ptr<platform::IMultimediaControl> Win32Multimedia::CreateControl() {
  return std::make_unique<Win32MultimediaControl>();
}

}  // namespace voxtrel::win32
