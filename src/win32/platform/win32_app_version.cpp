#include <windows.h>

#include <cstring>
#include <string_view>

#include "win32/base/module.h"
#include "win32/platform/win32_clock.h"

namespace voxtrel::win32 {

// Read from the module's own version resource, without version.dll: the fixed part starts at its
// signature, 32-bit aligned after the key "VS_VERSION_INFO".
platform::AppVersionInfo Win32SystemInfo::AppVersion() {
  const HMODULE module = ThisModule();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const auto* bytes = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD size = SizeofResource(module, found);
  if (bytes == nullptr) return {};
  constexpr DWORD kSignature = 0xFEEF04BD;
  for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
    DWORD signature = 0;
    std::memcpy(&signature, bytes + at, sizeof signature);
    if (signature != kSignature) continue;
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, bytes + at, sizeof info);
    return {static_cast<int>(HIWORD(info.dwFileVersionMS)),
            static_cast<int>(LOWORD(info.dwFileVersionMS)),
            static_cast<int>(LOWORD(info.dwFileVersionLS))};
  }
  return {};
}

}  // namespace voxtrel::win32
