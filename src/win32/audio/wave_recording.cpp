#include "win32/audio/wave_recording.h"

#include "platform/multimedia.h"
#include "win32/audio/wav_file.h"

namespace voxtrel::win32 {

WaveRecording::WaveRecording(std::string_view deviceElement)
    : format_(ReadWavFormat(deviceElement)) {}

std::int32_t WaveRecording::Mode() const {
  if (!capture_) return platform::kMciModeStop;
  return paused_ ? platform::kMciModePause : platform::kMciModeRecord;
}

void WaveRecording::Record() {
  if (capture_) {
    if (paused_) TogglePause();
    return;
  }
  capture_ = std::make_unique<WaveCapture>(format_);
}

void WaveRecording::TogglePause() {
  if (!capture_) return;
  paused_ = !paused_;
  capture_->SetPaused(paused_);
}

void WaveRecording::Stop() {
  if (!capture_) return;
  // Taken out first, so a failure leaves the recording stopped.
  const std::unique_ptr<WaveCapture> capture = std::move(capture_);
  paused_ = false;
  const std::vector<std::uint8_t> captured = capture->Finish();
  samples_.insert(samples_.end(), captured.begin(), captured.end());
}

void WaveRecording::Save(std::string_view path) {
  Stop();
  WriteWavFile(path, format_, samples_);
}

}  // namespace voxtrel::win32
