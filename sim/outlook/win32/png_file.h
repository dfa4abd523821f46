#pragma once

#include <cstdint>
#include <string>
#include <vector>

// PNG files without a compression library: deflate's stored blocks, which every reader takes.
namespace voxtrel::olsim::win32 {

// A PNG file of 8-bit RGB pixels, `rgb` row by row from the top, three bytes each.
std::string EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace voxtrel::olsim::win32
