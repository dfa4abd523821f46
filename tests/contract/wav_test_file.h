#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wave_in.h"

// WAV bytes for the audio tests, read and written independently of the ports under test.
namespace voxtrel::testing_wav {

struct WavFile {
  platform::WaveFormat format;
  std::uint32_t riffSize = 0;
  std::uint32_t dataBytes = 0;
  std::size_t dataOffset = 0;
};

inline std::uint32_t GetLe(std::string_view bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

inline void PutLe(std::string& out, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// The format and data chunk of a RIFF WAVE file; nullopt when the bytes are not one.
inline std::optional<WavFile> ParseWav(std::string_view bytes) {
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
    return std::nullopt;
  }
  WavFile wav;
  wav.riffSize = GetLe(bytes, 4, 4);
  bool haveFormat = false;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::string_view id = bytes.substr(at, 4);
    const std::uint32_t size = GetLe(bytes, at + 4, 4);
    const std::size_t body = at + 8;
    if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
      wav.format.formatTag = static_cast<std::uint16_t>(GetLe(bytes, body, 2));
      wav.format.channels = static_cast<std::uint16_t>(GetLe(bytes, body + 2, 2));
      wav.format.samplesPerSec = GetLe(bytes, body + 4, 4);
      wav.format.avgBytesPerSec = GetLe(bytes, body + 8, 4);
      wav.format.blockAlign = static_cast<std::uint16_t>(GetLe(bytes, body + 12, 2));
      wav.format.bitsPerSample = static_cast<std::uint16_t>(GetLe(bytes, body + 14, 2));
      haveFormat = true;
    } else if (id == "data" && haveFormat) {
      wav.dataBytes = size;
      wav.dataOffset = body;
      return wav;
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

inline platform::WaveFormat Pcm16Mono(std::uint32_t samplesPerSec) {
  return {.formatTag = 1,
          .channels = 1,
          .samplesPerSec = samplesPerSec,
          .avgBytesPerSec = samplesPerSec * 2,
          .blockAlign = 2,
          .bitsPerSample = 16,
          .cbSize = 0};
}

// A canonical 16-bit mono PCM file holding a tone of `milliseconds`.
inline std::string ToneWav(std::uint32_t samplesPerSec, std::uint32_t milliseconds) {
  const platform::WaveFormat format = Pcm16Mono(samplesPerSec);
  const std::uint32_t frames = samplesPerSec * milliseconds / 1000;
  std::string samples;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double phase = 2.0 * 3.14159265358979 * 440.0 * i / samplesPerSec;
    PutLe(samples, static_cast<std::uint16_t>(static_cast<std::int16_t>(8000 * std::sin(phase))),
          2);
  }
  std::string wav = "RIFF";
  PutLe(wav, static_cast<std::uint32_t>(36 + samples.size()), 4);
  wav += "WAVEfmt ";
  PutLe(wav, 16, 4);
  PutLe(wav, format.formatTag, 2);
  PutLe(wav, format.channels, 2);
  PutLe(wav, format.samplesPerSec, 4);
  PutLe(wav, format.avgBytesPerSec, 4);
  PutLe(wav, format.blockAlign, 2);
  PutLe(wav, format.bitsPerSample, 2);
  wav += "data";
  PutLe(wav, static_cast<std::uint32_t>(samples.size()), 4);
  return wav + samples;
}

inline bool SameFormat(const platform::WaveFormat& a, const platform::WaveFormat& b) {
  return a.formatTag == b.formatTag && a.channels == b.channels &&
         a.samplesPerSec == b.samplesPerSec && a.avgBytesPerSec == b.avgBytesPerSec &&
         a.blockAlign == b.blockAlign && a.bitsPerSample == b.bitsPerSample;
}

// Root mean square of 16-bit samples, as a fraction of full scale.
inline double Rms16(std::string_view samples) {
  const std::size_t count = samples.size() / 2;
  if (count == 0) return 0;
  double sum = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const auto value = static_cast<std::int16_t>(GetLe(samples, i * 2, 2));
    sum += static_cast<double>(value) * value;
  }
  return std::sqrt(sum / static_cast<double>(count)) / 32768.0;
}

}  // namespace voxtrel::testing_wav
