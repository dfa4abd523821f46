#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "contract/contract_platform.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel::contract {
namespace {

namespace fs = std::filesystem;

class Win32ContractPlatform final : public ContractPlatform {
 public:
  Win32ContractPlatform() {
    scratch_ =
        fs::temp_directory_path() / ("voxtrel-contract-" + std::to_string(std::random_device{}()));
    fs::create_directories(scratch_);
  }
  ~Win32ContractPlatform() override {
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }
  const platform::Services& services() override { return platform_.services(); }
  std::string ScratchFolder() override { return scratch_.string(); }
  std::string ReadFile(const std::string& path) override {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  void WriteFile(const std::string& path, const std::string& bytes) override {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
  }
  void CreateFolder(const std::string& path) override { fs::create_directories(path); }
  // Built next to the test programs.
  std::string ExitWithProgram() override {
    return platform_.services().system.AppPath() + "\\exit_with.exe";
  }

 private:
  win32::Win32Platform platform_;
  fs::path scratch_;
};

}  // namespace

std::unique_ptr<ContractPlatform> MakeContractPlatform() {
  return std::make_unique<Win32ContractPlatform>();
}

}  // namespace voxtrel::contract
