#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/multimedia.h"
#include "sim/platform/memory_file_system.h"
#include "sim/platform/virtual_event_loop.h"

namespace voxtrel::sim {

// The multimedia control on the virtual clock and the in-memory files. A recording lasts the
// virtual time spent recording; Save writes a WAV of that length in the device element's
// format. Playback lasts the file's length (a WAV's data, a fake MP3's "ms=" field, else
// DefaultPlaybackMs) and then raises Done(1) from a pump. Every command is logged.
class VirtualMultimedia final : public platform::IMultimedia {
 public:
  static constexpr std::uint64_t kDefaultPlaybackMs = 3000;

  VirtualMultimedia(VirtualEventLoop& loop, MemoryFileSystem& files);
  ~VirtualMultimedia() override;

  std::unique_ptr<platform::IMultimediaControl> CreateControl() override;

  // "Open C:\...\R.wav", "Record", "Save C:\...\Temp.wav", ... across all controls.
  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // Without a capture device, Record fails.
  void SetCaptureAvailable(bool available) { captureAvailable_ = available; }
  // Save writes nothing and fails, as a full disk would.
  void SetSaveFails(bool fails) { saveFails_ = fails; }
  // Playbacks end with this notify code instead of 1, as a failed or aborted device reports.
  void SetPlaybackEnd(std::int16_t notifyCode) { playbackEnd_ = notifyCode; }
  std::size_t LiveControls() const { return liveControls_; }

 private:
  friend class VirtualControl;
  VirtualEventLoop& loop_;
  MemoryFileSystem& files_;
  std::vector<std::string> log_;
  bool captureAvailable_ = true;
  bool saveFails_ = false;
  std::int16_t playbackEnd_ = platform::kMciNotifySuccessful;
  std::size_t liveControls_ = 0;
};

}  // namespace voxtrel::sim
