#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The bytes of RIFF WAVE files, for the recorder, the encoder, the doubles and the tests alike.
// Byte strings are std::string, as the file system port hands them over.
namespace voxtrel::wav {

inline constexpr std::uint16_t kFormatPcm = 1;
inline constexpr std::uint16_t kFormatExtensible = 0xFFFE;
inline constexpr std::uint32_t kFormatBytes = 16;  // a plain "fmt " chunk
inline constexpr std::uint32_t kExtensibleFormatBytes = 40;
inline constexpr std::uint32_t kHeaderBytes = 44;  // RIFF, a plain "fmt " and the "data" header
// KSDATAFORMAT_SUBTYPE_PCM as an extensible "fmt " chunk stores it, from its offset 24.
inline constexpr std::array<std::uint8_t, 16> kPcmSubFormat = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The fields of a "fmt " chunk: a WAVEFORMATEX without its cbSize.
struct Format {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;

  bool operator==(const Format&) const = default;
};

// Plain PCM, with the block and byte rate that follow from the rest.
Format Pcm(std::uint16_t channels, std::uint32_t samplesPerSec, std::uint16_t bitsPerSample);

inline std::span<const std::byte> AsBytes(std::string_view bytes) {
  return std::as_bytes(std::span(bytes.data(), bytes.size()));
}

// An unsigned little-endian field `count` bytes wide (1 to 4).
std::uint32_t GetLe(std::span<const std::byte> bytes, std::size_t at, int count);
void PutLe(std::string& out, std::uint32_t value, int count);

// The 16 bytes of a plain "fmt " chunk's body, and back from a body of at least 16 bytes.
std::string EncodeFormat(const Format& format);
Format DecodeFormat(std::span<const std::byte> body);

// A chunk with its header; an odd-sized body gets the pad byte that keeps chunks word aligned.
void PutChunk(std::string& out, std::string_view id, std::string_view body);

// The 44-byte header of a plain PCM file holding `dataBytes` of samples.
std::string Header(const Format& format, std::uint32_t dataBytes);
// A whole file: the header, the samples and the pad byte an odd count needs.
std::string File(const Format& format, std::string_view samples);

// A chunk's body: where it starts and the size its header claims, which may run past the end.
struct Chunk {
  std::uint64_t offset = 0;
  std::uint32_t size = 0;
};

struct Chunks {
  std::uint32_t riffSize = 0;
  std::optional<Chunk> format;  // the first "fmt " chunk
  std::optional<Chunk> data;    // the first "data" chunk
};

// Fills `out` with the bytes at `offset` of a source.
using ReadAt = std::function<void(std::uint64_t offset, std::span<std::byte> out)>;

// Walks the chunks of a source of `size` bytes until the first "fmt " and "data" chunks are
// found; reads only chunk headers, never past `size`. nullopt when the source does not begin
// as a RIFF WAVE file. Recorders often write a wrong RIFF size, so the real size bounds the walk.
std::optional<Chunks> FindChunks(std::uint64_t size, const ReadAt& read);
std::optional<Chunks> FindChunks(std::span<const std::byte> bytes);

// The fields of the "fmt " chunk among `chunks` of `bytes`; nullopt without all 16 of them.
std::optional<Format> FormatOf(std::span<const std::byte> bytes, const Chunks& chunks);

// A WAV file in memory: its format and where its samples are.
struct Contents {
  Format format;
  std::uint32_t riffSize = 0;
  std::size_t dataOffset = 0;
  std::uint32_t dataBytes = 0;  // as the "data" header says, checked against nothing
};

// nullopt unless the bytes hold a RIFF WAVE file with a whole "fmt " chunk and a "data" chunk.
std::optional<Contents> Parse(std::span<const std::byte> bytes);

}  // namespace voxtrel::wav
