#pragma once

#include <cstdint>
#include <string>

namespace voxtrel::platform {

// A file version as the classic App object gives it.
struct AppVersionInfo {
  int Major = 0;
  int Minor = 0;
  int Revision = 0;
};

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;
  // The packed value of GetVersion: build in bits 16-31, minor in 8-15, major in 0-7.
  virtual std::uint32_t WindowsVersion() = 0;
  // The folder the add-in's module was loaded from, without a trailing backslash.
  virtual std::string AppPath() = 0;
  // The user's folder for temporary files, without a trailing backslash.
  virtual std::string TempPath() = 0;
  // The identifier of the running process (GetCurrentProcessId).
  virtual std::uint32_t ProcessId() = 0;
  // The add-in module's own file version, from its version resource.
  virtual AppVersionInfo AppVersion() = 0;
};

}  // namespace voxtrel::platform
