#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "sim/platform/memory_file_system.h"
#include "sim/platform/virtual_event_loop.h"

namespace voxtrel::sim {

// Programs on the virtual clock. A program must exist as a file to start; what it does is
// installed per path: how long it runs, its exit code and what it leaves behind at its end.
class FakeShell final : public platform::IShell {
 public:
  struct Run {
    std::uint64_t durationMs = 800;
    std::uint32_t exitCode = 0;
    std::function<void()> atExit;
  };
  using Program = std::function<Run(const std::string& commandLine)>;

  FakeShell(VirtualEventLoop& loop, MemoryFileSystem& files);
  ~FakeShell() override;

  std::uint32_t StartHidden(std::string_view commandLine) override;
  std::uint32_t StartProgram(std::string_view program, std::string_view commandLine) override;
  std::unique_ptr<platform::IProcess> OpenProcess(std::uint32_t processId) override;
  std::optional<std::string> ShortPath(std::string_view path) override;
  void ShowMessageBox(std::string_view text, std::string_view caption) override;
  struct ShellOpen {
    std::uintptr_t owner;
    std::string file, directory;
    int showCommand;
  };
  void OpenWithShell(std::uintptr_t owner, std::string_view file, std::string_view directory,
                     int showCommand) override {
    shellOpens_.push_back({owner, std::string(file), std::string(directory), showCommand});
  }
  const std::vector<ShellOpen>& ShellOpens() const { return shellOpens_; }

  void InstallProgram(std::string_view path, Program program);
  void SetOpenProcessFails(bool fails) { openFails_ = fails; }
  // A process of some other program: running (kStillActive), or ended with `exitCode` while
  // someone still holds it open, so that it can be opened.
  void AddProcess(std::uint32_t processId, std::uint32_t exitCode = platform::kStillActive);
  // A volume without 8.3 names: short paths are the long ones.
  void SetShortNamesOff() { shortNames_ = false; }

  const std::vector<std::string>& Started() const { return started_; }
  struct MessageBox {
    std::string text;
    std::string caption;
  };
  const std::vector<MessageBox>& MessageBoxes() const { return messageBoxes_; }
  // How often a caller blocked in WaitForExitOrEvent, and how often it found nothing new.
  std::uint64_t Waits() const { return waits_; }
  // The 8.3 form the fake gives one long path component.
  static std::string ShortComponent(std::string_view component);
  // A path with the short forms this shell handed out turned back into long ones.
  std::string LongPath(std::string_view path) const;

  struct ProcessState;

 private:
  std::uint32_t Start(const std::string& program, std::string_view commandLine);

  VirtualEventLoop& loop_;
  MemoryFileSystem& files_;
  std::map<std::string, Program> programs_;
  std::map<std::string, std::string> longForms_;  // lower-case short path -> long path
  std::map<std::uint32_t, std::shared_ptr<ProcessState>> processes_;
  std::vector<std::string> started_;
  std::vector<MessageBox> messageBoxes_;
  std::vector<ShellOpen> shellOpens_;
  std::uint32_t nextId_ = 4000;
  std::uint64_t waits_ = 0;
  bool openFails_ = false;
  bool shortNames_ = true;
  friend class FakeProcess;
};

}  // namespace voxtrel::sim
