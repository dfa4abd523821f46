#include "sim/platform/virtual_event_loop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace voxtrel::sim {

struct VirtualEventLoop::TimerState {
  std::function<void()> handler;
  std::uint32_t interval = 0;
  bool enabled = false;
  bool busy = false;
  std::uint64_t due = 0;
  std::uint64_t order = 0;

  bool Armed() const { return enabled && interval > 0 && !busy; }
};

struct VirtualEventLoop::Scheduled {
  std::uint64_t at = 0;
  std::uint64_t order = 0;
  std::function<void()> action;
};

class VirtualTimer final : public platform::ITimer {
 public:
  VirtualTimer(VirtualEventLoop& loop, std::shared_ptr<VirtualEventLoop::TimerState> state)
      : loop_(loop), state_(std::move(state)) {}
  ~VirtualTimer() override { loop_.Forget(state_.get()); }

  void SetInterval(std::uint32_t milliseconds) override {
    state_->interval = milliseconds;
    Restart();
  }
  std::uint32_t Interval() const override { return state_->interval; }
  void SetEnabled(bool enabled) override {
    if (enabled == state_->enabled) return;
    state_->enabled = enabled;
    Restart();
  }
  bool Enabled() const override { return state_->enabled; }

 private:
  void Restart() { state_->due = loop_.Now() + state_->interval; }

  VirtualEventLoop& loop_;
  std::shared_ptr<VirtualEventLoop::TimerState> state_;
};

VirtualEventLoop::VirtualEventLoop() = default;
VirtualEventLoop::~VirtualEventLoop() = default;

std::unique_ptr<platform::ITimer> VirtualEventLoop::CreateTimer(std::function<void()> handler) {
  auto state = std::make_shared<TimerState>();
  state->handler = std::move(handler);
  state->order = sequence_++;
  timers_.push_back(state);
  return std::make_unique<VirtualTimer>(*this, std::move(state));
}

void VirtualEventLoop::Forget(const TimerState* timer) {
  std::erase_if(timers_, [timer](const auto& state) { return state.get() == timer; });
}

void VirtualEventLoop::PostAt(std::uint64_t at, std::function<void()> action) {
  auto item = std::make_shared<Scheduled>();
  item->at = std::max(at, now_);
  item->order = sequence_++;
  item->action = std::move(action);
  scheduled_.push_back(std::move(item));
}

void VirtualEventLoop::AdvanceTo(std::uint64_t at) {
  now_ = std::max(now_, at);
}

std::optional<std::uint64_t> VirtualEventLoop::NextDueTime() const {
  std::optional<std::uint64_t> next;
  const auto consider = [&next](std::uint64_t due) { next = next ? std::min(*next, due) : due; };
  for (const auto& item : scheduled_) consider(item->at);
  for (const auto& timer : timers_) {
    if (timer->Armed()) consider(timer->due);
  }
  return next;
}

void VirtualEventLoop::DoEvents() {
  ++pumps_;
  const std::optional<std::uint64_t> due = NextDueTime();
  if (!due || *due > now_) now_ = due ? std::min(*due, now_ + kPumpCostMs) : now_ + kPumpCostMs;
  CheckPumpLimit();
  RunDue();
}

void VirtualEventLoop::RunNext() {
  ++pumps_;
  const std::optional<std::uint64_t> due = NextDueTime();
  now_ = due ? std::max(now_, *due) : now_ + kIdleStepMs;
  RunDue();
}

void VirtualEventLoop::RunDue() {
  RunDueActions();
  RunDueTimers();
}

void VirtualEventLoop::WaitForEvents(std::uint32_t timeoutMs) {
  std::uint64_t until = now_ + timeoutMs;
  if (const auto due = NextDueTime()) until = std::min(until, std::max(*due, now_));
  now_ = until;
  CheckPumpLimit();
}

void VirtualEventLoop::RunDueActions() {
  std::vector<std::shared_ptr<Scheduled>> due;
  for (const auto& item : scheduled_) {
    if (item->at <= now_) due.push_back(item);
  }
  std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
    return a->at != b->at ? a->at < b->at : a->order < b->order;
  });
  std::erase_if(scheduled_, [this](const auto& item) { return item->at <= now_; });
  for (const auto& item : due) item->action();
}

void VirtualEventLoop::RunDueTimers() {
  std::vector<std::shared_ptr<TimerState>> due;
  for (const auto& timer : timers_) {
    if (timer->Armed() && timer->due <= now_) due.push_back(timer);
  }
  std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) {
    return a->due != b->due ? a->due < b->due : a->order < b->order;
  });
  for (const auto& timer : due) {
    // An earlier handler may have stopped, restarted or destroyed this timer.
    const bool alive = std::any_of(timers_.begin(), timers_.end(),
                                   [&](const auto& state) { return state == timer; });
    if (!alive || !timer->Armed() || timer->due > now_) continue;
    timer->due = now_ + timer->interval;
    timer->busy = true;
    struct Idle {
      TimerState& timer;
      ~Idle() { timer.busy = false; }
    } idle{*timer};
    timer->handler();
  }
}

void VirtualEventLoop::CheckPumpLimit() const {
  if (pumpLimits_.empty()) return;
  const std::uint64_t limit = *std::min_element(pumpLimits_.begin(), pumpLimits_.end());
  if (now_ <= limit) return;
  // Unwinding the code under test is not ours to do, and waiting would never end.
  const std::string message = "virtual event loop: the code under test pumps on past " +
                              std::to_string(limit) +
                              " ms, the limit of the pump that runs it: it never returns\n";
  std::fflush(nullptr);
  std::fputs(message.c_str(), stderr);
  std::abort();
}

bool VirtualEventLoop::PumpUntil(const std::function<bool()>& done, std::uint64_t limitMs) {
  const std::uint64_t end = now_ + limitMs;
  pumpLimits_.push_back(end);
  struct Leave {
    std::vector<std::uint64_t>& limits;
    ~Leave() { limits.pop_back(); }
  } const leave{pumpLimits_};
  while (!done()) {
    if (now_ >= end) return false;
    const std::optional<std::uint64_t> due = NextDueTime();
    if (due.value_or(now_ + kIdleStepMs) > end) {
      now_ = end;  // nothing falls due within the limit
      continue;
    }
    RunNext();
  }
  return true;
}

}  // namespace voxtrel::sim
