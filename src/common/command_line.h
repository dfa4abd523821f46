#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace voxtrel {

// `text` in double quotes, escaped so that a Windows program's argument parsing (the C
// runtime's, CommandLineToArgvW's) gives back exactly `text` as one argument, whatever
// quotes, backslashes and blanks it holds. A NUL cannot travel on a command line.
std::string QuoteArgument(std::string_view text);

// The arguments a Windows program's C runtime makes of its command line (the program name
// included), by the rules QuoteArgument writes for.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace voxtrel
