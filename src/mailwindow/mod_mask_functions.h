#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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

// The registered format whose presence keeps the whole content out of Windows' clipboard
// history and the cloud clipboard.
inline constexpr char kExcludeFromMonitorsFormat[] = "ExcludeClipboardContentFromMonitorProcessing";

// One format of the user's clipboard as a face change saves it: its number (a registered one
// also by name, under which it goes back), its data as the clipboard port carries that kind.
struct SavedFormat {
  std::uint32_t format = 0;
  std::string name;
  platform::Bytes bytes;
  std::optional<platform::MetafilePicture> metafilePicture;
};
// Every format some program put there, in the clipboard's order. Of the formats Windows makes
// up from one another (text, OEM text and Unicode text; bitmap, DIB and version-5 DIB; metafile
// picture and enhanced metafile) only the first listed is kept: the one put, which Windows
// lists before what it makes of it. The handles of the display, private and GDI ranges and
// owner-display mean nothing to another program and are left out.
using SavedClipboard = std::vector<SavedFormat>;
// Raises "Can't open Clipboard" while another program holds it.
SavedClipboard SaveClipboard();
// Empties the clipboard and puts every saved format back, in order.
void RestoreClipboard(const SavedClipboard& saved);
// Empties the clipboard and marks what goes on it from now on as none of the user's content,
// for clipboard history and the cloud clipboard to pass by.
void ClearClipboardForFace();

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
// The picture's mask as a packed 1-bit DIB (header, black and white, bits), white where the
// picture has the transparent colour; raises "Invalid picture" for no bitmap picture.
platform::Bytes MaskDib(const Picture* picture, std::uint32_t transparentColour);
}  // namespace modMaskFunctions

}  // namespace voxtrel
