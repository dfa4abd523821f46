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

std::set<std::string> SnapshotUserClasses() {
  std::set<std::string> lines;
  SnapshotKey(HKEY_CURRENT_USER, L"HKCU\\Software\\Classes", L"Software\\Classes", lines);
  return lines;
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
