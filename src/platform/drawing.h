#pragma once

#include <cstdint>
#include <memory>

#include "platform/clipboard.h"

namespace voxtrel::platform {

// A GDI bitmap or palette, deleted with the object.
class IBitmap {
 public:
  virtual ~IBitmap() = default;
};
class IPalette {
 public:
  virtual ~IPalette() = default;
};

// A device context. Destroying it puts back what it had selected at first, then releases (the
// screen's) or deletes (a memory context) it.
class IDeviceContext {
 public:
  virtual ~IDeviceContext() = default;
  // Null puts back the palette the context had first.
  virtual void SelectPalette(IPalette* palette, bool forceBackground) = 0;
  virtual void RealizePalette() = 0;
  // Null puts back the bitmap the context had first.
  virtual void SelectBitmap(IBitmap* bitmap) = 0;
  // Colours are COLORREFs: 0x00BBGGRR, or palette-relative with 0x02 in the top byte.
  virtual void SetBkColor(std::uint32_t colour) = 0;
  virtual void SetTextColor(std::uint32_t colour) = 0;
  // A plain source copy (SRCCOPY) of the source's top-left corner to this context's. Colour to
  // monochrome: pixels of the source's background colour become white, all others black.
  virtual void CopyFrom(IDeviceContext& source, int width, int height) = 0;
};

struct BitmapSize {
  int width = 0;
  int height = 0;
};

// The GDI calls that make a face's transparency mask.
class IDrawing {
 public:
  virtual ~IDrawing() = default;
  // The whole screen's context.
  virtual std::unique_ptr<IDeviceContext> ScreenDc() = 0;
  virtual std::unique_ptr<IDeviceContext> CreateCompatibleDc(IDeviceContext& dc) = 0;
  // A bitmap holding a packed DIB's picture; null when the bytes are not a DIB.
  virtual std::unique_ptr<IBitmap> CreateDibBitmap(const Bytes& packedDib) = 0;
  // 1 plane, 1 bit per pixel.
  virtual std::unique_ptr<IBitmap> CreateMonochromeBitmap(int width, int height) = 0;
  virtual BitmapSize SizeOf(IBitmap& bitmap) = 0;
  virtual std::unique_ptr<IPalette> CreateHalftonePalette(IDeviceContext& dc) = 0;
  // OleTranslateColor: an OLE colour to a COLORREF, palette-relative when a palette is given.
  virtual std::uint32_t TranslateColor(std::uint32_t oleColor, IPalette* palette) = 0;
  // GetDIBits without bits: the bitmap's 40-byte BITMAPINFOHEADER into the start of `info`.
  virtual void GetDIBitsHeader(IDeviceContext& dc, IBitmap& bitmap, Bytes& info) = 0;
  // GetDIBits of `lines` scan lines in the format `info` describes; the colour table is written
  // into `info` behind its header, as far as it has room.
  virtual Bytes GetDIBits(IDeviceContext& dc, IBitmap& bitmap, int lines, Bytes& info) = 0;
  // The add-in module's bitmap resource as a packed DIB; empty when there is none of that id.
  virtual Bytes LoadBitmapResource(int id) = 0;
};

}  // namespace voxtrel::platform
