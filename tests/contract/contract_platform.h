#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace voxtrel::contract {

// The ports a contract test runs against: the doubles natively, Win32 in the windows build.
// Creating it installs the services for the calling thread.
class ContractPlatform {
 public:
  virtual ~ContractPlatform() = default;
  virtual const platform::Services& services() = 0;
  // An empty folder the test may write into, as a Windows path without trailing backslash.
  virtual std::string ScratchFolder() = 0;
  // The bytes of a file, read outside the port under test.
  virtual std::string ReadFile(const std::string& path) = 0;
};

std::unique_ptr<ContractPlatform> MakeContractPlatform();

}  // namespace voxtrel::contract
