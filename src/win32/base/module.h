#pragma once

#include <windows.h>

#include <string>

namespace voxtrel::win32 {

// The module that holds this code: inside Outlook the add-in's DLL, not Outlook.exe; in a test
// the program.
HMODULE ThisModule();
// Its full path, as registered under InprocServer32; empty when it cannot be read.
std::wstring ThisModulePath();

struct WindowClassDesign {
  const wchar_t* name;
  WNDPROC procedure;
  HBRUSH background = nullptr;
  HCURSOR cursor = nullptr;
};

// Registers a window class of this module once; later calls return at once. Throws
// std::runtime_error when the class cannot be registered.
const wchar_t* RegisterWindowClass(const WindowClassDesign& design);
// Unregisters every class registered above. Windows keeps a DLL's classes after the DLL is gone,
// so the DLL calls this when its last window has gone, never from DllMain.
void UnregisterWindowClasses() noexcept;

}  // namespace voxtrel::win32
