#pragma once

#include <windows.h>

#include <functional>

namespace voxtrel::win32 {

// A hidden message-only window on the creating thread that receives MCI notifications, so
// they arrive while that thread pumps its messages. The handler gets the notify code and the
// device id; it may destroy the window's owner.
class NotifyWindow {
 public:
  using Handler = std::function<void(WPARAM notifyCode, LPARAM deviceId)>;

  explicit NotifyWindow(Handler handler);
  ~NotifyWindow();
  NotifyWindow(const NotifyWindow&) = delete;
  NotifyWindow& operator=(const NotifyWindow&) = delete;

  HWND get() const { return window_; }
  // Removes notifications that were posted but not yet dispatched.
  void DiscardPending();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  Handler handler_;
  HWND window_ = nullptr;
};

}  // namespace voxtrel::win32
