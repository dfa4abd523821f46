#include "sim/platform/wav_bytes.h"

namespace voxtrel::sim {
namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

std::uint32_t GetLe(std::string_view in, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

}  // namespace

platform::WaveFormat RecordingFormat() {
  return {.formatTag = 1,
          .channels = 1,
          .samplesPerSec = 11025,
          .avgBytesPerSec = 22050,
          .blockAlign = 2,
          .bitsPerSample = 16,
          .cbSize = 0};
}

std::string MakeWav(const platform::WaveFormat& format, std::string_view samples) {
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
  wav += samples;
  return wav;
}

std::optional<WavInfo> ReadWavInfo(std::string_view bytes) {
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
    return std::nullopt;
  }
  std::optional<platform::WaveFormat> format;
  std::size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::string_view id = bytes.substr(at, 4);
    const std::uint32_t size = GetLe(bytes, at + 4, 4);
    const std::size_t body = at + 8;
    if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
      format = platform::WaveFormat{
          .formatTag = static_cast<std::uint16_t>(GetLe(bytes, body, 2)),
          .channels = static_cast<std::uint16_t>(GetLe(bytes, body + 2, 2)),
          .samplesPerSec = GetLe(bytes, body + 4, 4),
          .avgBytesPerSec = GetLe(bytes, body + 8, 4),
          .blockAlign = static_cast<std::uint16_t>(GetLe(bytes, body + 12, 2)),
          .bitsPerSample = static_cast<std::uint16_t>(GetLe(bytes, body + 14, 2)),
          .cbSize = 0};
    } else if (id == "data" && format) {
      return WavInfo{*format, size};
    }
    at = body + size + (size & 1);
  }
  return std::nullopt;
}

}  // namespace voxtrel::sim
