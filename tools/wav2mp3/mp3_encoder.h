#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "wav_reader.h"

namespace voxtrel::wav2mp3 {

// The output could not be written, or LAME refused the settings.
class EncodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The MP3 file being written. It is written as `path` + kPartSuffix and renamed to `path` by
// Close(), so `path` never holds a half-written MP3, even when the program is killed. A file
// that is never closed is removed.
class OutputFile {
 public:
  static constexpr char kPartSuffix[] = ".part";

  explicit OutputFile(std::string path);  // throws EncodeError
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::span<const std::uint8_t> bytes);
  void Seek(std::uint64_t offset);
  void Close();

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::string path_;
  std::string partPath_;
  std::unique_ptr<std::FILE, Closer> file_;
};

struct EncodeSettings {
  int output_rate = 0;  // 0: LAME's choice
  std::string title;
  bool crc = false;
  bool copy = false;
};

// Encodes every sample of `reader` as a mono MP3 with ID3 tags (when titled) and a LAME info
// frame, then closes `output`.
void EncodeMp3(WavReader& reader, const EncodeSettings& settings, OutputFile& output);

}  // namespace voxtrel::wav2mp3
