#pragma once

#include <windows.h>

#include "platform/drawing.h"
#include "win32/base/unique_handle.h"

namespace voxtrel::win32 {

// GDI for the faces' masks, and the module's bitmap resources.
class Win32Drawing final : public platform::IDrawing {
 public:
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
};

// The DIB's header and colour table, checked: null when the bytes are no uncompressed DIB (or a
// 16/32-bit one with bit fields) whose bits they hold in full.
const BITMAPINFO* DibInfo(const platform::Bytes& packedDib);
// Where the DIB's bits start behind its header and colour table.
std::size_t DibBitsOffset(const BITMAPINFOHEADER& header);
// A device-dependent bitmap for the screen with the DIB's picture; `section` makes it a DIB
// section that keeps the DIB's format and colour table instead.
UniqueBitmap BitmapOfDib(const platform::Bytes& packedDib, bool section);
// The bitmap as a 32-bit packed DIB; empty when it cannot be read.
platform::Bytes DibOfBitmap(HBITMAP bitmap);

}  // namespace voxtrel::win32
