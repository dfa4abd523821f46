#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>

#include "common/wav_format.h"
#include "platform/wave_in.h"

// WAV bytes for the audio tests, read and written outside the ports under test.
namespace voxtrel::testing_wav {

inline platform::WaveFormat Pcm16Mono(std::uint32_t samplesPerSec) {
  return {1, 1, samplesPerSec, samplesPerSec * 2, 2, 16, 0};
}

// A 16-bit mono PCM file holding a 440 Hz tone of `milliseconds`.
inline std::string ToneWav(std::uint32_t samplesPerSec, std::uint32_t milliseconds) {
  std::string samples;
  for (std::uint32_t i = 0; i < samplesPerSec * milliseconds / 1000; ++i) {
    const double phase = 2 * std::numbers::pi * 440.0 * i / samplesPerSec;
    wav::PutLe(samples, static_cast<std::uint16_t>(std::lround(8000 * std::sin(phase))), 2);
  }
  return wav::File(wav::Pcm(1, samplesPerSec, 16), samples);
}

}  // namespace voxtrel::testing_wav
