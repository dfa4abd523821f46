#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

// The classic automation conversions the settings readers rely on, in one place.
namespace voxtrel::classic {

// What a settings read yields: text, or a 32-bit number for a REG_DWORD value.
using Variant = std::variant<std::string, std::int32_t>;

// Removes leading and trailing blanks (spaces only, as the classic Trim does).
std::string Trim(std::string_view text);

// ASCII letters in lower case, as Windows compares names of files, keys and commands.
std::string LCase(std::string_view text);

// Text form of a value; numbers in plain decimal.
std::string CStr(const Variant& value);

// 16-bit integer conversion: rounds halves to even; throws Error "Type mismatch" for
// text that is not a number (empty text included) and "Overflow" outside -32768..32767.
std::int16_t CInt(const Variant& value);
std::int16_t CInt(double value);

// Boolean conversion: True or False in any letter case, or a number (0 is false).
// Anything else throws Error "Type mismatch".
bool CBool(const Variant& value);

// The leading number of a text: blanks are skipped; text that does not start with a
// number gives 0 ("12abc" gives 12, "False" gives 0).
double Val(std::string_view text);

}  // namespace voxtrel::classic
