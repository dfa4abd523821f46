#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/event_loop.h"

namespace voxtrel::sim {

// An event loop on a virtual clock, so timer-driven and re-entrant behaviour can be tested
// exactly and without waiting. The test's pumping (RunNext, PumpUntil) moves time to the next
// due timer or scheduled action and runs everything due then. The code under test pumps with
// DoEvents, which runs what is due and, when nothing is, lets kPumpCostMs pass, as a real pump
// takes a little time. Scheduled actions run before timers, as posted messages come before
// WM_TIMER.
class VirtualEventLoop final : public platform::IEventLoop {
 public:
  static constexpr std::uint64_t kIdleStepMs = 10;
  static constexpr std::uint64_t kPumpCostMs = 1;

  VirtualEventLoop();
  ~VirtualEventLoop() override;

  std::unique_ptr<platform::ITimer> CreateTimer(std::function<void()> handler) override;
  void DoEvents() override;
  void WaitForEvents(std::uint32_t timeoutMs) override;
  std::uint64_t TickCount() override { return now_; }

  // The test's pump: moves to the next due item (or lets kIdleStepMs pass when nothing is
  // scheduled) and runs everything due then.
  void RunNext();

  std::uint64_t Now() const { return now_; }
  std::uint64_t PumpCount() const { return pumps_; }

  // Runs `action` in the first pump at or after virtual time `at` (a click, a notification).
  void PostAt(std::uint64_t at, std::function<void()> action);
  void Post(std::function<void()> action) { PostAt(now_, std::move(action)); }

  // Lets time pass without running anything: a wait that does not pump.
  void AdvanceTo(std::uint64_t at);

  // When the next timer or scheduled action falls due; nullopt when nothing is pending.
  std::optional<std::uint64_t> NextDueTime() const;

  // Pumps until `done` holds; false when `limitMs` of virtual time passed first. Time never
  // moves past the limit. The limit binds the pumps of the code it runs too: code that pumps on
  // past it would never hand control back, so the process ends there with a message instead of
  // spinning for ever.
  bool PumpUntil(const std::function<bool()>& done, std::uint64_t limitMs);

  struct TimerState;
  struct Scheduled;

 private:
  friend class VirtualTimer;
  void Forget(const TimerState* timer);
  void RunDue();
  void RunDueActions();
  void RunDueTimers();
  void CheckPumpLimit() const;

  std::uint64_t now_ = 0;
  std::uint64_t pumps_ = 0;
  std::uint64_t sequence_ = 0;
  std::vector<std::shared_ptr<TimerState>> timers_;
  std::vector<std::shared_ptr<Scheduled>> scheduled_;
  std::vector<std::uint64_t> pumpLimits_;  // of the PumpUntil calls running
};

}  // namespace voxtrel::sim
