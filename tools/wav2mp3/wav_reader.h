#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace voxtrel::wav2mp3 {

// A WAV file the encoder cannot read: not a WAV, truncated, or a format it does not take.
class WavError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Random access to the bytes of a file or of a buffer; the reader never trusts a size field
// beyond what the source really holds.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Fills `out` from `offset`; throws WavError when the source ends first.
  virtual void ReadAt(std::uint64_t offset, std::span<std::byte> out) = 0;
};

class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::span<const std::byte> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  void ReadAt(std::uint64_t offset, std::span<std::byte> out) override;

 private:
  std::span<const std::byte> bytes_;
};

class FileSource final : public ByteSource {
 public:
  // Throws WavError when the file cannot be opened. Paths stay narrow strings: on Windows
  // they arrive in the ANSI code page and go back to the ANSI file functions unchanged.
  explicit FileSource(const std::string& path);
  std::uint64_t size() const override { return size_; }
  void ReadAt(std::uint64_t offset, std::span<std::byte> out) override;

 private:
  std::string path_;
  std::ifstream stream_;
  std::uint64_t size_ = 0;
};

struct WavFormat {
  int channels = 0;
  int sample_rate = 0;
  int bits_per_sample = 0;
  int frame_bytes() const { return channels * bits_per_sample / 8; }
};

// Input rates outside this range are refused: LAME resamples anything in it.
inline constexpr int kMinSampleRate = 1000;
inline constexpr int kMaxSampleRate = 384000;

// Reads the PCM samples of a WAV file (8 or 16 bit, mono or stereo, plain or extensible
// header, any other chunks skipped) as 16-bit mono.
class WavReader {
 public:
  // Parses the header; throws WavError when the file is not a WAV it can read.
  explicit WavReader(ByteSource& source);

  const WavFormat& format() const { return format_; }
  std::uint64_t frame_count() const { return frame_count_; }
  std::uint64_t data_offset() const { return data_offset_; }
  double seconds() const { return static_cast<double>(frame_count_) / format_.sample_rate; }

  // Reads up to out.size() frames, averaging the channels; returns 0 at the end of the data.
  std::size_t ReadMono(std::span<std::int16_t> out);

 private:
  void ParseChunks();
  void ParseFormat(std::uint64_t offset, std::uint32_t size);

  ByteSource& source_;
  WavFormat format_;
  std::uint64_t data_offset_ = 0;
  std::uint64_t frame_count_ = 0;
  std::uint64_t frames_read_ = 0;
  std::vector<std::byte> buffer_;
};

}  // namespace voxtrel::wav2mp3
