#include "common/command_line.h"

namespace voxtrel {

std::string QuoteArgument(std::string_view text) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal except in front of a quote, where each one needs a partner,
    // and the quote itself one more.
    const std::size_t doubled = c == '"' ? 2 * backslashes + 1 : backslashes;
    quoted.append(doubled, '\\');
    quoted += c;
    backslashes = 0;
  }
  // The closing quote follows any trailing backslashes, so they are doubled too.
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

}  // namespace voxtrel
