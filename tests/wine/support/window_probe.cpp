#include "wine/support/window_probe.h"

#include <windows.h>

#include <memory>
#include <type_traits>

#include "win32/base/gdi_handles.h"
#include "win32/base/text.h"

namespace voxtrel::win32::testing {
namespace {

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return WideToUtf8(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return WideToUtf8(std::wstring_view(name, static_cast<std::size_t>(length > 0 ? length : 0)));
}

struct CaptionSearch {
  std::string caption;
  HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<CaptionSearch*>(context);
  if (TextOf(window) != search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

HWND FindByCaption(std::string_view caption) {
  CaptionSearch search{std::string(caption)};
  EnumThreadWindows(GetCurrentThreadId(), &MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

platform::Rect ToRect(const RECT& rect) {
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<ChildWindow> ChildrenOf(HWND parent) {
  std::vector<ChildWindow> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT bounds{};
    GetWindowRect(child, &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    children.push_back(
        {ClassOf(child), TextOf(child), ToRect(bounds), IsWindowVisible(child) != FALSE});
  }
  return children;
}

}  // namespace

std::optional<TopLevelWindow> FindThreadWindow(std::string_view caption) {
  const HWND window = FindByCaption(caption);
  if (window == nullptr) return std::nullopt;
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  TopLevelWindow facts;
  facts.className = ClassOf(window);
  facts.visible = IsWindowVisible(window) != FALSE;
  facts.topmost = (exStyle & WS_EX_TOPMOST) != 0;
  facts.toolWindow = (exStyle & WS_EX_TOOLWINDOW) != 0;
  facts.appWindow = (exStyle & WS_EX_APPWINDOW) != 0;
  facts.systemMenu = (style & WS_SYSMENU) != 0;
  facts.owned = GetWindow(window, GW_OWNER) != nullptr;
  facts.active = GetActiveWindow() == window;
  facts.foreground = GetForegroundWindow() == window;
  RECT frame{};
  GetWindowRect(window, &frame);
  facts.frame = ToRect(frame);
  RECT client{};
  GetClientRect(window, &client);
  facts.clientWidth = client.right - client.left;
  facts.clientHeight = client.bottom - client.top;
  facts.children = ChildrenOf(window);
  return facts;
}

bool CloseThreadWindow(std::string_view caption) {
  const HWND window = FindByCaption(caption);
  if (window == nullptr) return false;
  SendMessageW(window, WM_CLOSE, 0, 0);
  return true;
}

std::optional<ClientPixels> CaptureClient(std::string_view caption) {
  const HWND window = FindByCaption(caption);
  if (window == nullptr) return std::nullopt;
  RECT client{};
  GetClientRect(window, &client);
  ClientPixels capture;
  capture.width = client.right;
  capture.height = client.bottom;
  if (capture.width <= 0 || capture.height <= 0) return std::nullopt;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
  if (!bitmap || !memory) return std::nullopt;
  {
    // A cache DC without the window's child clipping, so children are read as well.
    const WindowDc source(window, DCX_CACHE);
    const ScopedSelection selection(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, capture.width, capture.height, source.get(), 0, 0, SRCCOPY)) {
      return std::nullopt;
    }
  }
  GdiFlush();
  const auto* rgb = static_cast<const std::uint32_t*>(bits);
  capture.pixels.resize(static_cast<std::size_t>(capture.width) *
                        static_cast<std::size_t>(capture.height));
  for (std::size_t i = 0; i < capture.pixels.size(); ++i) {
    // A DIB holds 0x00RRGGBB; colour values are 0x00BBGGRR.
    const std::uint32_t pixel = rgb[i];
    capture.pixels[i] = ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
  }
  return capture;
}

std::uint32_t SystemColorValue(SystemColor color) {
  switch (color) {
    case SystemColor::kButtonFace:
      return GetSysColor(COLOR_BTNFACE);
    case SystemColor::kButtonText:
      return GetSysColor(COLOR_BTNTEXT);
    case SystemColor::kShadow:
      return GetSysColor(COLOR_BTNSHADOW);
    case SystemColor::kDarkShadow:
      return GetSysColor(COLOR_3DDKSHADOW);
    case SystemColor::kLight:
      return GetSysColor(COLOR_3DLIGHT);
    case SystemColor::kHighlight:
      return GetSysColor(COLOR_BTNHIGHLIGHT);
  }
  return 0;
}

}  // namespace voxtrel::win32::testing
