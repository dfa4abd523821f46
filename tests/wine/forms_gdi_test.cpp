// The Win32 forms on the screen under Wine: window styles and geometry, and the drawn scope
// bars read back pixel by pixel. Painting is forced with Refresh, so nothing waits for time.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "audio/frm_audio.h"
#include "audio/frm_message.h"
#include "win32/base/gdi_handles.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel {
namespace {

constexpr std::uint32_t kBarColor = 0x00FFC0C0;
constexpr std::uint32_t kLineColor = 0x00FF0000;
constexpr std::uint32_t kGreen = 0x0000C000;

// A window's client area as it is on screen: 0x00BBGGRR colour values, row by row.
struct ClientPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  // Pixels of one colour in a rectangle (inclusive corners).
  int Count(std::uint32_t color, int left, int top, int right, int bottom) const {
    int count = 0;
    for (int y = std::max(top, 0); y <= std::min(bottom, height - 1); ++y) {
      for (int x = std::max(left, 0); x <= std::min(right, width - 1); ++x) {
        count += At(x, y) == color ? 1 : 0;
      }
    }
    return count;
  }
};

ClientPixels CaptureClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  ClientPixels capture{client.right, client.bottom, {}};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;  // BI_RGB
  void* bits = nullptr;
  const win32::UniqueBitmap bitmap(
      CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const win32::UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
  {
    // A cache DC without the window's child clipping, so children are read as well.
    const win32::WindowDc source(window, DCX_CACHE);
    const win32::ScopedSelection selection(memory.get(), bitmap.get());
    EXPECT_TRUE(
        BitBlt(memory.get(), 0, 0, capture.width, capture.height, source.get(), 0, 0, SRCCOPY));
  }
  GdiFlush();
  const auto* rgb = static_cast<const std::uint32_t*>(bits);
  for (int i = 0; i < capture.width * capture.height; ++i) {
    // A DIB holds 0x00RRGGBB; colour values are 0x00BBGGRR.
    capture.pixels.push_back((rgb[i] & 0xFFu) << 16 | (rgb[i] & 0xFF00u) | (rgb[i] >> 16 & 0xFFu));
  }
  return capture;
}

bool HasStyle(HWND window, int index, LONG_PTR style) {
  return (GetWindowLongPtrW(window, index) & style) != 0;
}

std::tuple<int, int, int, int> Frame(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return {frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top};
}

// The thread's window with this caption; null when it has none.
HWND Find(const wchar_t* caption) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, nullptr, caption)) != nullptr &&
         GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
  }
  return window;
}

class FormsOnScreen : public testing::Test {
 protected:
  platform::IForms& forms() { return platform_.services().forms; }

  ClientPixels Capture(platform::IForm& form, const wchar_t* caption) {
    form.Refresh();
    return CaptureClient(Find(caption));
  }

  // Bars in the visible part and beyond it, a vertical and a horizontal line, and a box with
  // fractional corners that round to nearest.
  static void DrawScene(platform::IDrawingSurface& box) {
    box.Cls();
    box.SetForeColor(kBarColor);
    box.FillBox(60, 70, 70, 81);
    box.FillBox(150, 0, 140, 81);   // reversed corners, mostly above the client area
    box.FillBox(160, 78, 180, 82);  // runs past the box's inner right and bottom edges
    box.SetForeColor(kLineColor);
    box.DrawLine(100, 65, 100, 81);
    box.DrawLine(120, 80, 110, 80);
    box.SetForeColor(kGreen);
    box.FillBox(80.4, 75.6, 84.5, 81.0);  // pixels 80..85 x 76..81
  }

