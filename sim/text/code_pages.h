#pragma once

#include <cstdint>
#include <string>

// Text as the clipboard converts it between encodings, for the doubles and the simulated
// Outlook: UTF-8 (the session files' and the core's text), UTF-16 (Unicode text) and the two
// code pages Windows uses for English (ANSI 1252, OEM 437). Characters a code page lacks become
// '?'; the best-fit replacements Windows makes for some of them (Greek alpha as 'a') are not
// known here.
namespace voxtrel::sim {

enum class CodePage { kAnsi1252, kOem437 };

// Invalid UTF-8 sequences become U+FFFD.
std::u16string Utf16OfUtf8(const std::string& utf8);
std::string Utf8OfUtf16(const std::u16string& utf16);
std::u16string Utf16OfCodePage(const std::string& bytes, CodePage page);
std::string CodePageOfUtf16(const std::u16string& text, CodePage page);

}  // namespace voxtrel::sim
