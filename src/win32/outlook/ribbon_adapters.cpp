#include "win32/outlook/ribbon_adapters.h"

#include <olectl.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "common/error.h"
#include "win32/base/gdi_handles.h"
#include "win32/outlook/late_bound.h"

namespace voxtrel::win32::outlook {
namespace {

namespace ports = voxtrel::outlook;

class RibbonUI final : public ports::IRibbonUI {
 public:
  explicit RibbonUI(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  void InvalidateControl(const std::string& id) override { host_.Call(L"InvalidateControl", {id}); }

 private:
  LateBound host_;
};

// The packed DIB's pixels as 0x00RRGGBB, top row first, through GDI; empty when it is none.
std::vector<std::uint32_t> PixelsOf(const platform::Bytes& dib, int& width, int& height) {
  if (dib.size() < sizeof(BITMAPINFOHEADER)) return {};
  const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
  width = info->bmiHeader.biWidth;
  height = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
  if (width <= 0 || height <= 0 || width > 256 || height > 256) return {};
  const WindowDc screen(nullptr);
  const std::size_t colours =
      info->bmiHeader.biBitCount <= 8
          ? (info->bmiHeader.biClrUsed != 0 ? info->bmiHeader.biClrUsed
                                            : std::size_t{1} << info->bmiHeader.biBitCount)
          : 0;
  const std::size_t bitsAt = info->bmiHeader.biSize + colours * sizeof(RGBQUAD);
  if (bitsAt > dib.size()) return {};
  const UniqueBitmap bitmap(CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT,
                                           dib.data() + bitsAt, info, DIB_RGB_COLORS));
  if (!bitmap) return {};
  BITMAPINFO want{};
  want.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  want.bmiHeader.biWidth = width;
  want.bmiHeader.biHeight = -height;
  want.bmiHeader.biPlanes = 1;
  want.bmiHeader.biBitCount = 32;
  want.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  if (GetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(), &want,
                DIB_RGB_COLORS) == 0) {
    return {};
  }
  for (std::uint32_t& pixel : pixels) pixel &= 0x00FFFFFF;
  return pixels;
}

}  // namespace

std::shared_ptr<ports::IRibbonUI> WrapRibbonUI(ComPtr<IDispatch> ribbon) {
  if (!ribbon) return nullptr;
  return std::make_shared<RibbonUI>(std::move(ribbon));
}

ports::RibbonControl ReadRibbonControl(IDispatch& control) {
  LateBound host{ComPtr<IDispatch>(&control)};
  ports::RibbonControl read;
  read.Id = host.Text(L"Id");
  if (const ComPtr<IDispatch> context = host.Object(L"Context")) {
    const auto unknown = context.Query<IUnknown>();
    read.Context = reinterpret_cast<ports::WindowIdentity>(unknown.get());
  }
  return read;
}

ComPtr<IDispatch> MakeRibbonImage(const ribbon::Image& image) {
  int width = 0, height = 0, maskWidth = 0, maskHeight = 0;
  const std::vector<std::uint32_t> colours = PixelsOf(image.picture, width, height);
  const std::vector<std::uint32_t> mask = PixelsOf(image.mask, maskWidth, maskHeight);
  if (colours.empty()) throw Error(481);  // Invalid picture
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section || bits == nullptr) throw Error(7);
  auto* argb = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const bool clear = mask.size() == colours.size() && mask[i] == 0x00FFFFFF;
    // Premultiplied, as Office draws a 32-bit image: a clear pixel is all zero.
    argb[i] = clear ? 0 : (0xFF000000u | colours[i]);
  }
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = section.get();
  ComPtr<IDispatch> picture;
  if (FAILED(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.put_void()))) {
    throw Error(481);
  }
  [[maybe_unused]] const HBITMAP owned = section.release();  // the picture's now
  return picture;
}

}  // namespace voxtrel::win32::outlook
