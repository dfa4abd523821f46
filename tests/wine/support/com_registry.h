#pragma once

#include <windows.h>

#include <string>

#include "win32/base/text.h"

namespace voxtrel::win32::testing {

// The folder of the running program: in the build, the add-in's folder.
inline std::string ProgramFolder() {
  std::wstring path(32768, L'\0');  // the longest path Windows has
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return WideToUtf8(path.substr(0, path.find_last_of(L"\\/")));
}

}  // namespace voxtrel::win32::testing
