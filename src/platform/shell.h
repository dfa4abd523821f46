#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace voxtrel::platform {

inline constexpr std::uint32_t kStillActive = 259;

// A started program, opened for querying, waiting and ending it.
class IProcess {
 public:
  virtual ~IProcess() = default;
  // kStillActive while it runs.
  virtual std::uint32_t ExitCode() = 0;
  // Blocks without spinning until the process ends, an event is ready to pump, or
  // `timeoutMs` passed (MsgWaitForMultipleObjects). Pumps nothing itself.
  virtual void WaitForExitOrEvent(std::uint32_t timeoutMs) = 0;
  virtual void Terminate(std::uint32_t exitCode) = 0;
};

// Programs, paths and message boxes.
class IShell {
 public:
  virtual ~IShell() = default;
  // Starts a command line with a hidden window and no console; returns the process id.
  // Throws voxtrel::Error (53 "File not found", ...) when it cannot be started.
  virtual std::uint32_t StartHidden(std::string_view commandLine) = 0;
  // The same for the program at `program`, named explicitly rather than found by reading the
  // command line, which the program gets as it is (its own path quoted first, by convention).
  virtual std::uint32_t StartProgram(std::string_view program, std::string_view commandLine) = 0;
  // Opens a process for querying, waiting and ending it; null when it cannot be opened.
  virtual std::unique_ptr<IProcess> OpenProcess(std::uint32_t processId) = 0;
  // The short (8.3) form of an existing path, of any length (GetShortPathNameA); nullopt when
  // the path cannot be resolved.
  virtual std::optional<std::string> ShortPath(std::string_view path) = 0;
  // A message box with the OK button only, modal to every window of the calling thread.
  virtual void ShowMessageBox(std::string_view text, std::string_view caption) = 0;
  // ShellExecuteA with no verb (the default action) and no parameters; `owner` is a window
  // handle. Its result is not reported.
  virtual void OpenWithShell(std::uintptr_t owner, std::string_view file,
                             std::string_view directory, int showCommand) = 0;
};

}  // namespace voxtrel::platform
