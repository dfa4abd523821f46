#include "win32/com/thread_platform.h"

#include <atomic>
#include <memory>

#include "win32/platform/win32_platform.h"

namespace voxtrel::win32::com {
namespace {

std::atomic<int> alivePlatforms{0};

// The thread's ports, counted while they live so the DLL is not unloaded under them.
class ThreadPlatform {
 public:
  ThreadPlatform() = default;
  ~ThreadPlatform() {
    if (platform_) alivePlatforms.fetch_sub(1);
  }
  ThreadPlatform(const ThreadPlatform&) = delete;
  ThreadPlatform& operator=(const ThreadPlatform&) = delete;

  void Ensure() {
    if (platform_) return;
    platform_ = std::make_unique<Win32Platform>();
    alivePlatforms.fetch_add(1);
  }

 private:
  std::unique_ptr<Win32Platform> platform_;
};

thread_local ThreadPlatform threadPlatform;

}  // namespace

void EnsureThreadPlatform() {
  threadPlatform.Ensure();
}

bool ThreadPlatformsAlive() {
  return alivePlatforms.load() != 0;
}

}  // namespace voxtrel::win32::com
