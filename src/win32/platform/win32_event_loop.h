#pragma once

#include <windows.h>

#include <exception>
#include <map>
#include <memory>

#include "platform/event_loop.h"
#include "win32/base/message_window.h"

namespace voxtrel::win32 {

// The thread's message queue: timers on a hidden message-only window and a
// PeekMessage/DispatchMessage pump. Create it on the thread that pumps.
class Win32EventLoop final : public platform::IEventLoop {
 public:
  Win32EventLoop();
  ~Win32EventLoop() override;
  Win32EventLoop(const Win32EventLoop&) = delete;
  Win32EventLoop& operator=(const Win32EventLoop&) = delete;

  std::unique_ptr<platform::ITimer> CreateTimer(std::function<void()> handler) override;
  void DoEvents() override;
  void WaitForEvents(std::uint32_t timeoutMs) override;
  std::uint64_t TickCount() override;

  struct TimerState;

 private:
  friend class Win32Timer;
  void OnTimer(UINT_PTR id);
  void Apply(UINT_PTR id, const TimerState& state);
  void Forget(UINT_PTR id);

  UINT_PTR nextId_ = 1;
  std::map<UINT_PTR, std::shared_ptr<TimerState>> timers_;
  std::exception_ptr pending_;
  MessageWindow window_;  // last, so it goes first: its handler uses the members above
};

}  // namespace voxtrel::win32
