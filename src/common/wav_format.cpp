#include "common/wav_format.h"

#include <array>
#include <cstring>

namespace voxtrel::wav {
namespace {

constexpr std::uint64_t kRiffHeaderBytes = 12;
constexpr std::uint64_t kChunkHeaderBytes = 8;

bool HasId(std::span<const std::byte> bytes, std::size_t at, std::string_view id) {
  return std::memcmp(bytes.data() + at, id.data(), id.size()) == 0;
}

}  // namespace

Format Pcm(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample) {
  const auto block = static_cast<std::uint16_t>(channels * bitsPerSample / 8);
  return {kFormatPcm, channels, samplesPerSec, samplesPerSec * block, block, bitsPerSample};
}

std::uint32_t GetLe(std::span<const std::byte> bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) {
    value = value << 8 | std::to_integer<std::uint32_t>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return value;
}

void PutLe(std::string& out, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

std::string EncodeFormat(const Format& format) {
  std::string body;
  PutLe(body, format.formatTag, 2);
  PutLe(body, format.channels, 2);
  PutLe(body, format.samplesPerSec, 4);
  PutLe(body, format.avgBytesPerSec, 4);
  PutLe(body, format.blockAlign, 2);
  PutLe(body, format.bitsPerSample, 2);
  return body;
}

Format DecodeFormat(std::span<const std::byte> body) {
  const auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(GetLe(body, at, 2)); };
  return {u16(0), u16(2), GetLe(body, 4, 4), GetLe(body, 8, 4), u16(12), u16(14)};
}

void PutChunk(std::string& out, std::string_view id, std::string_view body) {
  out += id;
  PutLe(out, static_cast<std::uint32_t>(body.size()), 4);
  out += body;
  if (body.size() % 2 != 0) out += '\0';
}

std::string Header(const Format& format, std::uint32_t dataBytes) {
  std::string header = "RIFF";
  PutLe(header, kHeaderBytes - 8 + dataBytes + (dataBytes & 1), 4);
  header += "WAVE";
  PutChunk(header, "fmt ", EncodeFormat(format));
  header += "data";
  PutLe(header, dataBytes, 4);
  return header;
}

std::string File(const Format& format, std::string_view samples) {
  std::string file = Header(format, static_cast<std::uint32_t>(samples.size()));
  file += samples;
  if (samples.size() % 2 != 0) file += '\0';
  return file;
}

std::optional<Chunks> FindChunks(std::uint64_t size, const ReadAt& read) {
  if (size < kRiffHeaderBytes) return std::nullopt;
  std::array<std::byte, kRiffHeaderBytes> riff{};
  read(0, riff);
  if (!HasId(riff, 0, "RIFF") || !HasId(riff, 8, "WAVE")) return std::nullopt;
  Chunks chunks;
  chunks.riffSize = GetLe(riff, 4, 4);
  for (std::uint64_t at = kRiffHeaderBytes;
       at + kChunkHeaderBytes <= size && !(chunks.format && chunks.data);) {
    std::array<std::byte, kChunkHeaderBytes> header{};
    read(at, header);
    const Chunk chunk{at + kChunkHeaderBytes, GetLe(header, 4, 4)};
    if (HasId(header, 0, "fmt ") && !chunks.format) chunks.format = chunk;
    if (HasId(header, 0, "data") && !chunks.data) chunks.data = chunk;
    at = chunk.offset + chunk.size + (chunk.size & 1);
  }
  return chunks;
}

std::optional<Chunks> FindChunks(std::span<const std::byte> bytes) {
  return FindChunks(bytes.size(), [bytes](std::uint64_t offset, std::span<std::byte> out) {
    std::memcpy(out.data(), bytes.data() + offset, out.size());
  });
}

std::optional<Format> FormatOf(std::span<const std::byte> bytes, const Chunks& chunks) {
  if (!chunks.format || chunks.format->size < kFormatBytes ||
      chunks.format->offset + kFormatBytes > bytes.size()) {
    return std::nullopt;
  }
  return DecodeFormat(bytes.subspan(static_cast<std::size_t>(chunks.format->offset)));
}

std::optional<Contents> Parse(std::span<const std::byte> bytes) {
  const auto chunks = FindChunks(bytes);
  if (!chunks || !chunks->data) return std::nullopt;
  const auto format = FormatOf(bytes, *chunks);
  if (!format) return std::nullopt;
  return Contents{*format, chunks->riffSize, static_cast<std::size_t>(chunks->data->offset),
                  chunks->data->size};
}

}  // namespace voxtrel::wav
