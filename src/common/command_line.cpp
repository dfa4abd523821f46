#include "common/command_line.h"

#include <utility>

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

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  const auto blank = [&] { return line[i] == ' ' || line[i] == '\t'; };
  for (;;) {
    while (i < line.size() && blank()) ++i;
    if (i == line.size()) return arguments;
    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank())) {
      std::size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == '"') {
        // Backslashes before a quote are halved; an odd one out makes the quote literal.
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';  // "" inside quotes: a literal quote (the C runtime since 2008)
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        argument.append(backslashes, '\\');
        if (i < line.size() && (quoted || !blank())) argument += line[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

}  // namespace voxtrel
