#include "encoder/encoder_test_support.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "common/wav_format.h"

namespace voxtrel::test {

int Ramp(std::size_t frame, int channel) {
  return static_cast<int>((frame * 997 + static_cast<std::size_t>(channel) * 12345) % 65536) -
         32768;
}

std::string MakeWav(const WavSpec& layout, std::size_t frames) {
  std::string format = wav::EncodeFormat(wav::Pcm(static_cast<std::uint16_t>(layout.channels),
                                                  static_cast<std::uint32_t>(layout.rate),
                                                  static_cast<std::uint16_t>(layout.bits)));
  if (layout.extensible) {
    format.replace(0, 2, "\xFE\xFF");
    wav::PutLe(format, 22, 2);
    wav::PutLe(format, static_cast<std::uint32_t>(layout.bits), 2);
    wav::PutLe(format, layout.channels == 1 ? 4 : 3, 4);  // speaker mask
    format.append(wav::kPcmSubFormat.begin(), wav::kPcmSubFormat.end());
  }
  std::string data;
  for (std::size_t frame = 0; frame < frames; ++frame) {
    for (int channel = 0; channel < layout.channels; ++channel) {
      const int value = Ramp(frame, channel);
      if (layout.bits == 8) {
        data += static_cast<char>((value >> 8) + 128);
      } else {
        wav::PutLe(data, static_cast<std::uint16_t>(value), 2);
      }
    }
  }
  std::string chunks = "WAVE";
  if (layout.extra_chunks) wav::PutChunk(chunks, "LIST", "INFOx");
  wav::PutChunk(chunks, "fmt ", format);
  if (layout.extra_chunks) wav::PutChunk(chunks, "fact", "1234");
  wav::PutChunk(chunks, "data", data);
  std::string file;
  wav::PutChunk(file, "RIFF", chunks);
  return file;
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// A random name: test programs may run side by side.
TempDir::TempDir()
    : path_(std::filesystem::temp_directory_path() /
            ("voxtrel-encoder-" + std::to_string(std::random_device{}()))) {
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace voxtrel::test
