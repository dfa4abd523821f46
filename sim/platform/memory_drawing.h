#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "platform/drawing.h"
#include "sim/pictures/dib.h"

namespace voxtrel::sim {

// GDI in memory for paletted and monochrome bitmaps: what a face's mask needs. The add-in's
// bitmap resources are the button faces' BMP files, embedded at build time.
class MemoryDrawing final : public platform::IDrawing {
 public:
  MemoryDrawing();
  std::unique_ptr<platform::IDeviceContext> ScreenDc() override;
  std::unique_ptr<platform::IDeviceContext> CreateCompatibleDc(
      platform::IDeviceContext& dc) override;
  std::unique_ptr<platform::IBitmap> CreateDibBitmap(const platform::Bytes& packedDib) override;
  std::unique_ptr<platform::IBitmap> CreateMonochromeBitmap(int width, int height) override;
  platform::BitmapSize SizeOf(platform::IBitmap& bitmap) override;
  std::unique_ptr<platform::IPalette> CreateHalftonePalette(platform::IDeviceContext& dc) override;
  std::uint32_t TranslateColor(std::uint32_t oleColor, platform::IPalette* palette) override;
  void GetDIBitsHeader(platform::IDeviceContext& dc, platform::IBitmap& bitmap,
                       platform::Bytes& info) override;
  platform::Bytes GetDIBits(platform::IDeviceContext& dc, platform::IBitmap& bitmap, int lines,
                            platform::Bytes& info) override;
  platform::Bytes LoadBitmapResource(int id) override;

  // GDI objects alive now: a test sees what leaked.
  int LiveObjects() const { return *live_; }

 private:
  std::map<int, platform::Bytes> resources_;
  std::shared_ptr<int> live_ = std::make_shared<int>(0);
};

}  // namespace voxtrel::sim
