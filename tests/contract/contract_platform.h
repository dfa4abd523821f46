#pragma once

#include <functional>
#include <memory>
#include <string>

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
  // Writes the bytes of a file outside the port under test (creating or replacing it).
  virtual void WriteFile(const std::string& path, const std::string& bytes) = 0;
  // Creates a folder and any missing parents outside the port under test.
  virtual void CreateFolder(const std::string& path) = 0;
  // A program that exits with the code given as its first argument after the milliseconds
  // given as its second ("exit_with 3 500").
  virtual std::string ExitWithProgram() = 0;
};

std::unique_ptr<ContractPlatform> MakeContractPlatform();

// Pumps until `done` holds; false when it did not within `patienceMs`.
inline bool PumpUntil(platform::IEventLoop& loop, const std::function<bool()>& done,
                      std::uint64_t patienceMs) {
  const std::uint64_t start = loop.TickCount();
  while (!done()) {
    if (loop.TickCount() - start > patienceMs) return false;
    loop.DoEvents();
    loop.WaitForEvents(10);
  }
  return true;
}

inline void PumpFor(platform::IEventLoop& loop, std::uint64_t ms) {
  const std::uint64_t start = loop.TickCount();
  PumpUntil(
      loop, [&] { return loop.TickCount() - start >= ms; }, ms + 1000);
}

}  // namespace voxtrel::contract
