#include "sim/outlook/win32/addin_error.h"

#include <cstdio>
#include <string>
#include <utility>

#include "win32/com/callee_error.h"

namespace voxtrel::olsim::win32 {

Error AddInError(HRESULT hr, voxtrel::win32::com::ExcepInfo* exception) {
  voxtrel::win32::com::CalleeError error = voxtrel::win32::com::ReadCalleeError(hr, exception);
  if (error.description.empty()) {
    char text[32];
    std::snprintf(text, sizeof text, "error 0x%08lX", static_cast<unsigned long>(hr));
    error.description = text;
  }
  return Error(error.number, "outlook-sim", std::move(error.description));
}

}  // namespace voxtrel::olsim::win32
