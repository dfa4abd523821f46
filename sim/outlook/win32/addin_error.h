#pragma once

#include <windows.h>

#include "common/error.h"
#include "win32/com/excep_info.h"

namespace voxtrel::olsim::win32 {

// A failed call into an add-in as the core's error: the number and description the add-in gave
// (in `exception`, when it raised DISP_E_EXCEPTION, or in IErrorInfo), else "error 0x........"
// for `hr`.
Error AddInError(HRESULT hr, voxtrel::win32::com::ExcepInfo* exception = nullptr);

}  // namespace voxtrel::olsim::win32
