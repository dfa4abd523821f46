#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/clipboard.h"

// Packed DIBs (BITMAPINFOHEADER, colour table, bits) as the doubles and the simulated Outlook
// read and write them: uncompressed, 1, 4, 8, 24 or 32 bits per pixel; read also under a
// version-4 or version-5 header.
namespace voxtrel::sim {

struct Dib {
  int width = 0;
  int height = 0;
  int bitCount = 8;
  std::vector<std::uint32_t> colours;  // 0x00RRGGBB
  // Top-down, row by row: a colour table index, or 0x00RRGGBB without a table.
  std::vector<std::uint32_t> pixels;

  std::uint32_t Pixel(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  // The pixel's colour as 0x00RRGGBB.
  std::uint32_t ColourAt(int x, int y) const;
};

std::optional<Dib> ParseDib(const platform::Bytes& packed);
platform::Bytes PackDib(const Dib& dib);
// Bytes per scan line, padded to 4.
int Stride(int width, int bitCount);
// A BMP file's packed DIB: the file without its 14-byte file header.
platform::Bytes PackedDibOfBmpFile(const platform::Bytes& file);

}  // namespace voxtrel::sim
