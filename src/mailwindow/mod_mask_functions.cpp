#include "mailwindow/mod_mask_functions.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

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

// Formats Windows makes up from one another: the first of a family listed is the one put.
enum class Family { kNone, kText, kPicture, kMetafile };

Family FamilyOf(std::uint32_t format) {
  switch (format) {
    case platform::kCfText:
    case platform::kCfOemText:
    case platform::kCfUnicodeText:
      return Family::kText;
    case platform::kCfBitmap:
    case platform::kCfDib:
    case platform::kCfDibV5:
      return Family::kPicture;
    case platform::kCfMetafilePict:
    case platform::kCfEnhMetafile:
      return Family::kMetafile;
    default:
      return Family::kNone;
  }
}

// Handles that only the program which put them can read or free.
bool MeansNothingElsewhere(std::uint32_t format) {
  return format == platform::kCfOwnerDisplay || format == platform::kCfDspBitmap ||
         format == platform::kCfDspMetafilePict || format == platform::kCfDspEnhMetafile ||
         (format >= platform::kCfPrivateFirst && format <= platform::kCfGdiObjLast);
}

std::optional<SavedFormat> SaveFormat(platform::IClipboard& clipboard, std::uint32_t format) {
  SavedFormat saved{format, {}, {}, std::nullopt};
  if (format >= platform::kCfFirstRegistered) saved.name = clipboard.FormatName(format);
  std::optional<platform::Bytes> bytes;
  switch (format) {
    case platform::kCfBitmap:
      bytes = clipboard.GetBitmap();
      break;
    case platform::kCfPalette:
      bytes = clipboard.GetPalette();
      break;
    case platform::kCfEnhMetafile:
      bytes = clipboard.GetEnhMetafile();
      break;
    case platform::kCfMetafilePict:
      saved.metafilePicture = clipboard.GetMetafilePicture();
      if (!saved.metafilePicture) return std::nullopt;
      return saved;
    default:
      bytes = clipboard.GetData(format);
  }
  // Data its owner could not render is lost with it.
  if (!bytes) return std::nullopt;
  saved.bytes = std::move(*bytes);
  return saved;
}

void PutFormat(platform::IClipboard& clipboard, const SavedFormat& saved) {
  const std::uint32_t format =
      saved.name.empty() ? saved.format : clipboard.RegisterFormat(saved.name);
  switch (format) {
    case platform::kCfBitmap:
      clipboard.SetBitmap(saved.bytes);
      break;
    case platform::kCfPalette:
      clipboard.SetPalette(saved.bytes);
      break;
    case platform::kCfEnhMetafile:
      clipboard.SetEnhMetafile(saved.bytes);
      break;
    case platform::kCfMetafilePict:
      if (saved.metafilePicture) clipboard.SetMetafilePicture(*saved.metafilePicture);
      break;
    default:
      clipboard.SetData(format, saved.bytes);
  }
}

// A face an earlier change could not take away again: marked as ours, it is not the user's.
bool HoldsOurFace(platform::IClipboard& clipboard, const std::vector<std::uint32_t>& formats) {
  const auto holds = [&](const char* name) {
    return std::ranges::find(formats, clipboard.RegisterFormat(name)) != formats.end();
  };
  return holds(kExcludeFromMonitorsFormat) && holds(modMaskFunctions::kButtonFaceFormat);
}

// The mask's header buffer (with its colour table) and bits as GetDIBits fills them; none for
// a mask that is not a 1-bit bitmap with bits.
struct MaskBits {
  platform::Bytes info;
  platform::Bytes bits;
  std::size_t imageSize = 0;
};

std::optional<MaskBits> ReadMask(platform::IBitmap& mask, platform::IDeviceContext& dc) {
  platform::IDrawing& gdi = platform::Current().drawing;
  platform::Bytes header(kInfoHeaderSize, 0);
  gdi.GetDIBitsHeader(dc, mask, header);
  MaskBits read{platform::Bytes(kHeaderBufferSize, 0), {}, 0};
  std::copy_n(header.begin(), kInfoHeaderSize, read.info.begin());
  read.imageSize = ReadLe(read.info, 20, 4);
  if (ReadLe(read.info, 14, 2) != 1 || read.imageSize < 1) return std::nullopt;
  const auto height = static_cast<std::int32_t>(ReadLe(read.info, 8, 4));
  read.bits = gdi.GetDIBits(dc, mask, height < 0 ? -height : height, read.info);
  read.bits.resize(read.imageSize + kBitsSpare, 0);
  return read;
}

