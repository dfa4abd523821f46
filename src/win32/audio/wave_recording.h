#pragma once

#include <windows.h>

#include <mmreg.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "win32/audio/wave_capture.h"

namespace voxtrel::win32 {

// A recording into a device element's format, kept in memory until it is saved. Recording
// goes through wave input (MCI's waveaudio recording is unusable under Wine); each stretch
// between Record and Stop appends to what was recorded before.
class WaveRecording {
 public:
  // Reads the device element's format; throws voxtrel::Error when it is missing or not PCM.
  explicit WaveRecording(std::string_view deviceElement);

  std::int32_t Mode() const;
  // Starts, or resumes when paused; throws voxtrel::Error without a usable input device.
  void Record();
  // Pauses a recording or resumes a paused one.
  void TogglePause();
  void Stop();
  // Stops and writes everything recorded as a WAV file; throws voxtrel::Error.
  void Save(std::string_view path);

 private:
  WAVEFORMATEX format_;
  std::vector<std::uint8_t> samples_;
  std::unique_ptr<WaveCapture> capture_;
  bool paused_ = false;
};

}  // namespace voxtrel::win32
