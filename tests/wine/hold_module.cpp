// hold_module PATH: loads the DLL at PATH as Outlook would and holds it until
// "hold_module --release" runs, so the installer test can run setup while the add-in is loaded.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>

namespace {

constexpr wchar_t kReleaseEvent[] = L"VoxTrelHoldModuleRelease";

struct CloseKernelHandle {
  void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
struct FreeModule {
  void operator()(HMODULE module) const noexcept { FreeLibrary(module); }
};
using UniqueEvent = std::unique_ptr<std::remove_pointer_t<HANDLE>, CloseKernelHandle>;
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeModule>;

int Release() {
  const UniqueEvent event(OpenEventW(EVENT_MODIFY_STATE, FALSE, kReleaseEvent));
  if (!event || !SetEvent(event.get())) {
    std::printf("no module is held: error %lu\n", GetLastError());
    return 1;
  }
  return 0;
}

int Hold(const char* path) {
  // Created before the module loads: a release that comes early is not lost.
  const UniqueEvent event(CreateEventW(nullptr, TRUE, FALSE, kReleaseEvent));
  const UniqueModule module(LoadLibraryA(path));
  if (!event || !module) {
    std::printf("cannot hold %s: error %lu\n", path, GetLastError());
    return 1;
  }
  std::printf("holding %s\n", path);
  std::fflush(stdout);
  WaitForSingleObject(event.get(), INFINITE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hold_module PATH | hold_module --release\n");
    return 2;
  }
  return std::strcmp(argv[1], "--release") == 0 ? Release() : Hold(argv[1]);
}
