#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/event_loop.h"

namespace voxtrel::sim {

// An event loop on a virtual clock. A pump moves time to the next due timer or scheduled
// action and runs everything due then, so timer-driven and re-entrant behaviour can be
// tested exactly and without waiting. Scheduled actions run before timers, as posted
// messages come before WM_TIMER. A pump with nothing scheduled lets kIdleStepMs pass.
class VirtualEventLoop final : public platform::IEventLoop {
 public:
  static constexpr std::uint64_t kIdleStepMs = 10;

  VirtualEventLoop();
  ~VirtualEventLoop() override;

  std::unique_ptr<platform::ITimer> CreateTimer(std::function<void()> handler) override;
  void DoEvents() override;
  std::uint64_t TickCount() override { return now_; }

  std::uint64_t Now() const { return now_; }
  std::uint64_t PumpCount() const { return pumps_; }

  // Runs `action` in the first pump at or after virtual time `at` (a click, a notification).
  void PostAt(std::uint64_t at, std::function<void()> action);
  void Post(std::function<void()> action) { PostAt(now_, std::move(action)); }

  // Lets time pass without running anything: a wait that does not pump.
  void AdvanceTo(std::uint64_t at);

  // Pumps until `done` holds; false when `limitMs` of virtual time passed first.
  bool PumpUntil(const std::function<bool()>& done, std::uint64_t limitMs);

  struct TimerState;
  struct Scheduled;

 private:
  friend class VirtualTimer;
  void Forget(const TimerState* timer);
  bool NextDue(std::uint64_t* due) const;
  void RunDueActions();
  void RunDueTimers();

  std::uint64_t now_ = 0;
  std::uint64_t pumps_ = 0;
  std::uint64_t sequence_ = 0;
  std::vector<std::shared_ptr<TimerState>> timers_;
  std::vector<std::shared_ptr<Scheduled>> scheduled_;
};

}  // namespace voxtrel::sim
