#include "win32/platform/win32_event_loop.h"

#include <set>
#include <stdexcept>
#include <utility>

namespace voxtrel::win32 {
namespace {

// Bounds one pump, so a flood of messages cannot keep DoEvents from returning.
constexpr int kMaxMessagesPerPump = 1000;

}  // namespace

struct Win32EventLoop::TimerState {
  std::function<void()> handler;
  std::uint32_t interval = 0;
  bool enabled = false;
  bool busy = false;
};

class Win32Timer final : public platform::ITimer {
 public:
  Win32Timer(Win32EventLoop& loop, UINT_PTR id, std::shared_ptr<Win32EventLoop::TimerState> state)
      : loop_(loop), id_(id), state_(std::move(state)) {}
  ~Win32Timer() override { loop_.Forget(id_); }

  void SetInterval(std::uint32_t milliseconds) override {
    state_->interval = milliseconds;
    loop_.Apply(id_, *state_);
  }
  std::uint32_t Interval() const override { return state_->interval; }
  void SetEnabled(bool enabled) override {
    if (enabled == state_->enabled) return;
    state_->enabled = enabled;
    loop_.Apply(id_, *state_);
  }
  bool Enabled() const override { return state_->enabled; }

 private:
  Win32EventLoop& loop_;
  UINT_PTR id_;
  std::shared_ptr<Win32EventLoop::TimerState> state_;
};

Win32EventLoop::Win32EventLoop()
    : window_([this](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message != WM_TIMER) return std::nullopt;
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
      }) {}

Win32EventLoop::~Win32EventLoop() {
  for (const auto& [id, state] : timers_) KillTimer(window_.get(), id);
}

std::unique_ptr<platform::ITimer> Win32EventLoop::CreateTimer(std::function<void()> handler) {
  auto state = std::make_shared<TimerState>();
  state->handler = std::move(handler);
  const UINT_PTR id = nextId_++;
  timers_[id] = state;
  return std::make_unique<Win32Timer>(*this, id, std::move(state));
}

void Win32EventLoop::Apply(UINT_PTR id, const TimerState& state) {
  // SetTimer on a running timer restarts its count, as a changed interval should.
  if (state.enabled && state.interval > 0) {
    SetTimer(window_.get(), id, state.interval, nullptr);
  } else {
    KillTimer(window_.get(), id);
  }
}

void Win32EventLoop::Forget(UINT_PTR id) {
  KillTimer(window_.get(), id);
  timers_.erase(id);
}

void Win32EventLoop::DoEvents() {
  MSG message{};
  for (int count = 0; count < kMaxMessagesPerPump; ++count) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
    if (message.message == WM_QUIT) {
      // Leave the quit for the thread's own loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
  }
}

void Win32EventLoop::WaitForEvents(std::uint32_t timeoutMs) {
  MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

std::uint64_t Win32EventLoop::TickCount() {
  return GetTickCount64();
}

void Win32EventLoop::OnTimer(UINT_PTR id) {
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  // Keep the state alive even if the handler destroys its timer.
  const std::shared_ptr<TimerState> state = found->second;
  if (state->busy || !state->enabled) return;
  state->busy = true;
  try {
    state->handler();
  } catch (...) {
    // Exceptions must not unwind through DispatchMessage; DoEvents rethrows it.
    pending_ = std::current_exception();
  }
  state->busy = false;
}

}  // namespace voxtrel::win32
