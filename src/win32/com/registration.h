#pragma once

#include <windows.h>

namespace voxtrel::win32::com {

// Per-user registration below HKEY_CURRENT_USER\Software\Classes: no administrator needed.
// Unregistration removes what registration wrote and nothing else.
HRESULT RegisterServer() noexcept;
HRESULT UnregisterServer() noexcept;

}  // namespace voxtrel::win32::com
