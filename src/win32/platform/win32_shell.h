#pragma once

#include "platform/shell.h"

namespace voxtrel::win32 {

// Programs, short paths and message boxes through the ANSI functions: text crosses the
// boundary in the system's ANSI code page, as the encoder's command line needs it.
class Win32Shell final : public platform::IShell {
 public:
  std::uint32_t StartHidden(std::string_view commandLine) override;
  std::uint32_t StartProgram(std::string_view program, std::string_view commandLine) override;
  std::unique_ptr<platform::IProcess> OpenProcess(std::uint32_t processId) override;
  std::optional<std::string> ShortPath(std::string_view path) override;
  void ShowMessageBox(std::string_view text, std::string_view caption) override;
  void OpenWithShell(std::uintptr_t owner, std::string_view file, std::string_view directory,
                     int showCommand) override;  // win32_shell_open.cpp
};

}  // namespace voxtrel::win32
