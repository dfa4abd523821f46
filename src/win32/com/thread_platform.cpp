#include "win32/com/thread_platform.h"

#include <atomic>
#include <list>
#include <memory>
#include <utility>

#include "options/frm_install.h"
#include "win32/com/deferred_release.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel::win32::com {
namespace {

constexpr std::uint32_t kSoonMs = 1;

struct PendingRelease {
  std::shared_ptr<voxtrel::VoxtrelInst> core;
  std::unique_ptr<platform::ITimer> timer;
};

// The thread's ports, and the cores that end on its next pump.
struct ThreadState {
  Win32Platform platform;
  std::list<PendingRelease> pendingReleases;  // after the ports: they end first
};

std::atomic<int> alivePlatforms{0};

// A plain pointer: a thread_local with a destructor would end windows and devices at thread
// detach, under the loader lock.
thread_local ThreadState* threadState = nullptr;

}  // namespace

void EnsureThreadPlatform() {
  if (threadState != nullptr) return;
  threadState = new ThreadState();
  alivePlatforms.fetch_add(1);
}

void ReleaseThreadPlatform() noexcept {
  ThreadState* state = std::exchange(threadState, nullptr);
  if (state == nullptr) return;
  // The cores first, in order, while the ports they use still work.
  while (!state->pendingReleases.empty()) state->pendingReleases.pop_front();
  voxtrel::frmInstall::ReleaseInstance();
  delete state;
  alivePlatforms.fetch_sub(1);
}

bool ThreadPlatformsAlive() {
  return alivePlatforms.load() != 0;
}

void ReleaseWhenIdle(std::shared_ptr<voxtrel::VoxtrelInst> core) noexcept {
  if (threadState == nullptr) return;
  auto& pending = threadState->pendingReleases;
  try {
    pending.push_back({std::move(core), nullptr});
    const auto entry = std::prev(pending.end());
    // The event loop allows a timer to be destroyed from its own handler.
    entry->timer =
        platform::Current().events.CreateTimer([&pending, entry] { pending.erase(entry); });
    entry->timer->SetInterval(kSoonMs);
    entry->timer->SetEnabled(true);
  } catch (...) {
    // Without a timer the entry stays until the ports are released: late beats too early.
  }
}

}  // namespace voxtrel::win32::com
