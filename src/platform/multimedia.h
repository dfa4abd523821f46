#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace voxtrel::platform {

// Modes the multimedia control reports.
inline constexpr std::int32_t kMciModeNotReady = 524;
inline constexpr std::int32_t kMciModeStop = 525;
inline constexpr std::int32_t kMciModePlay = 526;
inline constexpr std::int32_t kMciModeRecord = 527;
inline constexpr std::int32_t kMciModeSeek = 528;
inline constexpr std::int32_t kMciModePause = 529;
inline constexpr std::int32_t kMciModeOpen = 530;

// Notify codes of the control's Done event.
inline constexpr std::int16_t kMciNotifySuccessful = 1;
inline constexpr std::int16_t kMciNotifySuperseded = 2;
inline constexpr std::int16_t kMciNotifyAborted = 4;
inline constexpr std::int16_t kMciNotifyFailure = 8;

// The multimedia control the audio form drives (the shape of the MCI multimedia control).
// Properties apply to the next command. Commands, in any letter case:
//   "Open"   opens FileName: as a recording device when DeviceType is "WaveAudio", else for
//            playback (the type follows from the file);
//   "Record" starts recording; the recording's format is that of the opened device element;
//   "Play"   starts playing and returns at once; the end raises Done: code 1 when it ran to
//            its end, 8 (failure) or 4 (aborted) when something else than this control's own
//            commands ended it;
//   "Pause"  pauses a recording or playback, or resumes a paused one;
//   "Stop"   stops; "Save" writes what was recorded to FileName as a WAV file, completely,
//            before it returns; "Close" closes the device and discards an unsaved recording.
// Open, Record, Play and Save throw voxtrel::Error when they fail, so a lost recording is
// never silent; Pause, Stop and Close on a device that cannot do them change nothing.
class IMultimediaControl {
 public:
  virtual ~IMultimediaControl() = default;
  virtual void SetDeviceType(std::string_view deviceType) = 0;
  virtual void SetFileName(std::string_view path) = 0;
  virtual void SetWait(bool wait) = 0;
  virtual void SetShareable(bool shareable) = 0;
  virtual void SetNotify(bool notify) = 0;
  virtual void SetRecordMode(std::int32_t recordMode) = 0;
  virtual std::int32_t Mode() = 0;
  virtual void Command(std::string_view command) = 0;
  // Done is raised from the event loop's pump, never from inside Command.
  virtual void SetDoneHandler(std::function<void(std::int16_t notifyCode)> handler) = 0;
};

class IMultimedia {
 public:
  virtual ~IMultimedia() = default;
  // A new control, closed (mode kMciModeNotReady), with its design properties.
  virtual std::unique_ptr<IMultimediaControl> CreateControl() = 0;
};

}  // namespace voxtrel::platform
