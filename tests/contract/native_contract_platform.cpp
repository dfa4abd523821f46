#include "contract/contract_platform.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel::contract {
namespace {

class NativeContractPlatform final : public ContractPlatform {
 public:
  NativeContractPlatform() { fake_.files.AddFolder(ScratchFolder()); }
  const platform::Services& services() override { return platform::Current(); }
  std::string ScratchFolder() override { return "C:\\scratch"; }
  std::string ReadFile(const std::string& path) override { return fake_.files.Contents(path); }

 private:
  sim::FakePlatform fake_;
};

}  // namespace

std::unique_ptr<ContractPlatform> MakeContractPlatform() {
  return std::make_unique<NativeContractPlatform>();
}

}  // namespace voxtrel::contract
