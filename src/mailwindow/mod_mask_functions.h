#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/clipboard.h"
#include "platform/drawing.h"

namespace voxtrel {

inline constexpr std::int16_t kPictureTypeBitmap = 1;
inline constexpr int kInvalidPicture = 481;
inline constexpr std::uint32_t kTransparentWhite = 0xFFFFFF;

// A picture object as the classic runtime holds one: its type and its bitmap, kept as a packed
// DIB. An empty DIB is a picture without a handle. Pictures from the resources and the clipboard
// carry no palette of their own.
struct Picture {
  std::int16_t Type = kPictureTypeBitmap;
  platform::Bytes dib;
};

// The classic Clipboard object over the clipboard port: it opens and closes the clipboard
// around each call and fails with "Can't open Clipboard" while another program holds it.
namespace Clipboard {
inline constexpr char kRichTextFormat[] = "Rich Text Format";
inline constexpr char kLinkFormat[] = "Link";
bool GetFormat(std::uint32_t format);
// A registered format, asked by its name.
bool GetFormat(const std::string& registeredName);
std::string GetText();
// Adds the text without emptying the clipboard first.
void SetText(const std::string& text);
// The bitmap or DIB as a picture; empty when there is neither.
std::optional<Picture> GetData();
// Adds the picture as `format` (bitmap or DIB) without emptying the clipboard first.
void SetData(const Picture& picture, std::uint32_t format);
void Clear();
}  // namespace Clipboard

// What the user has on the clipboard, as a face change saves and restores it: 0 nothing known,
// 1 text, 2/4/6 a bitmap and/or DIB, plus 1 with text, 8/9 rich text without/with text, 10
// (and above) anything that is not put back.
std::int16_t ClipboardKind();
struct SavedClipboard {
  std::int16_t kind = 0;
  std::optional<std::string> text;
  std::optional<Picture> picture;
};
// A picture equal to `productFace` is not saved: it is our own, not the user's.
SavedClipboard SaveClipboard(std::int16_t kind, const Picture* productFace);
void RestoreClipboard(const SavedClipboard& saved);

namespace modMaskFunctions {
inline constexpr char kButtonFaceFormat[] = "Toolbar Button Face";
inline constexpr char kButtonMaskFormat[] = "Toolbar Button Mask";

// Puts the picture on the clipboard as a DIB with its face and mask formats; raises "Invalid
// picture" for no bitmap picture.
void CopyPictureWithMask(const Picture* picture, std::uint32_t transparentColour);
// The monochrome mask: white where the bitmap has the transparent colour, black elsewhere. None
// for a bitmap outside 1 to 30000 pixels either way.
std::unique_ptr<platform::IBitmap> CreateMaskBitmap(platform::IBitmap& bitmap,
                                                    std::uint32_t transparentColour,
                                                    platform::IDeviceContext& dc,
                                                    platform::IPalette& palette);
// Adds "Toolbar Button Face" (a copy of the DIB) and "Toolbar Button Mask" to the clipboard.
void PutButtonFormats(platform::IBitmap* mask, platform::IDeviceContext& dc);
}  // namespace modMaskFunctions

}  // namespace voxtrel
