#pragma once

#include <windows.h>

#include <mmreg.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace voxtrel::win32 {

// The PCM format in a WAV file's "fmt " chunk. Throws voxtrel::Error (source "WaveMe") when
// the file is missing or holds no PCM format.
WAVEFORMATEX ReadWavFormat(std::string_view path);

// Writes a complete PCM WAV file (header with the sizes, then the samples), replacing any.
// Throws voxtrel::Error with the classic file error number when it cannot.
void WriteWavFile(std::string_view path, const WAVEFORMATEX& format,
                  std::span<const std::uint8_t> samples);

}  // namespace voxtrel::win32
