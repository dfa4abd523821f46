#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace voxtrel::platform {

// A form timer: fires its handler every Interval milliseconds while enabled and events are
// pumped. Setting the interval or enabling restarts the count. A handler that pumps events
// is not re-entered by its own timer. Destroying the timer stops it, also from its handler.
class ITimer {
 public:
  virtual ~ITimer() = default;
  virtual void SetInterval(std::uint32_t milliseconds) = 0;
  virtual std::uint32_t Interval() const = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

// The user-interface thread's event loop.
class IEventLoop {
 public:
  virtual ~IEventLoop() = default;
  // A new timer, disabled, with interval 0.
  virtual std::unique_ptr<ITimer> CreateTimer(std::function<void()> handler) = 0;
  // Pumps pending events once (what DoEvents does): runs what is due, then returns.
  virtual void DoEvents() = 0;
  // Blocks without spinning until an event is ready to pump or `timeoutMs` passed. Pumps
  // nothing itself: waits call it between pumps instead of polling.
  virtual void WaitForEvents(std::uint32_t timeoutMs) = 0;
  // Milliseconds on a monotonic clock, for bounding waits.
  virtual std::uint64_t TickCount() = 0;
};

}  // namespace voxtrel::platform
