#include "mailwindow/mod_mask_functions.h"

#include <algorithm>
#include <cstring>

#include "common/error.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHeaderBufferSize = 51;  // the header and a 2-entry colour table, and spare
constexpr std::size_t kMaskInfoSize = 48;      // what the mask block starts with
constexpr std::size_t kMaskBlockSpare = 50;
constexpr std::size_t kBitsSpare = 5;
constexpr int kLargestSide = 30000;

platform::IClipboard& Port() {
  return platform::Current().clipboard;
}

// Open for one call, closed at its end.
class OpenClipboard {
 public:
  OpenClipboard() {
    if (!Port().Open()) throw Error(521, kDefaultErrorSource, "Can't open Clipboard");
  }
  ~OpenClipboard() { Port().Close(); }
  OpenClipboard(const OpenClipboard&) = delete;
  OpenClipboard& operator=(const OpenClipboard&) = delete;
};

std::uint32_t ReadLe(const platform::Bytes& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

}  // namespace

namespace Clipboard {

bool GetFormat(std::uint32_t format) {
  return Port().IsFormatAvailable(format);
}

bool GetFormat(const std::string& registeredName) {
  return Port().IsFormatAvailable(Port().RegisterFormat(registeredName));
}

std::string GetText() {
  OpenClipboard open;
  const auto bytes = Port().GetData(platform::kCfText);
  if (!bytes) return {};
  const auto end = std::find(bytes->begin(), bytes->end(), std::uint8_t{0});
  return std::string(bytes->begin(), end);
}

void SetText(const std::string& text) {
  OpenClipboard open;
  platform::Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  Port().SetData(platform::kCfText, bytes);
}

std::optional<Picture> GetData() {
  OpenClipboard open;
  auto dib = Port().GetBitmap();
  if (!dib) dib = Port().GetData(platform::kCfDib);
  if (!dib) return std::nullopt;
  return Picture{kPictureTypeBitmap, std::move(*dib)};
}

void SetData(const Picture& picture, std::uint32_t format) {
  if (picture.Type != kPictureTypeBitmap || picture.dib.empty()) throw Error(kInvalidPicture);
  OpenClipboard open;
  const bool handedOver = format == platform::kCfBitmap ? Port().SetBitmap(picture.dib)
                                                        : Port().SetData(format, picture.dib);
  if (!handedOver) throw Error(kInvalidPicture);
}

void Clear() {
  OpenClipboard open;
  Port().Empty();
}

}  // namespace Clipboard

namespace modMaskFunctions {

void CopyPictureWithMask(const Picture* picture, std::uint32_t transparentColour) {
  platform::IDrawing& gdi = platform::Current().drawing;
  if (picture == nullptr || picture->Type != kPictureTypeBitmap || picture->dib.empty()) {
    throw Error(kInvalidPicture);
  }
  const auto bitmap = gdi.CreateDibBitmap(picture->dib);
  if (!bitmap) throw Error(kInvalidPicture);
  const auto screen = gdi.ScreenDc();
  const auto palette = gdi.CreateHalftonePalette(*screen);
  const std::uint32_t colour = gdi.TranslateColor(transparentColour, palette.get());
  const auto mask = CreateMaskBitmap(*bitmap, colour, *screen, *palette);
  Clipboard::SetData(*picture, platform::kCfDib);
  PutButtonFormats(mask.get(), *screen);
}

std::unique_ptr<platform::IBitmap> CreateMaskBitmap(platform::IBitmap& bitmap,
                                                    std::uint32_t transparentColour,
                                                    platform::IDeviceContext& dc,
                                                    platform::IPalette& palette) {
  platform::IDrawing& gdi = platform::Current().drawing;
  const platform::BitmapSize size = gdi.SizeOf(bitmap);
  const auto inRange = [](int side) { return side >= 1 && side <= kLargestSide; };
  if (!inRange(size.width) || !inRange(size.height)) return nullptr;

  const auto faceDc = gdi.CreateCompatibleDc(dc);
  faceDc->SelectPalette(&palette, true);
  faceDc->RealizePalette();
  faceDc->SelectBitmap(&bitmap);
  auto mask = gdi.CreateMonochromeBitmap(size.width, size.height);
  const auto maskDc = gdi.CreateCompatibleDc(dc);
  maskDc->SelectBitmap(mask.get());

  faceDc->SetBkColor(transparentColour);
  faceDc->SetTextColor(kTransparentWhite);
  maskDc->CopyFrom(*faceDc, size.width, size.height);

  maskDc->SelectBitmap(nullptr);
  faceDc->SelectBitmap(nullptr);
  faceDc->SelectPalette(nullptr, true);
  return mask;
}

void PutButtonFormats(platform::IBitmap* mask, platform::IDeviceContext& dc) {
  if (mask == nullptr) return;
  platform::IDrawing& gdi = platform::Current().drawing;
  platform::IClipboard& clipboard = Port();
  platform::Bytes header(kInfoHeaderSize, 0);
  gdi.GetDIBitsHeader(dc, *mask, header);
  platform::Bytes info(kHeaderBufferSize, 0);
  std::copy_n(header.begin(), kInfoHeaderSize, info.begin());
  const std::uint32_t bitCount = ReadLe(info, 14, 2);
  const std::size_t imageSize = ReadLe(info, 20, 4);
  if (bitCount != 1 || imageSize < 1) return;
  const auto height = static_cast<std::int32_t>(ReadLe(info, 8, 4));

  if (!clipboard.Open()) return;
  struct Closer {
    platform::IClipboard& clipboard;
    ~Closer() { clipboard.Close(); }
  } closer{clipboard};
  const std::uint32_t faceFormat = clipboard.RegisterFormat(kButtonFaceFormat);
  const std::uint32_t maskFormat = clipboard.RegisterFormat(kButtonMaskFormat);
  if (const auto dib = clipboard.GetData(platform::kCfDib)) clipboard.SetData(faceFormat, *dib);

  platform::Bytes bits = gdi.GetDIBits(dc, *mask, height < 0 ? -height : height, info);
  bits.resize(imageSize + kBitsSpare, 0);
  platform::Bytes block(imageSize + kMaskBlockSpare, 0);
  std::copy_n(info.begin(), kMaskInfoSize, block.begin());
  std::copy_n(bits.begin(), imageSize, block.begin() + kMaskInfoSize);
  clipboard.SetData(maskFormat, block);
}

}  // namespace modMaskFunctions

}  // namespace voxtrel
