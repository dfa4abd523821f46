#pragma once

#include <string>
#include <string_view>
#include <utility>

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

// An event handler as Outlook calls it: its failure goes to the trace under the prefix and
// never back to Outlook; a trace that cannot be written loses the line, nothing else.
template <typename Body>
void HandleEvent(std::string_view prefix, Body&& body) noexcept;

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

template <typename Body>
void HandleEvent(std::string_view prefix, Body&& body) noexcept {
  try {
    TraceErrors(prefix, std::forward<Body>(body));
  } catch (...) {
    // The trace itself failed; Outlook must still not see it.
  }
}

}  // namespace voxtrel
