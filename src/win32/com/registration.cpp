#include "win32/com/registration.h"

#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include <string>
#include <utility>
#include <vector>

#include "voxtrel_idl.h"
#include "win32/base/unique_handle.h"
#include "win32/com/automation_error.h"
#include "win32/com/com_ptr.h"
#include "win32/com/connect_object.h"
#include "win32/com/module.h"
#include "win32/com/type_library.h"

// oleaut32 exports these, but mingw-w64's oleauto.h does not declare them.
extern "C" {
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpFolder);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor, LCID lcid,
                                        SYSKIND kind);
}

namespace voxtrel::win32::com {
namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes";
constexpr wchar_t kOutlookAddins[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\";
constexpr wchar_t kTypeLibraryVersion[] = L"1.0";
constexpr WORD kTypeLibraryMajor = 1;
constexpr WORD kTypeLibraryMinor = 0;
#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif

// A creatable class of this server.
struct ServerClass {
  const CLSID* clsid;
  const wchar_t* progId;
  const wchar_t* name;
  bool inTypeLibrary;
};

const ServerClass kRecorder{&CLSID_VoxtrelInst, L"Voxtrel.VoxtrelInst", L"VoxtrelInst", true};
const ServerClass kConnect{&kClsidConnect, L"Voxtrel.Connect", L"Connect", false};
const ServerClass* const kClasses[] = {&kRecorder, &kConnect};

// Outlook's entry for the add-in, named after the class it creates.
constexpr wchar_t kAddinFriendlyName[] = L"Voxtrel";
constexpr wchar_t kAddinDescription[] = L"MP3 Voice Email Add-in";
constexpr DWORD kLoadAtStartup = 3;

struct NamedValue {
  std::wstring name;
  std::wstring data;
};

// One key below the user's classes with its default value and named string values.
struct KeyEntry {
  std::wstring path;
  std::wstring defaultValue;
  std::vector<NamedValue> values;
};

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return text;
}

std::wstring ClassKey(const ServerClass& server) {
  return L"CLSID\\" + GuidText(*server.clsid);
}

std::wstring AddinKey() {
  return kOutlookAddins + std::wstring(kConnect.progId);
}

std::vector<KeyEntry> ServerKeys(const ServerClass& server, const std::wstring& dllPath) {
  const std::wstring classKey = ClassKey(server);
  const std::wstring progId = server.progId;
  std::vector<KeyEntry> keys = {
      {classKey, server.name, {}},
      {classKey + L"\\InprocServer32", dllPath, {{L"ThreadingModel", L"Apartment"}}},
      {classKey + L"\\ProgID", progId, {}},
      {progId, server.name, {}},
      {progId + L"\\CLSID", GuidText(*server.clsid), {}},
  };
  if (server.inTypeLibrary) {
    keys.push_back({classKey + L"\\TypeLib", GuidText(LIBID_Voxtrel), {}});
    keys.push_back({classKey + L"\\Version", kTypeLibraryVersion, {}});
  }
  return keys;
}

LSTATUS SetString(HKEY key, const wchar_t* name, const std::wstring& data) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

LSTATUS WriteKey(HKEY classes, const KeyEntry& entry) {
  UniqueHkey key;
  LSTATUS status = RegCreateKeyExW(classes, entry.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (status == ERROR_SUCCESS) status = SetString(key.get(), nullptr, entry.defaultValue);
  for (const NamedValue& value : entry.values) {
    if (status == ERROR_SUCCESS) status = SetString(key.get(), value.name.c_str(), value.data);
  }
  return status;
}

// Outlook loads the add-in at start-up from this entry.
LSTATUS WriteAddinEntry() {
  UniqueHkey key;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, AddinKey().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.put(), nullptr);
  if (status == ERROR_SUCCESS) status = SetString(key.get(), L"FriendlyName", kAddinFriendlyName);
  if (status == ERROR_SUCCESS) status = SetString(key.get(), L"Description", kAddinDescription);
  if (status == ERROR_SUCCESS) {
    status = RegSetValueExW(key.get(), L"LoadBehavior", 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&kLoadAtStartup), sizeof(kLoadAtStartup));
  }
  return status;
}

