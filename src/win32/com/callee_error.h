#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win32/com/excep_info.h"

namespace voxtrel::win32::com {

// A failed automation call as its callee described it.
struct CalleeError {
  // What the failure stands for: the EXCEPINFO's wCode as a FACILITY_CONTROL code, else its
  // scode; without an EXCEPINFO, the call's HRESULT.
  HRESULT hresult = E_UNEXPECTED;
  int number = 0;                     // as a classic client numbers it (AutomationNumber)
  std::optional<std::string> source;  // UTF-8; none when the callee named none
  std::string description;            // UTF-8; empty when none was given
};

// Reads `exception` when the call raised DISP_E_EXCEPTION and one was passed, else takes the
// thread's IErrorInfo.
CalleeError ReadCalleeError(HRESULT hr, ExcepInfo* exception = nullptr);

}  // namespace voxtrel::win32::com
