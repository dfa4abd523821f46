#include "win32/base/module.h"

#include <mutex>
#include <stdexcept>
#include <vector>

namespace voxtrel::win32 {
namespace {

// Any object of this module names it; an object, so that no function pointer is cast.
const char kModuleAnchor = 0;

struct RegisteredClasses {
  std::mutex mutex;
  std::vector<const wchar_t*> names;
};

RegisteredClasses& Registered() {
  // Never destroyed: its destructor would run under the loader lock.
  static auto* registered = new RegisteredClasses;
  return *registered;
}

}  // namespace

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module);
  return module;
}

std::wstring ThisModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

const wchar_t* RegisterWindowClass(const WindowClassDesign& design) {
  RegisteredClasses& registered = Registered();
  const std::lock_guard lock(registered.mutex);
  for (const wchar_t* name : registered.names) {
    if (name == design.name) return name;
  }
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = design.procedure;
  windowClass.hInstance = ThisModule();
  windowClass.hCursor = design.cursor;
  windowClass.hbrBackground = design.background;
  windowClass.lpszClassName = design.name;
  if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    throw std::runtime_error("cannot register a window class");
  }
  registered.names.push_back(design.name);
  return design.name;
}

void UnregisterWindowClasses() noexcept {
  RegisteredClasses& registered = Registered();
  const std::lock_guard lock(registered.mutex);
  // A class that still has windows stays registered; it is tried again next time.
  std::erase_if(registered.names,
                [](const wchar_t* name) { return UnregisterClassW(name, ThisModule()) != 0; });
}

}  // namespace voxtrel::win32