LSTATUS CreateUserClasses(UniqueHkey& classes) {
  return RegCreateKeyExW(HKEY_CURRENT_USER, kUserClasses, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, classes.put(), nullptr);
}

// Whether the ProgID's CLSID names some other class: another server may own the name now.
bool ProgIdNamesOtherClass(HKEY classes, const ServerClass& server) {
  wchar_t data[64] = {};
  DWORD size = sizeof(data);
  const std::wstring path = std::wstring(server.progId) + L"\\CLSID";
  const LSTATUS status =
      RegGetValueW(classes, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size);
  if (status == ERROR_FILE_NOT_FOUND) return false;
  return status != ERROR_SUCCESS ||
         CompareStringOrdinal(data, -1, GuidText(*server.clsid).c_str(), -1, TRUE) != CSTR_EQUAL;
}

LSTATUS DeleteTree(HKEY parent, const std::wstring& path) {
  const LSTATUS status = RegDeleteTreeW(parent, path.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS DeleteClass(HKEY classes, const ServerClass& server) {
  LSTATUS status = ERROR_SUCCESS;
  if (!ProgIdNamesOtherClass(classes, server)) status = DeleteTree(classes, server.progId);
  const LSTATUS classStatus = DeleteTree(classes, ClassKey(server));
  return status == ERROR_SUCCESS ? classStatus : status;
}

HRESULT RegisterTypeLibrary(const std::wstring& dllPath) {
  ComPtr<ITypeLib> library;
  const HRESULT hr = LoadEmbeddedTypeLibrary(library);
  if (FAILED(hr)) return hr;
  std::wstring path = dllPath;
  return RegisterTypeLibForUser(library.get(), path.data(), nullptr);
}

}  // namespace

HRESULT RegisterServer() noexcept {
  return ComEntry(IID_NULL, [] {
    const std::wstring dllPath = ThisModulePath();
    if (dllPath.empty()) return HRESULT_FROM_WIN32(GetLastError());
    UniqueHkey classes;
    LSTATUS status = CreateUserClasses(classes);
    for (const ServerClass* server : kClasses) {
      for (const KeyEntry& entry : ServerKeys(*server, dllPath)) {
        if (status == ERROR_SUCCESS) status = WriteKey(classes.get(), entry);
      }
    }
    if (status == ERROR_SUCCESS) status = WriteAddinEntry();
    HRESULT hr = HRESULT_FROM_WIN32(status);
    if (SUCCEEDED(hr) && FAILED(RegisterTypeLibrary(dllPath))) hr = SELFREG_E_TYPELIB;
    // Half a registration would leave a class that cannot be created.
    if (FAILED(hr)) UnregisterServer();
    return hr;
  });
}

// The user's settings beside the add-in's entry stay.
HRESULT UnregisterServer() noexcept {
  return ComEntry(IID_NULL, [] {
    UniqueHkey classes;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kUserClasses, 0,
                                   KEY_READ | KEY_SET_VALUE | DELETE, classes.put());
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    for (const ServerClass* server : kClasses) {
      const LSTATUS classStatus = DeleteClass(classes.get(), *server);
      if (status == ERROR_SUCCESS) status = classStatus;
    }
    const LSTATUS addinStatus = DeleteTree(HKEY_CURRENT_USER, AddinKey());
    if (status == ERROR_SUCCESS) status = addinStatus;
    // Fails harmlessly when the library was not registered.
    UnRegisterTypeLibForUser(LIBID_Voxtrel, kTypeLibraryMajor, kTypeLibraryMinor, LANG_NEUTRAL,
                             kSysKind);
    return HRESULT_FROM_WIN32(status);
  });
}

}  // namespace voxtrel::win32::com
