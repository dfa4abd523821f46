#pragma once

#include <string>
#include <string_view>

namespace voxtrel {

// The description of the exception being handled, in the classic wording where there is one.
std::string CurrentErrorDescription();
// Its number: 7 (Out of memory) for a failed allocation, 0 for what carries none.
int CurrentErrorNumber();

// The error handler of a routine: runs `body`; an error in it becomes one trace line, the
// routine's prefix followed by the error's description, and the routine returns normally.
// True when the body completed.
template <typename Body>
bool TraceErrors(std::string_view prefix, Body&& body);

void TraceErrorLine(std::string_view prefix, const std::string& description);

template <typename Body>
bool TraceErrors(std::string_view prefix, Body&& body) {
  try {
    body();
    return true;
  } catch (...) {
    TraceErrorLine(prefix, CurrentErrorDescription());
    return false;
  }
}

}  // namespace voxtrel
