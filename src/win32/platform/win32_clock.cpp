#include "win32/platform/win32_clock.h"

#include <windows.h>

#include "win32/base/module.h"
#include "win32/base/text.h"

namespace voxtrel::win32 {
namespace {

template <typename Format>
std::string LocaleText(Format format) {
  wchar_t buffer[128] = {};
  const int length = format(buffer, static_cast<int>(std::size(buffer)));
  return length > 0 ? WideToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)))
                    : std::string();
}

}  // namespace

std::string Win32Clock::NowText() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::string date = LocaleText([&](wchar_t* out, int size) {
    return GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, out, size);
  });
  const std::string time = LocaleText([&](wchar_t* out, int size) {
    return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, out, size);
  });
  return date + " " + time;
}

std::string Win32SystemInfo::AppPath() {
  const std::wstring path = ThisModulePath();
  const auto slash = path.find_last_of(L"\\/");
  return WideToUtf8(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

std::string Win32SystemInfo::TempPath() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD length = GetTempPathW(static_cast<DWORD>(std::size(buffer)), buffer);
  std::wstring path(buffer, length);
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return WideToUtf8(path);
}

std::uint32_t Win32SystemInfo::WindowsVersion() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  return GetVersion();
#pragma GCC diagnostic pop
}

std::uint32_t Win32SystemInfo::ProcessId() {
  return GetCurrentProcessId();
}

}  // namespace voxtrel::win32
