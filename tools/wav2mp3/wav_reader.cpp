#include "wav_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace voxtrel::wav2mp3 {
namespace {

constexpr int kFormatPcm = 1;
constexpr int kFormatExtensible = 0xFFFE;
constexpr std::size_t kPlainFormatSize = 16;
constexpr std::size_t kExtensibleFormatSize = 40;
// KSDATAFORMAT_SUBTYPE_PCM after its leading format tag, as stored in the file.
constexpr std::array<std::uint8_t, 14> kPcmSubFormatTail = {
    0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

unsigned Byte(std::span<const std::byte> bytes, std::size_t at) {
  return std::to_integer<unsigned>(bytes[at]);
}

std::uint16_t U16(std::span<const std::byte> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(Byte(bytes, at) | Byte(bytes, at + 1) << 8);
}

std::uint32_t U32(std::span<const std::byte> bytes, std::size_t at) {
  return U16(bytes, at) | static_cast<std::uint32_t>(U16(bytes, at + 2)) << 16;
}

bool HasId(std::span<const std::byte> bytes, std::size_t at, const char (&id)[5]) {
  return std::memcmp(bytes.data() + at, id, 4) == 0;
}

bool IsPcmSubFormat(std::span<const std::byte> format) {
  if (U16(format, 24) != kFormatPcm) return false;
  return std::equal(kPcmSubFormatTail.begin(), kPcmSubFormatTail.end(), format.begin() + 26,
                    [](std::uint8_t expected, std::byte got) {
                      return std::to_integer<std::uint8_t>(got) == expected;
                    });
}

std::string ErrnoText() {
  return errno ? std::string(": ") + std::strerror(errno) : "";
}

int Sample(const std::byte* at, int bits) {
  if (bits == 8) return (std::to_integer<int>(at[0]) - 128) * 256;
  return static_cast<std::int16_t>(std::to_integer<unsigned>(at[0]) |
                                   std::to_integer<unsigned>(at[1]) << 8);
}

}  // namespace

void MemorySource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
    throw WavError("unexpected end of file");
  }
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
}

FileSource::FileSource(const std::string& path) : path_(path) {
  errno = 0;
  stream_.open(path, std::ios::binary);
  if (!stream_) throw WavError("cannot open '" + path + "'" + ErrnoText());
  stream_.seekg(0, std::ios::end);
  const std::streamoff end = stream_.tellg();
  if (!stream_ || end < 0) throw WavError("cannot read '" + path + "'" + ErrnoText());
  size_ = static_cast<std::uint64_t>(end);
}

void FileSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) {
  if (offset > size_ || out.size() > size_ - offset) throw WavError("unexpected end of file");
  errno = 0;
  stream_.clear();
  stream_.seekg(static_cast<std::streamoff>(offset));
  stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (stream_.gcount() != static_cast<std::streamsize>(out.size())) {
    throw WavError("cannot read '" + path_ + "'" + ErrnoText());
  }
}

WavReader::WavReader(ByteSource& source) : source_(source) {
  ParseChunks();
}

void WavReader::ParseChunks() {
  const std::uint64_t size = source_.size();
  std::array<std::byte, 12> riff{};
  if (size < riff.size()) throw WavError("not a WAV file (too short)");
  source_.ReadAt(0, riff);
  if (!HasId(riff, 0, "RIFF") || !HasId(riff, 8, "WAVE")) throw WavError("not a WAV file");

  // The RIFF size is often wrong in files written by recorders; the real file size bounds
  // every chunk instead.
  bool have_format = false;
  bool have_data = false;
  std::uint64_t data_bytes = 0;
  std::uint64_t offset = riff.size();
  while (offset + 8 <= size && !(have_format && have_data)) {
    std::array<std::byte, 8> header{};
    source_.ReadAt(offset, header);
    const std::uint64_t body = offset + header.size();
    const std::uint32_t chunk_size = U32(header, 4);
    if (HasId(header, 0, "fmt ") && !have_format) {
      ParseFormat(body, chunk_size);
      have_format = true;
    } else if (HasId(header, 0, "data") && !have_data) {
      if (chunk_size > size - body) throw WavError("data chunk is longer than the file");
      data_offset_ = body;
      data_bytes = chunk_size;
      have_data = true;
    }
    offset = body + chunk_size + (chunk_size & 1U);
  }
  if (!have_format) throw WavError("no fmt chunk");
  if (!have_data) throw WavError("no data chunk");
  frame_count_ = data_bytes / static_cast<std::uint64_t>(format_.frame_bytes());
}

void WavReader::ParseFormat(std::uint64_t offset, std::uint32_t size) {
  if (size < kPlainFormatSize) throw WavError("fmt chunk too short");
  if (size > source_.size() - offset) throw WavError("fmt chunk is longer than the file");
  std::array<std::byte, kExtensibleFormatSize> raw{};
  source_.ReadAt(offset, std::span(raw).first(std::min<std::size_t>(size, raw.size())));

  const int tag = U16(raw, 0);
  const int channels = U16(raw, 2);
  const std::uint32_t rate = U32(raw, 4);
  const int block_align = U16(raw, 12);
  const int bits = U16(raw, 14);
  if (tag == kFormatExtensible) {
    if (size < kExtensibleFormatSize) throw WavError("extensible fmt chunk too short");
    if (!IsPcmSubFormat(raw)) throw WavError("only PCM WAV files are supported");
    if (U16(raw, 18) > bits) throw WavError("valid bits exceed the sample size");
  } else if (tag != kFormatPcm) {
    throw WavError("WAV format " + std::to_string(tag) + " is not supported, only PCM");
  }
  if (channels != 1 && channels != 2) {
    throw WavError(std::to_string(channels) + " channels: only mono or stereo is supported");
  }
  if (bits != 8 && bits != 16) {
    throw WavError(std::to_string(bits) + "-bit samples: only 8 or 16 bit is supported");
  }
  if (rate < kMinSampleRate || rate > kMaxSampleRate) {
    throw WavError("sample rate " + std::to_string(rate) + " Hz is out of range");
  }
  format_ = {channels, static_cast<int>(rate), bits};
  if (block_align != format_.frame_bytes()) {
    throw WavError("block align " + std::to_string(block_align) + " does not match the format");
  }
}

std::size_t WavReader::ReadMono(std::span<std::int16_t> out) {
  const auto frames =
      static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), frame_count_ - frames_read_));
  if (frames == 0) return 0;
  const int frame_bytes = format_.frame_bytes();
  const int sample_bytes = format_.bits_per_sample / 8;
  buffer_.resize(frames * static_cast<std::size_t>(frame_bytes));
  source_.ReadAt(data_offset_ + frames_read_ * static_cast<std::uint64_t>(frame_bytes), buffer_);
  const std::byte* at = buffer_.data();
  for (std::size_t i = 0; i < frames; ++i, at += frame_bytes) {
    int sum = 0;
    for (int channel = 0; channel < format_.channels; ++channel) {
      sum += Sample(at + channel * sample_bytes, format_.bits_per_sample);
    }
    out[i] = static_cast<std::int16_t>(sum / format_.channels);
  }
  frames_read_ += frames;
  return frames;
}

}  // namespace voxtrel::wav2mp3
