#include "common/classic.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "common/error.h"

namespace voxtrel::classic {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

double ParseNormalized(const std::string& number) {
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) return number.front() == '-' ? -HUGE_VAL : HUGE_VAL;
  return ec == std::errc() ? value : 0.0;
}

// Reads a number that must fill the whole text (surrounding blanks allowed).
std::optional<double> ParseWholeNumber(std::string_view text) {
  text = TrimBlanks(text);
  std::string normalized;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') normalized += '-';
    ++i;
  }
  bool digits = false;
  while (i < text.size() && IsDigit(text[i])) normalized += text[i++], digits = true;
  if (i < text.size() && text[i] == '.') {
    normalized += text[i++];
    while (i < text.size() && IsDigit(text[i])) normalized += text[i++], digits = true;
  }
  if (!digits) return std::nullopt;
  if (i < text.size() && (Lower(text[i]) == 'e' || Lower(text[i]) == 'd')) {
    normalized += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) normalized += text[i++];
    bool exponentDigits = false;
    while (i < text.size() && IsDigit(text[i])) normalized += text[i++], exponentDigits = true;
    if (!exponentDigits) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  return ParseNormalized(normalized);
}

double NumberOrMismatch(std::string_view text) {
  const auto number = ParseWholeNumber(text);
  if (!number) throw Error(errnum::kTypeMismatch);
  return *number;
}

}  // namespace

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string LCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = Lower(c);
  return lower;
}

std::string CStr(const Variant& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::to_string(std::get<std::int32_t>(value));
}

std::int16_t CInt(double value) {
  if (!(value >= -32768.5 && value <= 32767.5)) throw Error(errnum::kOverflow);
  // Round to nearest with halves to even, independent of the current rounding mode.
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  if (whole < -32768.0 || whole > 32767.0) throw Error(errnum::kOverflow);
  return static_cast<std::int16_t>(whole);
}

std::int16_t CInt(const Variant& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value))
    return CInt(static_cast<double>(*number));
  return CInt(NumberOrMismatch(std::get<std::string>(value)));
}

bool CBool(const Variant& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number != 0;
  const std::string_view text = TrimBlanks(std::get<std::string>(value));
  if (EqualsNoCase(text, "true")) return true;
  if (EqualsNoCase(text, "false")) return false;
  return NumberOrMismatch(text) != 0.0;
}

double Val(std::string_view text) {
  // Blanks, tabs and line feeds are ignored anywhere inside the number.
  std::string normalized;
  bool digits = false;
  bool point = false;
  bool exponent = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') continue;
    if (IsDigit(c)) {
      normalized += c;
      digits = true;
    } else if ((c == '+' || c == '-') && normalized.empty()) {
      if (c == '-') normalized += c;
    } else if (c == '.' && !point && !exponent) {
      normalized += c;
      point = true;
    } else if ((Lower(c) == 'e' || Lower(c) == 'd') && digits && !exponent) {
      // Only an exponent with digits counts; "1e" reads as 1.
      std::size_t j = i + 1;
      std::string tail = "e";
      if (j < text.size() && (text[j] == '+' || text[j] == '-')) tail += text[j++];
      if (j >= text.size() || !IsDigit(text[j])) break;
      normalized += tail;
      exponent = true;
      i = j - 1;
    } else {
      break;
    }
  }
  if (!digits) return 0.0;
  if (normalized.back() == '.') normalized.pop_back();
  if (normalized.empty() || normalized == "-") return 0.0;
  return ParseNormalized(normalized);
}

}  // namespace voxtrel::classic
