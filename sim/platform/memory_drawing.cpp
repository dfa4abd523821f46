#include "sim/platform/memory_drawing.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "sim/pictures/embedded_faces.h"

namespace voxtrel::sim {
namespace {

constexpr std::uint32_t kPaletteRelative = 0x02000000;

// Counts itself among the live GDI objects.
class Counted {
 public:
  explicit Counted(std::shared_ptr<int> live) : live_(std::move(live)) { ++*live_; }
  ~Counted() { --*live_; }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

 private:
  std::shared_ptr<int> live_;
};

class MemoryBitmap final : public platform::IBitmap, Counted {
 public:
  MemoryBitmap(std::shared_ptr<int> live, Dib picture)
      : Counted(std::move(live)), dib(std::move(picture)) {}
  Dib dib;
};

class MemoryPalette final : public platform::IPalette, Counted {
 public:
  using Counted::Counted;
};

MemoryBitmap& Of(platform::IBitmap& bitmap) {
  return dynamic_cast<MemoryBitmap&>(bitmap);
}

std::uint32_t Rgb(std::uint32_t colorref) {
  // COLORREF 0x00BBGGRR to 0x00RRGGBB, whatever its top byte.
  return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

int Distance(std::uint32_t a, std::uint32_t b) {
  int sum = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
    sum += d * d;
  }
  return sum;
}

// The pixel value a colour has in the bitmap: the nearest colour table entry, as GDI matches a
// background colour against a paletted source.
std::uint32_t PixelOf(const Dib& dib, std::uint32_t rgb) {
  if (dib.colours.empty()) return rgb;
  std::uint32_t best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (std::uint32_t i = 0; i < dib.colours.size(); ++i) {
    if (const int d = Distance(dib.colours[i], rgb); d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

Dib Monochrome(int width, int height) {
  Dib dib{width, height, 1, {0x000000, 0xFFFFFF}, {}};
  dib.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  return dib;
}

class MemoryDc final : public platform::IDeviceContext, Counted {
 public:
  explicit MemoryDc(std::shared_ptr<int> live)
      : Counted(live), original_(std::make_shared<MemoryBitmap>(live, Monochrome(1, 1))) {}
  void SelectPalette(platform::IPalette* palette, bool) override { palette_ = palette; }
  void RealizePalette() override {}
  void SelectBitmap(platform::IBitmap* bitmap) override {
    selected_ = bitmap == nullptr ? nullptr : &Of(*bitmap);
  }
  void SetBkColor(std::uint32_t colour) override { background_ = colour; }
  void SetTextColor(std::uint32_t colour) override { text_ = colour; }
  void CopyFrom(platform::IDeviceContext& source, int width, int height) override {
    Dib& to = Bitmap().dib;
    auto& from = dynamic_cast<MemoryDc&>(source);
    const Dib& picture = from.Bitmap().dib;
    if (to.bitCount != 1) throw std::logic_error("the double copies into monochrome bitmaps only");
    const std::uint32_t background = PixelOf(picture, Rgb(from.background_));
    for (int y = 0; y < height && y < to.height && y < picture.height; ++y) {
      for (int x = 0; x < width && x < to.width && x < picture.width; ++x) {
        to.pixels[static_cast<std::size_t>(y * to.width + x)] = picture.Pixel(x, y) == background;
      }
    }
  }
  MemoryBitmap& Bitmap() { return selected_ ? *selected_ : *original_; }

 private:
  std::shared_ptr<MemoryBitmap> original_;
  MemoryBitmap* selected_ = nullptr;
  platform::IPalette* palette_ = nullptr;
  std::uint32_t background_ = 0xFFFFFF;
  std::uint32_t text_ = 0;
};

void Put32(platform::Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = (value >> (8 * i)) & 0xFF;
}

}  // namespace

MemoryDrawing::MemoryDrawing() {
  for (const EmbeddedFace& face : EmbeddedFaces())
    resources_[face.id] = PackedDibOfBmpFile(face.bmp);
}

std::unique_ptr<platform::IDeviceContext> MemoryDrawing::ScreenDc() {
  return std::make_unique<MemoryDc>(live_);
}

std::unique_ptr<platform::IDeviceContext> MemoryDrawing::CreateCompatibleDc(
    platform::IDeviceContext&) {
  return std::make_unique<MemoryDc>(live_);
}

std::unique_ptr<platform::IBitmap> MemoryDrawing::CreateDibBitmap(
    const platform::Bytes& packedDib) {
  auto dib = ParseDib(packedDib);
  if (!dib) return nullptr;
  return std::make_unique<MemoryBitmap>(live_, std::move(*dib));
}

std::unique_ptr<platform::IBitmap> MemoryDrawing::CreateMonochromeBitmap(int width, int height) {
  if (width < 1 || height < 1) return nullptr;
  return std::make_unique<MemoryBitmap>(live_, Monochrome(width, height));
}

platform::BitmapSize MemoryDrawing::SizeOf(platform::IBitmap& bitmap) {
  const Dib& dib = Of(bitmap).dib;
  return {dib.width, dib.height};
}

std::unique_ptr<platform::IPalette> MemoryDrawing::CreateHalftonePalette(
    platform::IDeviceContext&) {
  return std::make_unique<MemoryPalette>(live_);
}

std::uint32_t MemoryDrawing::TranslateColor(std::uint32_t oleColor, platform::IPalette* palette) {
  if ((oleColor & 0xFF000000) != 0)
    throw std::logic_error("the double translates RGB colours only");
  return palette ? (oleColor | kPaletteRelative) : oleColor;
}

void MemoryDrawing::GetDIBitsHeader(platform::IDeviceContext&, platform::IBitmap& bitmap,
                                    platform::Bytes& info) {
  const Dib& dib = Of(bitmap).dib;
  if (info.size() < 40) info.resize(40);
  std::memset(info.data(), 0, 40);
  Put32(info, 0, 40);
  Put32(info, 4, static_cast<std::uint32_t>(dib.width));
  Put32(info, 8, static_cast<std::uint32_t>(dib.height));
  info[12] = 1;
  info[14] = static_cast<std::uint8_t>(dib.bitCount);
  Put32(info, 20, static_cast<std::uint32_t>(Stride(dib.width, dib.bitCount) * dib.height));
}

platform::Bytes MemoryDrawing::GetDIBits(platform::IDeviceContext&, platform::IBitmap& bitmap,
                                         int lines, platform::Bytes& info) {
  Dib dib = Of(bitmap).dib;
  if (info.size() < 40 || info[14] != dib.bitCount) {
    throw std::logic_error("the double reads bitmaps in their own format only");
  }
  const platform::Bytes packed = PackDib(dib);
  const std::size_t table = 4 * dib.colours.size();
  std::memcpy(info.data() + 40, packed.data() + 40, std::min(table, info.size() - 40));
  const auto stride = static_cast<std::size_t>(Stride(dib.width, dib.bitCount));
  const std::size_t rows = static_cast<std::size_t>(std::min(lines, dib.height));
  const auto bits = packed.begin() + static_cast<std::ptrdiff_t>(40 + table);
  return platform::Bytes(bits, bits + static_cast<std::ptrdiff_t>(stride * rows));
}

platform::Bytes MemoryDrawing::LoadBitmapResource(int id) {
  const auto found = resources_.find(id);
  return found == resources_.end() ? platform::Bytes{} : found->second;
}

}  // namespace voxtrel::sim
