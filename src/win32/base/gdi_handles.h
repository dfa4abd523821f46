#pragma once

#include <windows.h>

#include "win32/base/unique_handle.h"

// Device contexts and selections held for a scope; GDI object owners are in unique_handle.h.
namespace voxtrel::win32 {

// A device context from GetDC or GetDCEx, released at the end of the scope.
class WindowDc {
 public:
  // The whole screen's DC for a null window.
  explicit WindowDc(HWND window, DWORD flags = 0)
      : window_(window), dc_(flags == 0 ? GetDC(window) : GetDCEx(window, nullptr, flags)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A window's painting between BeginPaint and EndPaint, for WM_PAINT.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintScope() { EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};  // before dc_: BeginPaint fills it
  HDC dc_;
};

// Keeps an object selected into a DC until the scope ends, then puts the previous one back.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace voxtrel::win32
