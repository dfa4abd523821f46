// The pixels a simulated button keeps of a pasted face, for the window that draws it.
#include <gtest/gtest.h>

#include "sim/outlook/faces.h"
#include "sim/pictures/dib.h"

namespace voxtrel {
namespace {

sim::Dib Picture(std::vector<std::uint32_t> pixels) {
  sim::Dib dib;
  dib.width = 2;
  dib.height = 2;
  dib.bitCount = 24;
  dib.pixels = std::move(pixels);
  return dib;
}

TEST(ShownFacePixels, TheMasksWhitePixelsAreClearTheOthersKeepTheirColourTopRowFirst) {
  const auto picture = sim::PackDib(Picture({0x112233, 0xFFFFFF, 0x445566, 0x000000}));
  const auto mask = sim::PackDib(Picture({0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}));
  const auto shown = olsim::ShownFacePixels(picture, &mask);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->width, 2);
  EXPECT_EQ(shown->height, 2);
  constexpr std::uint32_t kClear = olsim::FacePixels::kClearPixel;
  EXPECT_EQ(shown->pixels, (std::vector<std::uint32_t>{0x112233, kClear, kClear, 0x000000}));
}

TEST(ShownFacePixels, WithoutAMaskEveryPixelShowsAndANonPictureShowsNothing) {
  const auto picture = sim::PackDib(Picture({0xFFFFFF, 0x010203, 0x040506, 0x070809}));
  const auto shown = olsim::ShownFacePixels(picture, nullptr);
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->pixels, (std::vector<std::uint32_t>{0xFFFFFF, 0x010203, 0x040506, 0x070809}));
  EXPECT_FALSE(olsim::ShownFacePixels(platform::Bytes{1, 2, 3}, nullptr));
}

}  // namespace
}  // namespace voxtrel
