#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "win32/base/unique_handle.h"

namespace voxtrel::win32 {

// A hidden message-only window on the creating thread: timers and notifications sent to it
// arrive while that thread pumps its messages. The handler answers the messages it handles
// and leaves the rest to DefWindowProc; it may destroy the window's owner.
class MessageWindow {
 public:
  using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM, LPARAM)>;

  explicit MessageWindow(Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  HWND get() const { return window_.get(); }
  // Removes messages of this kind that were posted but not yet dispatched.
  void DiscardPending(UINT message);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;

  Handler handler_;
  UniqueWindow window_;
};

}  // namespace voxtrel::win32
