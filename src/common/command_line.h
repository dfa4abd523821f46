#pragma once

#include <string>
#include <string_view>

namespace voxtrel {

// `text` in double quotes, escaped so that a Windows program's argument parsing (the C
// runtime's, CommandLineToArgvW's) gives back exactly `text` as one argument, whatever
// quotes, backslashes and blanks it holds. A NUL cannot travel on a command line.
std::string QuoteArgument(std::string_view text);

}  // namespace voxtrel
