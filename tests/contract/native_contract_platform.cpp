#include "common/command_line.h"
#include "contract/contract_platform.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel::contract {
namespace {

class NativeContractPlatform final : public ContractPlatform {
 public:
  NativeContractPlatform() {
    fake_.files.AddFolder(ScratchFolder());
    fake_.files.PutFile(ExitWithProgram(), "MZ");
    fake_.shell.InstallProgram(ExitWithProgram(), [](const std::string& commandLine) {
      const auto arguments = SplitCommandLine(commandLine);
      sim::FakeShell::Run run;
      if (arguments.size() >= 3) {
        run.exitCode = static_cast<std::uint32_t>(std::stoul(arguments[1]));
        run.durationMs = std::stoull(arguments[2]);
      }
      return run;
    });
  }
  const platform::Services& services() override { return platform::Current(); }
  std::string ScratchFolder() override { return "C:\\scratch"; }
  std::string ReadFile(const std::string& path) override { return fake_.files.Contents(path); }
  void WriteFile(const std::string& path, const std::string& bytes) override {
    fake_.files.PutFile(path, bytes);
  }
  void CreateFolder(const std::string& path) override { fake_.files.AddFolder(path); }
  std::string ExitWithProgram() override { return "C:\\Tools\\exit_with.exe"; }

 private:
  sim::FakePlatform fake_;
};

}  // namespace

std::unique_ptr<ContractPlatform> MakeContractPlatform() {
  return std::make_unique<NativeContractPlatform>();
}

}  // namespace voxtrel::contract
