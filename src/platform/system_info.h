#pragma once

#include <cstdint>

namespace voxtrel::platform {

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;
  // The packed value of GetVersion: build in bits 16-31, minor in 8-15, major in 0-7.
  virtual std::uint32_t WindowsVersion() = 0;
};

}  // namespace voxtrel::platform
