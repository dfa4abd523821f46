#include "win32/platform/win32_drawing.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "win32/base/gdi_handles.h"
#include "win32/base/module.h"

namespace voxtrel::win32 {
namespace {

using UniquePalette = UniqueGdiObject<HPALETTE>;

constexpr std::size_t kHeaderSize = sizeof(BITMAPINFOHEADER);
constexpr std::size_t kLargestInfo = kHeaderSize + 256 * sizeof(RGBQUAD);

class Win32Bitmap final : public platform::IBitmap {
 public:
  explicit Win32Bitmap(UniqueBitmap bitmap) : bitmap_(std::move(bitmap)) {}
  HBITMAP get() const { return bitmap_.get(); }

 private:
  UniqueBitmap bitmap_;
};

class Win32Palette final : public platform::IPalette {
 public:
  explicit Win32Palette(UniquePalette palette) : palette_(std::move(palette)) {}
  HPALETTE get() const { return palette_.get(); }

 private:
  UniquePalette palette_;
};

HBITMAP Handle(platform::IBitmap& bitmap) {
  return dynamic_cast<Win32Bitmap&>(bitmap).get();
}

// A screen context (released) or a memory context (deleted); what it had selected at first goes
// back before either.
class Win32Dc final : public platform::IDeviceContext {
 public:
  static std::unique_ptr<Win32Dc> Screen() {
    auto dc = std::unique_ptr<Win32Dc>(new Win32Dc(GetDC(nullptr), true));
    if (dc->dc_ == nullptr) throw std::runtime_error("GetDC of the screen failed");
    return dc;
  }
  static std::unique_ptr<Win32Dc> CompatibleWith(HDC dc) {
    auto memory = std::unique_ptr<Win32Dc>(new Win32Dc(CreateCompatibleDC(dc), false));
    if (memory->dc_ == nullptr) throw std::runtime_error("CreateCompatibleDC failed");
    return memory;
  }
  ~Win32Dc() override {
    SelectBitmap(nullptr);
    SelectPalette(nullptr, true);
    if (screen_) {
      ReleaseDC(nullptr, dc_);
    } else {
      DeleteDC(dc_);
    }
  }
  Win32Dc(const Win32Dc&) = delete;
  Win32Dc& operator=(const Win32Dc&) = delete;

  void SelectPalette(platform::IPalette* palette, bool forceBackground) override {
    if (palette == nullptr) {
      if (firstPalette_ != nullptr) ::SelectPalette(dc_, firstPalette_, forceBackground);
      firstPalette_ = nullptr;
      return;
    }
    const HPALETTE previous =
        ::SelectPalette(dc_, dynamic_cast<Win32Palette&>(*palette).get(), forceBackground);
    if (firstPalette_ == nullptr) firstPalette_ = previous;
  }
  void RealizePalette() override { ::RealizePalette(dc_); }
  void SelectBitmap(platform::IBitmap* bitmap) override {
    if (bitmap == nullptr) {
      if (firstBitmap_ != nullptr) SelectObject(dc_, firstBitmap_);
      firstBitmap_ = nullptr;
      return;
    }
    const HGDIOBJ previous = SelectObject(dc_, Handle(*bitmap));
    if (firstBitmap_ == nullptr && previous != HGDI_ERROR) firstBitmap_ = previous;
  }
  void SetBkColor(std::uint32_t colour) override { ::SetBkColor(dc_, colour); }
  void SetTextColor(std::uint32_t colour) override { ::SetTextColor(dc_, colour); }
  void CopyFrom(platform::IDeviceContext& source, int width, int height) override {
    BitBlt(dc_, 0, 0, width, height, dynamic_cast<Win32Dc&>(source).dc_, 0, 0, SRCCOPY);
  }
  HDC get() const { return dc_; }

 private:
  Win32Dc(HDC dc, bool screen) : dc_(dc), screen_(screen) {}
  HDC dc_;
  bool screen_;
  HPALETTE firstPalette_ = nullptr;
  HGDIOBJ firstBitmap_ = nullptr;
};

HDC Handle(platform::IDeviceContext& dc) {
  return dynamic_cast<Win32Dc&>(dc).get();
}

std::size_t ColourCount(const BITMAPINFOHEADER& header) {
  if (header.biBitCount > 8) return 0;
  return header.biClrUsed != 0 ? header.biClrUsed : std::size_t{1} << header.biBitCount;
}

std::size_t ImageSize(const BITMAPINFOHEADER& header) {
  const auto stride = static_cast<std::size_t>((header.biWidth * header.biBitCount + 31) / 32 * 4);
  return stride *
         static_cast<std::size_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
}

}  // namespace

std::size_t DibBitsOffset(const BITMAPINFOHEADER& header) {
  const std::size_t masks = header.biCompression == BI_BITFIELDS ? 3 * sizeof(DWORD) : 0;
  return header.biSize + masks + ColourCount(header) * sizeof(RGBQUAD);
}

const BITMAPINFO* DibInfo(const platform::Bytes& packedDib) {
  if (packedDib.size() < kHeaderSize) return nullptr;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(packedDib.data());
  const BITMAPINFOHEADER& header = info->bmiHeader;
  const bool bitFields =
      header.biCompression == BI_BITFIELDS && (header.biBitCount == 16 || header.biBitCount == 32);
  if (header.biSize != kHeaderSize || header.biWidth <= 0 || header.biHeight == 0 ||
      header.biPlanes != 1 || (header.biCompression != BI_RGB && !bitFields) ||
      header.biBitCount == 0 || header.biBitCount > 32 ||
      packedDib.size() < DibBitsOffset(header) + ImageSize(header)) {
    return nullptr;
  }
  return info;
}

UniqueBitmap BitmapOfDib(const platform::Bytes& packedDib, bool section) {
  const BITMAPINFO* info = DibInfo(packedDib);
  if (info == nullptr) return UniqueBitmap();
  const void* bits = packedDib.data() + DibBitsOffset(info->bmiHeader);
  const WindowDc screen(nullptr);
  if (!section) {
    return UniqueBitmap(
        CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT, bits, info, DIB_RGB_COLORS));
  }
  void* sectionBits = nullptr;
  UniqueBitmap bitmap(
      CreateDIBSection(screen.get(), info, DIB_RGB_COLORS, &sectionBits, nullptr, 0));
  if (!bitmap || sectionBits == nullptr) return UniqueBitmap();
  GdiFlush();
  std::memcpy(sectionBits, bits, ImageSize(info->bmiHeader));
  return bitmap;
}

