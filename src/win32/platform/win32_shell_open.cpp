#include <windows.h>

// After windows.h, which it needs.
#include <shellapi.h>

#include "win32/base/text.h"
#include "win32/platform/win32_shell.h"

namespace voxtrel::win32 {

void Win32Shell::OpenWithShell(std::uintptr_t owner, std::string_view file,
                               std::string_view directory, int showCommand) {
  const std::string ansiFile = Utf8ToAnsi(file);
  const std::string ansiDirectory = Utf8ToAnsi(directory);
  ShellExecuteA(reinterpret_cast<HWND>(owner), nullptr, ansiFile.c_str(), nullptr,
                ansiDirectory.c_str(), showCommand);
}

}  // namespace voxtrel::win32
