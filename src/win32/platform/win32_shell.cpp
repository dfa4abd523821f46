#include "win32/platform/win32_shell.h"

#include <windows.h>

#include <utility>

#include "common/error.h"
#include "win32/base/text.h"
#include "win32/base/unique_handle.h"
#include "win32/platform/win32_file_system.h"

namespace voxtrel::win32 {
namespace {

constexpr DWORD kProcessAccess = PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE;
// A path that grows between the size query and the copy is asked for again, a few times.
constexpr int kShortPathAttempts = 4;
// Now and then a process cannot be made for a moment (seen under Wine while another program
// starts); a program that is missing or refused is not tried again.
constexpr int kStartAttempts = 3;
constexpr DWORD kStartRetryMs = 100;

bool MayStartLater(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
      return false;
    default:
      return true;
  }
}

class Win32Process final : public platform::IProcess {
 public:
  explicit Win32Process(UniqueHandle process) : process_(std::move(process)) {}

  std::uint32_t ExitCode() override {
    DWORD code = 0;
    // Opened with query rights this cannot fail; if it did, the process counts as ended so
    // that no wait for it goes on for ever.
    if (!GetExitCodeProcess(process_.get(), &code)) return 0;
    return code;
  }

  void WaitForExitOrEvent(std::uint32_t timeoutMs) override {
    const HANDLE handle = process_.get();
    MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs, QS_ALLINPUT);
  }

  void Terminate(std::uint32_t exitCode) override { TerminateProcess(process_.get(), exitCode); }

 private:
  UniqueHandle process_;
};

// `application` null: the program is the command line's first word, as the system reads it.
std::uint32_t StartProcess(const char* application, std::string_view commandLine) {
  // CreateProcessA may write into the command line, so each attempt gets a copy of its own.
  const std::string original = Utf8ToAnsi(commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started{};
  for (int attempt = 1;; ++attempt) {
    std::string line = original;
    if (CreateProcessA(application, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &started)) {
      break;
    }
    const DWORD error = GetLastError();
    if (attempt == kStartAttempts || !MayStartLater(error)) throw Error(ClassicFileError(error));
    Sleep(kStartRetryMs);
  }
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  return started.dwProcessId;
}

}  // namespace

std::uint32_t Win32Shell::StartHidden(std::string_view commandLine) {
  if (commandLine.find_first_not_of(' ') == std::string_view::npos) {
    throw Error(errnum::kInvalidProcedureCall);
  }
  return StartProcess(nullptr, commandLine);
}

std::uint32_t Win32Shell::StartProgram(std::string_view program, std::string_view commandLine) {
  if (program.empty()) throw Error(errnum::kFileNotFound);
  return StartProcess(Utf8ToAnsi(program).c_str(), commandLine);
}

std::unique_ptr<platform::IProcess> Win32Shell::OpenProcess(std::uint32_t processId) {
  UniqueHandle process(::OpenProcess(kProcessAccess, FALSE, processId));
  if (!process) return nullptr;
  return std::make_unique<Win32Process>(std::move(process));
}

std::optional<std::string> Win32Shell::ShortPath(std::string_view path) {
  const std::string longPath = Utf8ToAnsi(path);
  if (longPath.empty()) return std::nullopt;
  // The first call reports the size with the terminating NUL, the second the length without.
  DWORD size = GetShortPathNameA(longPath.c_str(), nullptr, 0);
  for (int attempt = 0; attempt < kShortPathAttempts && size > 0; ++attempt) {
    std::string shortPath(size, '\0');
    const DWORD length = GetShortPathNameA(longPath.c_str(), shortPath.data(), size);
    if (length == 0) return std::nullopt;
    if (length < size) {
      shortPath.resize(length);
      return AnsiToUtf8(shortPath);
    }
    size = length;
  }
  return std::nullopt;
}

// Task-modal: the host's windows on this thread take no clicks until it is answered, so no
// command runs again underneath it.
void Win32Shell::ShowMessageBox(std::string_view text, std::string_view caption) {
  MessageBoxA(nullptr, Utf8ToAnsi(text).c_str(), Utf8ToAnsi(caption).c_str(), MB_OK | MB_TASKMODAL);
}

}  // namespace voxtrel::win32
