#include "win32/platform/win32_registry.h"

#include <windows.h>

#include "win32/base/text.h"

namespace voxtrel::win32 {
namespace {

HKEY ToHkey(platform::RegKey key) {
  return reinterpret_cast<HKEY>(key);
}
platform::RegKey FromHkey(HKEY key) {
  return reinterpret_cast<platform::RegKey>(key);
}

}  // namespace

long Win32Registry::OpenKey(platform::RegKey parent, std::string_view subKey,
                            platform::RegKey* result) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyA(ToHkey(parent), Utf8ToAnsi(subKey).c_str(), &key);
  *result = FromHkey(key);
  return status;
}

long Win32Registry::CreateKey(platform::RegKey parent, std::string_view subKey,
                              platform::RegKey* result) {
  HKEY key = nullptr;
  const LONG status = RegCreateKeyA(ToHkey(parent), Utf8ToAnsi(subKey).c_str(), &key);
  *result = FromHkey(key);
  return status;
}

long Win32Registry::QueryValue(platform::RegKey key, std::string_view name, std::uint32_t* type,
                               std::byte* data, std::uint32_t* size) {
  DWORD valueType = type != nullptr ? *type : 0;
  DWORD valueSize = size != nullptr ? *size : 0;
  const LONG status =
      RegQueryValueExA(ToHkey(key), Utf8ToAnsi(name).c_str(), nullptr, &valueType,
                       reinterpret_cast<BYTE*>(data), size != nullptr ? &valueSize : nullptr);
  if (type != nullptr) *type = valueType;
  if (size != nullptr) *size = valueSize;
  return status;
}

long Win32Registry::SetValue(platform::RegKey key, std::string_view name, std::uint32_t type,
                             const std::byte* data, std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), Utf8ToAnsi(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(data), size);
}

long Win32Registry::DeleteKey(platform::RegKey key, std::string_view subKey) {
  return RegDeleteKeyA(ToHkey(key), Utf8ToAnsi(subKey).c_str());
}

long Win32Registry::DeleteValue(platform::RegKey key, std::string_view name) {
  return RegDeleteValueA(ToHkey(key), Utf8ToAnsi(name).c_str());
}

long Win32Registry::CloseKey(platform::RegKey key) {
  return RegCloseKey(ToHkey(key));
}

std::string Win32Registry::ToAnsi(std::string_view utf8) {
  return Utf8ToAnsi(utf8);
}
std::string Win32Registry::FromAnsi(std::string_view ansi) {
  return AnsiToUtf8(ansi);
}

}  // namespace voxtrel::win32
