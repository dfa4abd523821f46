#include "sim/pictures/dib.h"

#include <cstring>

namespace voxtrel::sim {
namespace {

constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kV4HeaderSize = 108;
constexpr std::size_t kV5HeaderSize = 124;

std::uint32_t Read(const platform::Bytes& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

void Write(platform::Bytes& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i)
    bytes[at + static_cast<std::size_t>(i)] = (value >> (8 * i)) & 0xFF;
}

}  // namespace

int Stride(int width, int bitCount) {
  return (width * bitCount + 31) / 32 * 4;
}

std::uint32_t Dib::ColourAt(int x, int y) const {
  const std::uint32_t pixel = Pixel(x, y);
  if (colours.empty()) return pixel & 0xFFFFFF;
  return pixel < colours.size() ? colours[pixel] : 0;
}

std::optional<Dib> ParseDib(const platform::Bytes& packed) {
  if (packed.size() < kHeaderSize) return std::nullopt;
  // A version-4 or version-5 header holds the bit-field masks itself.
  const std::size_t header = Read(packed, 0, 4);
  if ((header != kHeaderSize && header != kV4HeaderSize && header != kV5HeaderSize) ||
      packed.size() < header) {
    return std::nullopt;
  }
  Dib dib;
  dib.width = static_cast<std::int32_t>(Read(packed, 4, 4));
  const auto height = static_cast<std::int32_t>(Read(packed, 8, 4));
  dib.height = height < 0 ? -height : height;
  dib.bitCount = static_cast<int>(Read(packed, 14, 2));
  const std::uint32_t compression = Read(packed, 16, 4);
  const bool paletted = dib.bitCount <= 8;
  if (dib.width <= 0 || dib.width > 30000 || dib.height <= 0 || dib.height > 30000 ||
      (compression != 0 && !(compression == 3 && dib.bitCount == 32)) ||
      (dib.bitCount != 1 && dib.bitCount != 4 && dib.bitCount != 8 && dib.bitCount != 24 &&
       dib.bitCount != 32)) {
    return std::nullopt;
  }
  std::size_t used = Read(packed, 32, 4);
  if (paletted && used == 0) used = std::size_t{1} << dib.bitCount;
  if (!paletted) used = 0;
  const std::size_t masks = compression == 3 && header == kHeaderSize ? 12 : 0;
  const std::size_t bits = header + 4 * used + masks;
  const auto stride = static_cast<std::size_t>(Stride(dib.width, dib.bitCount));
  if (packed.size() < bits + stride * static_cast<std::size_t>(dib.height)) return std::nullopt;
  for (std::size_t i = 0; i < used; ++i) dib.colours.push_back(Read(packed, header + 4 * i, 3));
  dib.pixels.resize(static_cast<std::size_t>(dib.width) * static_cast<std::size_t>(dib.height));
  for (int y = 0; y < dib.height; ++y) {
    const std::size_t row =
        bits + stride * static_cast<std::size_t>(height < 0 ? y : dib.height - 1 - y);
    for (int x = 0; x < dib.width; ++x) {
      std::uint32_t value = 0;
      if (dib.bitCount >= 24) {
        value = Read(packed, row + static_cast<std::size_t>(x * dib.bitCount / 8), 3);
      } else {
        const int bit = x * dib.bitCount;
        const std::uint8_t byte = packed[row + static_cast<std::size_t>(bit / 8)];
        value = (byte >> (8 - dib.bitCount - bit % 8)) & ((1u << dib.bitCount) - 1);
      }
      dib.pixels[static_cast<std::size_t>(y * dib.width + x)] = value;
    }
  }
  return dib;
}

platform::Bytes PackDib(const Dib& dib) {
  const auto stride = static_cast<std::size_t>(Stride(dib.width, dib.bitCount));
  const std::size_t image = stride * static_cast<std::size_t>(dib.height);
  const std::size_t bits = kHeaderSize + 4 * dib.colours.size();
  platform::Bytes packed(bits + image, 0);
  Write(packed, 0, kHeaderSize, 4);
  Write(packed, 4, static_cast<std::uint32_t>(dib.width), 4);
  Write(packed, 8, static_cast<std::uint32_t>(dib.height), 4);
  Write(packed, 12, 1, 2);
  Write(packed, 14, static_cast<std::uint32_t>(dib.bitCount), 2);
  Write(packed, 20, static_cast<std::uint32_t>(image), 4);
  Write(packed, 32, static_cast<std::uint32_t>(dib.colours.size()), 4);
  for (std::size_t i = 0; i < dib.colours.size(); ++i)
    Write(packed, kHeaderSize + 4 * i, dib.colours[i], 3);
  for (int y = 0; y < dib.height; ++y) {
    const std::size_t row = bits + stride * static_cast<std::size_t>(dib.height - 1 - y);
    for (int x = 0; x < dib.width; ++x) {
      const std::uint32_t value = dib.Pixel(x, y);
      if (dib.bitCount >= 24) {
        Write(packed, row + static_cast<std::size_t>(x * dib.bitCount / 8), value, 3);
      } else {
        const int bit = x * dib.bitCount;
        packed[row + static_cast<std::size_t>(bit / 8)] |=
            static_cast<std::uint8_t>(value << (8 - dib.bitCount - bit % 8));
      }
    }
  }
  return packed;
}

platform::Bytes PackedDibOfBmpFile(const platform::Bytes& file) {
  constexpr std::size_t kFileHeader = 14;
  if (file.size() <= kFileHeader) return {};
  return platform::Bytes(file.begin() + kFileHeader, file.end());
}

}  // namespace voxtrel::sim