// The picture as a bitmap and its mask, made on the screen's context.
struct PictureMask {
  std::unique_ptr<platform::IDeviceContext> screen;
  std::unique_ptr<platform::IBitmap> mask;
};

PictureMask MakeMask(const Picture* picture, std::uint32_t transparentColour) {
  platform::IDrawing& gdi = platform::Current().drawing;
  if (picture == nullptr || picture->Type != kPictureTypeBitmap || picture->dib.empty()) {
    throw Error(kInvalidPicture);
  }
  const auto bitmap = gdi.CreateDibBitmap(picture->dib);
  if (!bitmap) throw Error(kInvalidPicture);
  PictureMask made{gdi.ScreenDc(), nullptr};
  const auto palette = gdi.CreateHalftonePalette(*made.screen);
  const std::uint32_t colour = gdi.TranslateColor(transparentColour, palette.get());
  made.mask = modMaskFunctions::CreateMaskBitmap(*bitmap, colour, *made.screen, *palette);
  return made;
}

}  // namespace

SavedClipboard SaveClipboard() {
  platform::IClipboard& clipboard = Port();
  const OpenClipboard open;
  const std::vector<std::uint32_t> formats = clipboard.Formats();
  SavedClipboard saved;
  if (HoldsOurFace(clipboard, formats)) return saved;
  std::vector<Family> kept;
  for (const std::uint32_t format : formats) {
    const Family family = FamilyOf(format);
    if (family != Family::kNone) {
      if (std::ranges::find(kept, family) != kept.end()) continue;  // made up by Windows
      kept.push_back(family);
    }
    if (MeansNothingElsewhere(format)) continue;
    if (auto one = SaveFormat(clipboard, format)) saved.push_back(std::move(*one));
  }
  return saved;
}

void RestoreClipboard(const SavedClipboard& saved) {
  platform::IClipboard& clipboard = Port();
  const OpenClipboard open;
  clipboard.Empty();
  // A format refused goes without the rest going too.
  for (const SavedFormat& format : saved) PutFormat(clipboard, format);
}

void ClearClipboardForFace() {
  platform::IClipboard& clipboard = Port();
  const OpenClipboard open;
  clipboard.Empty();
  // Without the mark the face would be the user's newest clipboard content to every monitor.
  constexpr int kOutOfMemory = 7;
  if (!clipboard.SetData(clipboard.RegisterFormat(kExcludeFromMonitorsFormat),
                         platform::Bytes(4, 0))) {
    throw Error(kOutOfMemory);
  }
}

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
  const PictureMask made = MakeMask(picture, transparentColour);
  Clipboard::SetData(*picture, platform::kCfDib);
  PutButtonFormats(made.mask.get(), *made.screen);
}

platform::Bytes MaskDib(const Picture* picture, std::uint32_t transparentColour) {
  const PictureMask made = MakeMask(picture, transparentColour);
  const auto read = made.mask ? ReadMask(*made.mask, *made.screen) : std::nullopt;
  if (!read) throw Error(kInvalidPicture);
  platform::Bytes dib(kMaskInfoSize + read->imageSize, 0);
  std::copy_n(read->info.begin(), kMaskInfoSize, dib.begin());
  std::copy_n(read->bits.begin(), read->imageSize, dib.begin() + kMaskInfoSize);
  return dib;
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
  platform::IClipboard& clipboard = Port();
  const auto read = ReadMask(*mask, dc);
  if (!read) return;

  if (!clipboard.Open()) return;
  struct Closer {
    platform::IClipboard& clipboard;
    ~Closer() { clipboard.Close(); }
  } closer{clipboard};
  const std::uint32_t faceFormat = clipboard.RegisterFormat(kButtonFaceFormat);
  const std::uint32_t maskFormat = clipboard.RegisterFormat(kButtonMaskFormat);
  if (const auto dib = clipboard.GetData(platform::kCfDib)) clipboard.SetData(faceFormat, *dib);

  platform::Bytes block(read->imageSize + kMaskBlockSpare, 0);
  std::copy_n(read->info.begin(), kMaskInfoSize, block.begin());
  std::copy_n(read->bits.begin(), read->imageSize, block.begin() + kMaskInfoSize);
  clipboard.SetData(maskFormat, block);
}

}  // namespace modMaskFunctions

}  // namespace voxtrel
