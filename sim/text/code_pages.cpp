#include "sim/text/code_pages.h"

#include <array>

namespace voxtrel::sim {
namespace {

// The characters of bytes 0x80 to 0x9F in code page 1252; 0 where Windows maps the byte to the
// control character of the same number.
constexpr std::array<char16_t, 32> kAnsiHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The characters of bytes 0x80 to 0xFF in code page 437.
constexpr std::array<char16_t, 128> kOemHigh = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

char16_t CharacterOf(std::uint8_t byte, CodePage page) {
  if (byte < 0x80) return byte;
  if (page == CodePage::kOem437) return kOemHigh[byte - 0x80u];
  if (byte >= 0xA0) return byte;
  const char16_t mapped = kAnsiHigh[byte - 0x80u];
  return mapped != 0 ? mapped : byte;
}

char ByteOf(char16_t character, CodePage page) {
  if (character < 0x80) return static_cast<char>(character);
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    if (CharacterOf(static_cast<std::uint8_t>(byte), page) == character) {
      return static_cast<char>(byte);
    }
  }
  return '?';
}

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  const auto put = [&out](unsigned value) { out += static_cast<char>(value); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
    return;
  }
  c -= 0x10000;
  out += static_cast<char16_t>(0xD800 + (c >> 10));
  out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

// The code point starting at `at`, and how many bytes it takes.
char32_t DecodeUtf8(const std::string& text, std::size_t at, std::size_t& length) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
  const std::uint8_t lead = byte(0);
  length = 1;
  if (lead < 0x80) return lead;
  std::size_t extra = 0;
  char32_t c = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07;
  } else {
    return kReplacement;
  }
  if (at + extra >= text.size()) return kReplacement;
  for (std::size_t i = 1; i <= extra; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  length = extra + 1;
  return c;
}

}  // namespace

std::u16string Utf16OfUtf8(const std::string& utf8) {
  std::u16string out;
  for (std::size_t at = 0; at < utf8.size();) {
    std::size_t length = 1;
    AppendUtf16(out, DecodeUtf8(utf8, at, length));
    at += length;
  }
  return out;
}

std::string Utf8OfUtf16(const std::u16string& utf16) {
  std::string out;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    const bool high = unit >= 0xD800 && unit < 0xDC00;
    if (high && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800u) << 10) + (utf16[++i] - 0xDC00u));
    } else {
      AppendUtf8(out, (unit >= 0xD800 && unit < 0xE000) ? kReplacement : unit);
    }
  }
  return out;
}

std::u16string Utf16OfCodePage(const std::string& bytes, CodePage page) {
  std::u16string out;
  for (const char byte : bytes) out += CharacterOf(static_cast<std::uint8_t>(byte), page);
  return out;
}

std::string CodePageOfUtf16(const std::u16string& text, CodePage page) {
  std::string out;
  for (const char16_t character : text) out += ByteOf(character, page);
  return out;
}

}  // namespace voxtrel::sim
