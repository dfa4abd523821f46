#include "win32/base/notify_window.h"

#include <mmsystem.h>

#include <stdexcept>
#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace voxtrel::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"VoxtrelMciNotify";

// The module holding the window procedure: the add-in DLL inside Outlook.
HINSTANCE ThisModule() {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

bool RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ThisModule();
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

NotifyWindow::NotifyWindow(Handler handler) : handler_(std::move(handler)) {
  if (!RegisterWindowClass(&NotifyWindow::WindowProc)) {
    throw std::runtime_error("cannot register the multimedia notification window class");
  }
  window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            ThisModule(), nullptr);
  if (window_ == nullptr) throw std::runtime_error("cannot create the multimedia window");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NotifyWindow::~NotifyWindow() {
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
  // A DLL's classes outlive it unless it unregisters them; this fails while others remain.
  UnregisterClassW(kWindowClass, ThisModule());
}

void NotifyWindow::DiscardPending() {
  MSG message{};
  while (PeekMessageW(&message, window_, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) {
  }
}

LRESULT CALLBACK NotifyWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != MM_MCINOTIFY) return DefWindowProcW(window, message, wParam, lParam);
  auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    // The handler may destroy this window's owner: run a copy and touch nothing after it.
    const Handler handler = self->handler_;
    try {
      handler(wParam, lParam);
    } catch (...) {
      // Nothing may unwind through DispatchMessage.
      OutputDebugStringW(L"Vox Trel: the multimedia Done handler failed\n");
    }
  }
  return 0;
}

}  // namespace voxtrel::win32
