#pragma once

#include <string>
#include <string_view>

namespace voxtrel::win32 {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
// The system's ANSI code page; characters it lacks become its default character.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);

}  // namespace voxtrel::win32
