#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms.h"

// What the Wine-only tests read back from the screen, without Windows headers in the tests.
namespace voxtrel::win32::testing {

struct ChildWindow {
  std::string className;
  std::string text;
  platform::Rect bounds;  // in the parent's client coordinates
  bool visible = false;
};

struct TopLevelWindow {
  std::string className;
  bool visible = false;
  bool topmost = false;
  bool toolWindow = false;
  bool appWindow = false;
  bool systemMenu = false;
  bool owned = false;
  bool active = false;      // the thread's active window
  bool foreground = false;  // the system's foreground window
  platform::Rect frame;     // screen pixels
  int clientWidth = 0;
  int clientHeight = 0;
  std::vector<ChildWindow> children;  // in z-order
};

// The calling thread's top-level window with this caption; nullopt when it has none.
std::optional<TopLevelWindow> FindThreadWindow(std::string_view caption);

// Sends WM_CLOSE to the calling thread's window with this caption; false when there is none.
bool CloseThreadWindow(std::string_view caption);

// A window's client area as it is on screen: 0x00BBGGRR colour values, row by row.
struct ClientPixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

std::optional<ClientPixels> CaptureClient(std::string_view caption);

enum class SystemColor { kButtonFace, kButtonText, kShadow, kDarkShadow, kLight, kHighlight };

std::uint32_t SystemColorValue(SystemColor color);

}  // namespace voxtrel::win32::testing
