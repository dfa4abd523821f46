#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace voxtrel::platform {

// A registry key handle as the ANSI registry functions see it; 0 is no key.
using RegKey = std::uintptr_t;

// Predefined roots, with the values Windows gives them (sign-extended, as HKEY is a pointer).
inline constexpr RegKey RootKey(std::int32_t predefined) {
  return static_cast<RegKey>(static_cast<std::intptr_t>(predefined));
}
inline constexpr RegKey kHkeyClassesRoot = RootKey(static_cast<std::int32_t>(0x80000000u));
inline constexpr RegKey kHkeyCurrentUser = RootKey(static_cast<std::int32_t>(0x80000001u));
inline constexpr RegKey kHkeyLocalMachine = RootKey(static_cast<std::int32_t>(0x80000002u));

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Result codes: the Win32 error numbers the registry functions return.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorMoreData = 234;

// The registry as advapi32's ANSI functions offer it. Key paths and value names are UTF-8;
// value data is raw bytes, text in the system's ANSI code page.
class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // RegOpenKeyA: opens an existing key.
  virtual long OpenKey(RegKey parent, std::string_view subKey, RegKey* result) = 0;
  // RegCreateKeyA: opens a key, creating it and any missing parents.
  virtual long CreateKey(RegKey parent, std::string_view subKey, RegKey* result) = 0;
  // RegQueryValueExA: with data null only type and size are reported. *size holds the
  // buffer size on entry and the data size on return; a short buffer gives kErrorMoreData.
  virtual long QueryValue(RegKey key, std::string_view name, std::uint32_t* type, std::byte* data,
                          std::uint32_t* size) = 0;
  // RegSetValueExA.
  virtual long SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::byte* data, std::uint32_t size) = 0;
  // RegDeleteKeyA: deletes a subkey that has no subkeys of its own.
  virtual long DeleteKey(RegKey key, std::string_view subKey) = 0;
  // RegDeleteValueA.
  virtual long DeleteValue(RegKey key, std::string_view name) = 0;
  // RegCloseKey.
  virtual long CloseKey(RegKey key) = 0;

  // Text crossing the registry boundary: UTF-8 to the ANSI code page and back.
  virtual std::string ToAnsi(std::string_view utf8) = 0;
  virtual std::string FromAnsi(std::string_view ansi) = 0;
};

}  // namespace voxtrel::platform
