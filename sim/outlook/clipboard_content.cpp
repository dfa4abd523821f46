#include "sim/outlook/clipboard_content.h"

#include <algorithm>
#include <map>

#include "sim/outlook/faces.h"
#include "sim/pictures/dib.h"
#include "sim/text/code_pages.h"

namespace voxtrel::olsim {
namespace {

using platform::Bytes;

constexpr char kHtmlFormat[] = "HTML Format";

void AppendUtf16(Bytes& bytes, const std::u16string& text) {
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
}

void AppendLe32(Bytes& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::string NameOf(platform::IClipboard& clipboard, std::uint32_t format) {
  static const std::map<std::uint32_t, std::string> standard = {
      {platform::kCfText, "CF_TEXT"},
      {platform::kCfBitmap, "CF_BITMAP"},
      {platform::kCfMetafilePict, "CF_METAFILEPICT"},
      {4, "CF_SYLK"},
      {5, "CF_DIF"},
      {6, "CF_TIFF"},
      {platform::kCfOemText, "CF_OEMTEXT"},
      {platform::kCfDib, "CF_DIB"},
      {platform::kCfPalette, "CF_PALETTE"},
      {10, "CF_PENDATA"},
      {11, "CF_RIFF"},
      {12, "CF_WAVE"},
      {platform::kCfUnicodeText, "CF_UNICODETEXT"},
      {platform::kCfEnhMetafile, "CF_ENHMETAFILE"},
      {platform::kCfHdrop, "CF_HDROP"},
      {platform::kCfLocale, "CF_LOCALE"},
      {platform::kCfDibV5, "CF_DIBV5"}};
  if (const auto found = standard.find(format); found != standard.end()) return found->second;
  std::string name = format >= platform::kCfFirstRegistered ? clipboard.FormatName(format) : "";
  return name.empty() ? "format " + std::to_string(format) : name;
}

std::string HashOf(const Bytes& bytes) {
  return ShortHash(std::string(bytes.begin(), bytes.end()));
}

// Pictures by their size and pixels, whatever header and depth carry them.
std::string PictureDigest(const Bytes& dib) {
  const auto picture = sim::ParseDib(dib);
  if (!picture) return HashOf(dib);
  std::string pixels = std::to_string(picture->width) + "x" + std::to_string(picture->height);
  for (int y = 0; y < picture->height; ++y) {
    for (int x = 0; x < picture->width; ++x) {
      const std::uint32_t colour = picture->ColourAt(x, y);
      pixels.append(reinterpret_cast<const char*>(&colour), sizeof colour);
    }
  }
  return ShortHash(pixels);
}

// The characters up to the first NUL of the format's width.
Bytes TextUpToItsEnd(const Bytes& bytes, std::size_t width) {
  std::size_t end = 0;
  while (end + width <= bytes.size() &&
         !std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(end),
                      bytes.begin() + static_cast<std::ptrdiff_t>(end + width),
                      [](std::uint8_t byte) { return byte == 0; })) {
    end += width;
  }
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

std::optional<std::string> Digest(platform::IClipboard& clipboard, std::uint32_t format) {
  constexpr std::uint32_t kDisplayText = 0x81;
  switch (format) {
    case platform::kCfBitmap: {
      const auto dib = clipboard.GetBitmap();
      return dib ? std::optional(PictureDigest(*dib)) : std::nullopt;
    }
    case platform::kCfDib:
    case platform::kCfDibV5: {
      const auto dib = clipboard.GetData(format);
      return dib ? std::optional(PictureDigest(*dib)) : std::nullopt;
    }
    case platform::kCfPalette: {
      const auto entries = clipboard.GetPalette();
      return entries ? std::optional(HashOf(*entries)) : std::nullopt;
    }
    case platform::kCfEnhMetafile: {
      const auto bits = clipboard.GetEnhMetafile();
      return bits ? std::optional(HashOf(*bits)) : std::nullopt;
    }
    case platform::kCfMetafilePict: {
      const auto picture = clipboard.GetMetafilePicture();
      if (!picture) return std::nullopt;
      Bytes bytes;
      for (const std::int32_t field : {picture->mapMode, picture->xExt, picture->yExt}) {
        AppendLe32(bytes, static_cast<std::uint32_t>(field));
      }
      bytes.insert(bytes.end(), picture->bits.begin(), picture->bits.end());
      return HashOf(bytes);
    }
    default:
      break;
  }
  const auto bytes = clipboard.GetData(format);
  if (!bytes) return std::nullopt;
  if (format == platform::kCfText || format == platform::kCfOemText || format == kDisplayText) {
    return HashOf(TextUpToItsEnd(*bytes, 1));
  }
  if (format == platform::kCfUnicodeText) return HashOf(TextUpToItsEnd(*bytes, 2));
  return HashOf(*bytes);
}

}  // namespace

ClipboardEntry TextEntry(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return {platform::kCfText, {}, bytes};
}

ClipboardEntry UnicodeEntry(const std::string& utf8) {
  Bytes bytes;
  AppendUtf16(bytes, sim::Utf16OfUtf8(utf8));
  return {platform::kCfUnicodeText, {}, bytes};
}

ClipboardEntry HtmlEntry(const std::string& fragment) {
  const std::string before = "<html>\r\n<body>\r\n<!--StartFragment-->";
  const std::string after = "<!--EndFragment-->\r\n</body>\r\n</html>";
  // Each offset counts bytes from the start of the data, in ten digits.
  const auto header = [](std::size_t startHtml, std::size_t endHtml, std::size_t startFragment,
                         std::size_t endFragment) {
    const auto digits = [](std::size_t value) {
      std::string text = std::to_string(value);
      return std::string(10 - std::min<std::size_t>(10, text.size()), '0') + text;
    };
    return "Version:0.9\r\nStartHTML:" + digits(startHtml) + "\r\nEndHTML:" + digits(endHtml) +
           "\r\nStartFragment:" + digits(startFragment) + "\r\nEndFragment:" + digits(endFragment) +
           "\r\n";
  };
  const std::size_t startHtml = header(0, 0, 0, 0).size();
  const std::size_t startFragment = startHtml + before.size();
  const std::size_t endFragment = startFragment + fragment.size();
  const std::size_t endHtml = endFragment + after.size();
  const std::string text =
      header(startHtml, endHtml, startFragment, endFragment) + before + fragment + after;
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return {0, kHtmlFormat, bytes};
}

std::optional<ClipboardEntry> PictureEntry(const std::string& bmpFile) {
  if (bmpFile.size() < 2 || bmpFile.compare(0, 2, "BM") != 0) return std::nullopt;
  Bytes dib = sim::PackedDibOfBmpFile(Bytes(bmpFile.begin(), bmpFile.end()));
  if (!sim::ParseDib(dib)) return std::nullopt;
  return ClipboardEntry{platform::kCfDib, {}, std::move(dib)};
}

ClipboardEntry FilesEntry(const std::vector<std::string>& names) {
  // DROPFILES: the offset of the names, the drop point, "not in the client area", wide names.
  constexpr std::uint32_t kDropFilesSize = 20;
  Bytes bytes;
  for (const std::uint32_t field : {kDropFilesSize, 0u, 0u, 0u, 1u}) AppendLe32(bytes, field);
  for (const std::string& name : names) AppendUtf16(bytes, sim::Utf16OfUtf8(name));
  bytes.insert(bytes.end(), {0, 0});
  return {platform::kCfHdrop, {}, bytes};
}

std::vector<ClipboardFormatView> ViewClipboard(platform::IClipboard& clipboard) {
  std::vector<ClipboardFormatView> views;
  for (const std::uint32_t format : clipboard.Formats()) {
    views.push_back({format, NameOf(clipboard, format),
                     Digest(clipboard, format).value_or(std::string("none"))});
  }
  std::ranges::sort(views, [](const ClipboardFormatView& a, const ClipboardFormatView& b) {
    const bool aRegistered = a.format >= platform::kCfFirstRegistered;
    const bool bRegistered = b.format >= platform::kCfFirstRegistered;
    if (aRegistered != bRegistered) return bRegistered;
    return aRegistered ? a.name < b.name : a.format < b.format;
  });
  return views;
}

std::optional<std::string> ClipboardText(platform::IClipboard& clipboard) {
  const auto bytes = clipboard.GetData(platform::kCfUnicodeText);
  if (!bytes) return std::nullopt;
  const Bytes text = TextUpToItsEnd(*bytes, 2);
  std::u16string units;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    units += static_cast<char16_t>(text[i] | text[i + 1] << 8);
  }
  return sim::Utf8OfUtf16(units);
}

}  // namespace voxtrel::olsim
