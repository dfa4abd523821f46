#pragma once

#include "platform/registry.h"

namespace voxtrel::win32 {

// The registry through advapi32's ANSI functions.
class Win32Registry final : public platform::IRegistry {
 public:
  long OpenKey(platform::RegKey parent, std::string_view subKey, platform::RegKey* result) override;
  long CreateKey(platform::RegKey parent, std::string_view subKey,
                 platform::RegKey* result) override;
  long QueryValue(platform::RegKey key, std::string_view name, std::uint32_t* type, std::byte* data,
                  std::uint32_t* size) override;
  long SetValue(platform::RegKey key, std::string_view name, std::uint32_t type,
                const std::byte* data, std::uint32_t size) override;
  long DeleteKey(platform::RegKey key, std::string_view subKey) override;
  long DeleteValue(platform::RegKey key, std::string_view name) override;
  long CloseKey(platform::RegKey key) override;
  std::string ToAnsi(std::string_view utf8) override;
  std::string FromAnsi(std::string_view ansi) override;
};

}  // namespace voxtrel::win32
