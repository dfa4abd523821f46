#include "win32/com/deferred_release.h"

#include <list>
#include <utility>

#include "platform/platform.h"

namespace voxtrel::win32::com {
namespace {

constexpr std::uint32_t kSoonMs = 1;

struct PendingRelease {
  std::shared_ptr<voxtrel::VoxtrelInst> core;
  std::unique_ptr<platform::ITimer> timer;
};

thread_local std::list<PendingRelease> pendingReleases;

}  // namespace

void ReleaseWhenIdle(std::shared_ptr<voxtrel::VoxtrelInst> core) noexcept {
  try {
    pendingReleases.push_back({std::move(core), nullptr});
    const auto entry = std::prev(pendingReleases.end());
    // The event loop allows a timer to be destroyed from its own handler.
    entry->timer =
        platform::Current().events.CreateTimer([entry] { pendingReleases.erase(entry); });
    entry->timer->SetInterval(kSoonMs);
    entry->timer->SetEnabled(true);
  } catch (...) {
    // Without a timer the entry stays until the thread ends: late beats too early.
  }
}

}  // namespace voxtrel::win32::com
