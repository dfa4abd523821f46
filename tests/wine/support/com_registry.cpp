#include "wine/support/com_registry.h"

#include <windows.h>

#include <string>
#include <vector>

#include "win32/base/text.h"
#include "win32/base/unique_handle.h"

namespace voxtrel::win32::testing {
namespace {

constexpr DWORD kRegsvr32PatienceMs = 60000;
constexpr DWORD kLongestValueName = 16384;

std::string ValueLine(const std::wstring& path, const std::wstring& name, DWORD type,
                      const std::vector<BYTE>& data) {
  std::string line = WideToUtf8(path) + "|" + WideToUtf8(name) + "=";
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return line + WideToUtf8(text);
  }
  if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    return line + "dword " + std::to_string(*reinterpret_cast<const DWORD*>(data.data()));
  }
  return line + "type " + std::to_string(type) + ", " + std::to_string(data.size()) + " bytes";
}

void SnapshotKey(HKEY parent, const std::wstring& path, const std::wstring& relative,
                 std::set<std::string>& lines) {
  UniqueHkey key;
  if (RegOpenKeyExW(parent, relative.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  lines.insert(WideToUtf8(path));
  for (DWORD index = 0;; ++index) {
    std::wstring name(kLongestValueName, L'\0');
    DWORD nameLength = kLongestValueName;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size);
    nameLength = kLongestValueName;
    RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
    data.resize(size);
    name.resize(nameLength);
    lines.insert(ValueLine(path, name, type, data));
  }
  for (DWORD index = 0;; ++index) {
    wchar_t name[256] = {};
    DWORD nameLength = static_cast<DWORD>(std::size(name));
    if (RegEnumKeyExW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    SnapshotKey(key.get(), path + L"\\" + name, name, lines);
  }
}

}  // namespace

std::set<std::string> SnapshotUserKey(const std::string& path) {
  std::set<std::string> lines;
  const std::wstring wide = Utf8ToWide(path);
  SnapshotKey(HKEY_CURRENT_USER, L"HKCU\\" + wide, wide, lines);
  return lines;
}

std::set<std::string> SnapshotUserClasses() {
  return SnapshotUserKey("Software\\Classes");
}

std::optional<std::string> SetUserString(const std::string& key, const std::string& name,
                                         const std::optional<std::string>& data) {
  UniqueHkey opened;
  RegCreateKeyExW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, opened.put(), nullptr);
  const std::wstring wideName = Utf8ToWide(name);
  std::optional<std::string> old;
  std::wstring held(1024, L'\0');
  DWORD size = static_cast<DWORD>(held.size() * sizeof(wchar_t));
  if (RegGetValueW(opened.get(), nullptr, wideName.c_str(), RRF_RT_REG_SZ, nullptr, held.data(),
                   &size) == ERROR_SUCCESS) {
    held.resize(size / sizeof(wchar_t) - 1);
    old = WideToUtf8(held);
  }
  if (data) {
    const std::wstring wide = Utf8ToWide(*data);
    RegSetValueExW(opened.get(), wideName.c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteValueW(opened.get(), wideName.c_str());
  }
  return old;
}

int RunRegsvr32(const std::string& dllPath, bool unregister) {
  wchar_t folder[MAX_PATH] = {};
  const std::wstring program =
      std::wstring(folder, GetSystemDirectoryW(folder, MAX_PATH)) + L"\\regsvr32.exe";
  std::wstring commandLine = L"\"" + program + L"\" /s " + (unregister ? L"/u " : L"") + L"\"" +
                             Utf8ToWide(dllPath) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return -1;
  }
  const UniqueHandle process(started.hProcess);
  const UniqueHandle thread(started.hThread);
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.get(), kRegsvr32PatienceMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &exitCode)) {
    return -1;
  }
  return static_cast<int>(exitCode);
}

std::string ProgramFolder() {
  std::wstring path(32768, L'\0');  // the longest path Windows has
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return WideToUtf8(path.substr(0, path.find_last_of(L"\\/")));
}

}  // namespace voxtrel::win32::testing
