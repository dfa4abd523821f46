#pragma once

#include "platform/clock.h"
#include "platform/system_info.h"

namespace voxtrel::win32 {

class Win32Clock final : public platform::IClock {
 public:
  std::string NowText() override;
};

class Win32SystemInfo final : public platform::ISystemInfo {
 public:
  std::uint32_t WindowsVersion() override;
  std::string AppPath() override;
  std::string TempPath() override;
  std::uint32_t ProcessId() override;
  platform::AppVersionInfo AppVersion() override;  // win32_app_version.cpp
};

}  // namespace voxtrel::win32