platform::Bytes DibOfBitmap(HBITMAP bitmap) {
  BITMAP size{};
  if (GetObjectW(bitmap, sizeof size, &size) == 0) return {};
  BITMAPINFOHEADER header{};
  header.biSize = kHeaderSize;
  header.biWidth = size.bmWidth;
  header.biHeight = size.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(ImageSize(header));
  platform::Bytes dib(kHeaderSize + header.biSizeImage);
  std::memcpy(dib.data(), &header, kHeaderSize);
  const WindowDc screen(nullptr);
  if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(size.bmHeight),
                  dib.data() + kHeaderSize, reinterpret_cast<BITMAPINFO*>(dib.data()),
                  DIB_RGB_COLORS) == 0) {
    return {};
  }
  return dib;
}

std::unique_ptr<platform::IDeviceContext> Win32Drawing::ScreenDc() {
  return Win32Dc::Screen();
}

std::unique_ptr<platform::IDeviceContext> Win32Drawing::CreateCompatibleDc(
    platform::IDeviceContext& dc) {
  return Win32Dc::CompatibleWith(Handle(dc));
}

std::unique_ptr<platform::IBitmap> Win32Drawing::CreateDibBitmap(const platform::Bytes& packedDib) {
  UniqueBitmap bitmap = BitmapOfDib(packedDib, true);
  if (!bitmap) return nullptr;
  return std::make_unique<Win32Bitmap>(std::move(bitmap));
}

std::unique_ptr<platform::IBitmap> Win32Drawing::CreateMonochromeBitmap(int width, int height) {
  UniqueBitmap bitmap(CreateBitmap(width, height, 1, 1, nullptr));
  if (!bitmap) return nullptr;
  return std::make_unique<Win32Bitmap>(std::move(bitmap));
}

platform::BitmapSize Win32Drawing::SizeOf(platform::IBitmap& bitmap) {
  BITMAP size{};
  if (GetObjectW(Handle(bitmap), sizeof size, &size) == 0) return {};
  return {size.bmWidth, size.bmHeight};
}

std::unique_ptr<platform::IPalette> Win32Drawing::CreateHalftonePalette(
    platform::IDeviceContext& dc) {
  UniquePalette palette(::CreateHalftonePalette(Handle(dc)));
  if (!palette) throw std::runtime_error("CreateHalftonePalette failed");
  return std::make_unique<Win32Palette>(std::move(palette));
}

std::uint32_t Win32Drawing::TranslateColor(std::uint32_t oleColor, platform::IPalette* palette) {
  COLORREF colour = 0;
  const HPALETTE handle = palette ? dynamic_cast<Win32Palette&>(*palette).get() : nullptr;
  if (FAILED(OleTranslateColor(oleColor, handle, &colour))) return oleColor & 0xFFFFFF;
  return colour;
}

void Win32Drawing::GetDIBitsHeader(platform::IDeviceContext& dc, platform::IBitmap& bitmap,
                                   platform::Bytes& info) {
  platform::Bytes buffer(kLargestInfo, 0);
  reinterpret_cast<BITMAPINFOHEADER*>(buffer.data())->biSize = kHeaderSize;
  ::GetDIBits(Handle(dc), Handle(bitmap), 0, 0, nullptr,
              reinterpret_cast<BITMAPINFO*>(buffer.data()), DIB_RGB_COLORS);
  if (info.size() < kHeaderSize) info.resize(kHeaderSize);
  std::copy_n(buffer.begin(), kHeaderSize, info.begin());
}

platform::Bytes Win32Drawing::GetDIBits(platform::IDeviceContext& dc, platform::IBitmap& bitmap,
                                        int lines, platform::Bytes& info) {
  if (info.size() < kHeaderSize) return {};
  platform::Bytes buffer(std::max(info.size(), kLargestInfo), 0);
  std::copy(info.begin(), info.end(), buffer.begin());
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(buffer.data());
  const std::size_t stride =
      static_cast<std::size_t>((header->biWidth * header->biBitCount + 31) / 32 * 4);
  platform::Bytes bits(stride * static_cast<std::size_t>(std::max(lines, 0)), 0);
  const int read = ::GetDIBits(Handle(dc), Handle(bitmap), 0, static_cast<UINT>(lines), bits.data(),
                               reinterpret_cast<BITMAPINFO*>(buffer.data()), DIB_RGB_COLORS);
  std::copy_n(buffer.begin(), info.size(), info.begin());
  if (read <= 0) return {};
  return bits;
}

platform::Bytes Win32Drawing::LoadBitmapResource(int id) {
  const HMODULE module = ThisModule();
  const HRSRC found =
      FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));  // RT_BITMAP
  if (found == nullptr) return {};
  const HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  const auto* start = static_cast<const std::uint8_t*>(data);
  return platform::Bytes(start, start + SizeofResource(module, found));
}

}  // namespace voxtrel::win32
