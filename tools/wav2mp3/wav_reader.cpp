#include "wav_reader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "common/wav_format.h"

namespace voxtrel::wav2mp3 {
namespace {

bool IsPcmSubFormat(std::span<const std::byte> format) {
  return std::equal(wav::kPcmSubFormat.begin(), wav::kPcmSubFormat.end(), format.begin() + 24,
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
  if (size < 12) throw WavError("not a WAV file (too short)");
  const auto chunks = wav::FindChunks(size, [this](std::uint64_t offset, std::span<std::byte> out) {
    source_.ReadAt(offset, out);
  });
  if (!chunks) throw WavError("not a WAV file");
  // Checked in file order, so the first fault in the file is the one reported.
  const auto& format = chunks->format;
  const auto& data = chunks->data;
  const bool formatFirst = format && (!data || format->offset < data->offset);
  if (formatFirst) ParseFormat(format->offset, format->size);
  if (data && data->size > size - data->offset) {
    throw WavError("data chunk is longer than the file");
  }
  if (format && !formatFirst) ParseFormat(format->offset, format->size);
  if (!format) throw WavError("no fmt chunk");
  if (!data) throw WavError("no data chunk");
  data_offset_ = data->offset;
  frame_count_ = data->size / static_cast<std::uint64_t>(format_.frame_bytes());
}

void WavReader::ParseFormat(std::uint64_t offset, std::uint32_t size) {
  if (size < wav::kFormatBytes) throw WavError("fmt chunk too short");
  if (size > source_.size() - offset) throw WavError("fmt chunk is longer than the file");
  std::array<std::byte, wav::kExtensibleFormatBytes> raw{};
  source_.ReadAt(offset, std::span(raw).first(std::min<std::size_t>(size, raw.size())));

  const wav::Format fields = wav::DecodeFormat(raw);
  const int tag = fields.formatTag;
  const int channels = fields.channels;
  const std::uint32_t rate = fields.samplesPerSec;
  const int bits = fields.bitsPerSample;
  if (tag == wav::kFormatExtensible) {
    if (size < wav::kExtensibleFormatBytes) throw WavError("extensible fmt chunk too short");
    if (!IsPcmSubFormat(raw)) throw WavError("only PCM WAV files are supported");
    if (wav::GetLe(raw, 18, 2) > static_cast<unsigned>(bits)) {
      throw WavError("valid bits exceed the sample size");
    }
  } else if (tag != wav::kFormatPcm) {
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
  if (fields.blockAlign != format_.frame_bytes()) {
    throw WavError("block align " + std::to_string(fields.blockAlign) +
                   " does not match the format");
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
