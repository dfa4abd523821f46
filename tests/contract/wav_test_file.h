#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <string>
#include <string_view>

#include "common/wav_format.h"
#include "platform/wave_in.h"

// WAV bytes for the audio tests, read and written outside the ports under test.
namespace voxtrel::testing_wav {

inline std::optional<wav::Contents> ParseWav(std::string_view bytes) {
  return wav::Parse(wav::AsBytes(bytes));
}

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

// Root mean square of 16-bit samples, as a fraction of full scale.
inline double Rms16(std::string_view samples) {
  const std::size_t count = samples.size() / 2;
  double sum = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const auto value = static_cast<std::int16_t>(wav::GetLe(wav::AsBytes(samples), i * 2, 2));
    sum += static_cast<double>(value) * value;
  }
  return count == 0 ? 0 : std::sqrt(sum / static_cast<double>(count)) / 32768.0;
}

}  // namespace voxtrel::testing_wav
