#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"

// What the session's programs put on the clipboard, and the clipboard as the dump shows it.
namespace voxtrel::olsim {

// One format of a copy: a standard one by number, a registered one by name.
struct ClipboardEntry {
  std::uint32_t format = 0;
  std::string registeredName;
  platform::Bytes bytes;
};

// The bytes as CF_TEXT, as they are (the session file's UTF-8 included), ending in a NUL.
ClipboardEntry TextEntry(const std::string& text);
// UTF-8 as CF_UNICODETEXT.
ClipboardEntry UnicodeEntry(const std::string& utf8);
// A fragment of HTML as "HTML Format": UTF-8 under the header of offsets that Windows programs
// write, in a page of its own.
ClipboardEntry HtmlEntry(const std::string& fragment);
// A BMP file's picture as CF_DIB; none when the bytes are not a BMP file the doubles read.
std::optional<ClipboardEntry> PictureEntry(const std::string& bmpFile);
// File names as CF_HDROP: a DROPFILES header and the names in UTF-16.
ClipboardEntry FilesEntry(const std::vector<std::string>& names);

// One format as the dump names it ("CF_UNICODETEXT", or a registered format's name) with a
// digest of what a reader gets: text up to its end, a picture by its pixels, other data by all
// its bytes; "none" for data that cannot be read.
struct ClipboardFormatView {
  std::uint32_t format = 0;
  std::string name;
  std::string digest;
};
// Every format on the open clipboard, standard ones by number, then registered ones by name.
std::vector<ClipboardFormatView> ViewClipboard(platform::IClipboard& clipboard);
// The Unicode text on the open clipboard as UTF-8; none without text.
std::optional<std::string> ClipboardText(platform::IClipboard& clipboard);

}  // namespace voxtrel::olsim