  // The scope box lies at (-52, -60) with a 2-pixel border: box pixel (x, y) is client pixel
  // (x - 50, y - 58), and only box x 50..166, y 58..81 is inside the 155 x 24 client area.
  static void ExpectScene(const ClientPixels& pixels) {
    ASSERT_EQ(pixels.width, 155);
    ASSERT_EQ(pixels.height, 24);
    const auto inBox = [&](std::uint32_t color, int x1, int y1, int x2, int y2) {
      return pixels.Count(color, x1 - 50, y1 - 58, x2 - 50, y2 - 58);
    };
    EXPECT_EQ(inBox(kBarColor, 60, 70, 70, 81), 11 * 12);
    EXPECT_EQ(inBox(kBarColor, 140, 58, 150, 81), 11 * 24);
    EXPECT_EQ(inBox(kBarColor, 160, 78, 166, 81), 7 * 4);
    EXPECT_EQ(pixels.Count(kBarColor, 0, 0, 154, 23), 132 + 264 + 28);  // and nowhere else
    EXPECT_EQ(inBox(kLineColor, 100, 65, 100, 81), 17);
    EXPECT_EQ(inBox(kLineColor, 110, 80, 120, 80), 11);
    EXPECT_EQ(pixels.Count(kLineColor, 0, 0, 154, 23), 17 + 11);
    EXPECT_EQ(inBox(kGreen, 80, 76, 85, 81), 36);
    EXPECT_EQ(pixels.Count(kGreen, 0, 0, 154, 23), 36);
    // The sunken border: the box's inner right edge is at client x 117 and 118.
    EXPECT_EQ(pixels.At(117, 3), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(pixels.At(118, 3), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(pixels.At(119, 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(pixels.At(0, 0), GetSysColor(COLOR_BTNFACE));
  }

  win32::Win32Platform platform_;
};

// The scope strip must never take the focus from the mail window the user types in.
TEST_F(FormsOnScreen, TheScopeStripIsAToolWindowThatNeverActivatesAndClosesToHidden) {
  auto scope = forms().Load(frmAudio::Design());
  const HWND window = Find(L"Scope");
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(HasStyle(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW));
  EXPECT_FALSE(HasStyle(window, GWL_EXSTYLE, WS_EX_APPWINDOW));
  EXPECT_FALSE(HasStyle(window, GWL_STYLE, WS_SYSMENU));
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(std::pair(client.right, client.bottom), std::pair(155L, 24L));

  scope->Show();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_NE(GetActiveWindow(), window);
  EXPECT_NE(GetForegroundWindow(), window);
  EXPECT_FALSE(HasStyle(window, GWL_EXSTYLE, WS_EX_TOPMOST));
  const auto [left, top, width, height] = Frame(window);
  scope->PlaceTopmost(300, 200);
  EXPECT_TRUE(HasStyle(window, GWL_EXSTYLE, WS_EX_TOPMOST));
  EXPECT_NE(GetActiveWindow(), window);
  EXPECT_EQ(Frame(window), std::tuple(300, 200, width, height));

  SendMessageW(window, WM_CLOSE, 0, 0);  // the user closes it: only hidden
  EXPECT_FALSE(scope->Visible());
  EXPECT_TRUE(IsWindow(window));
  scope.reset();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(FormsOnScreen, DrawingAppearsWhereItBelongsSurvivesRepaintsAndClsClearsIt) {
  const auto scope = forms().Load(frmAudio::Design());
  DrawScene(scope->Picture("scopeBox"));  // while hidden
  scope->Show();
  scope->PlaceTopmost(100, 100);
  ExpectScene(Capture(*scope, L"Scope"));
  scope->Hide();
  scope->Show();
  platform_.services().events.DoEvents();
  ExpectScene(Capture(*scope, L"Scope"));

  scope->Picture("scopeBox").Cls();
  const std::uint32_t face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(Capture(*scope, L"Scope").Count(face, 0, 0, 116, 23), 117 * 24);
  // The time label shows its text or nothing; names ignore case, as the classic ones do.
  EXPECT_LT(Capture(*scope, L"Scope").Count(face, 124, 7, 151, 19), 28 * 13 - 10);
  scope->SetLabelCaption("lblTime", "");
  EXPECT_EQ(Capture(*scope, L"Scope").Count(face, 124, 7, 151, 19), 28 * 13);
  scope->SetLabelCaption("LBLTIME", "12:34");
  EXPECT_LT(Capture(*scope, L"Scope").Count(face, 124, 7, 151, 19), 28 * 13 - 10);
}

TEST_F(FormsOnScreen, TheProgressWindowShowsItsStatus) {
  const auto progress = forms().Load(frmMessage::Design());
  progress->Show();
  const ClientPixels pixels = Capture(*progress, L"Voxtrel");
  EXPECT_EQ(std::pair(pixels.width, pixels.height), std::pair(155, 24));
  wchar_t status[32] = {};
  GetWindowTextW(GetWindow(Find(L"Voxtrel"), GW_CHILD), status, 32);
  EXPECT_STREQ(status, L"Creating MP3...");
  EXPECT_LT(pixels.Count(GetSysColor(COLOR_BTNFACE), 8, 5, 88, 21), 81 * 17 - 30);
}

}  // namespace
}  // namespace voxtrel
