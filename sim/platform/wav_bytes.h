#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/wave_in.h"

// WAV files for the doubles in the ports' format type; the bytes are common/wav_format's.
namespace voxtrel::sim {

// A plain PCM WAV file: the 44-byte header and the samples.
std::string MakeWav(const platform::WaveFormat& format, std::string_view samples);

struct WavInfo {
  platform::WaveFormat format;
  std::uint32_t dataBytes = 0;
};

// The format and data size of a WAV file's bytes; nullopt when they are not one.
std::optional<WavInfo> ReadWavInfo(std::string_view bytes);

// 16-bit mono 11025 Hz PCM: the recording format of the device element.
platform::WaveFormat RecordingFormat();

}  // namespace voxtrel::sim
