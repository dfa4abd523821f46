#include "win32/base/message_window.h"

#include <stdexcept>
#include <utility>

#include "win32/base/module.h"

namespace voxtrel::win32 {

MessageWindow::MessageWindow(Handler handler) : handler_(std::move(handler)) {
  const wchar_t* windowClass =
      RegisterWindowClass({.name = L"VoxtrelMessageWindow", .procedure = &WindowProc});
  window_.reset(CreateWindowExW(0, windowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ThisModule(), nullptr));
  if (!window_) throw std::runtime_error("cannot create a message window");
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageWindow::~MessageWindow() {
  SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

void MessageWindow::DiscardPending(UINT message) {
  MSG pending{};
  while (PeekMessageW(&pending, window_.get(), message, message, PM_REMOVE)) {
  }
}

LRESULT CALLBACK MessageWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept {
  auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    // The handler may destroy this window's owner: run a copy and touch nothing after it.
    try {
      const Handler handler = self->handler_;
      if (const std::optional<LRESULT> result = handler(message, wParam, lParam)) return *result;
    } catch (...) {
      // Nothing may unwind through DispatchMessage.
      OutputDebugStringW(L"Vox Trel: a message handler failed\n");
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace voxtrel::win32
