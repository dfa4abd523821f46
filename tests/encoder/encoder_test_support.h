#pragma once

// Test helpers for the encoder: WAV files made to order and a folder per test.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace voxtrel::test {

using Bytes = std::vector<std::uint8_t>;

struct WavSpec {
  int channels = 1;
  int rate = 11025;
  int bits = 16;
  bool extensible = false;    // WAVE_FORMAT_EXTENSIBLE header
  bool extra_chunks = false;  // an odd-sized LIST chunk before fmt and a fact chunk before data
};

// A ramp that differs per channel, so any mix-up of bytes, channels or frames shows: the
// 16-bit sample value of each frame and channel (8-bit files keep its high byte).
int Ramp(std::size_t frame, int channel);
std::string MakeWav(const WavSpec& layout, std::size_t frames);

Bytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// A fresh folder for one test, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
  std::string Str(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace voxtrel::test
