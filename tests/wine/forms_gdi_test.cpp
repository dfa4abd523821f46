// The Win32 forms on the screen under Wine: window styles and geometry, and the drawn scope
// bars read back pixel by pixel. Painting is forced with Refresh, so nothing waits for time.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "audio/frm_audio.h"
#include "audio/frm_message.h"
#include "wine/support/window_probe.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel {
namespace {

using win32::testing::CaptureClient;
using win32::testing::ClientPixels;
using win32::testing::FindThreadWindow;
using win32::testing::SystemColor;
using win32::testing::SystemColorValue;

constexpr std::uint32_t kBarColor = 0x00FFC0C0;
constexpr std::uint32_t kLineColor = 0x00FF0000;
constexpr std::uint32_t kGreen = 0x0000C000;

// The scope box lies at (-52, -60) with a 2-pixel border: box pixel (x, y) is client pixel
// (x - 50, y - 58), and only box x 50..166, y 58..81 is inside the 155 x 24 client area.
constexpr int kBoxToClientX = -52 + 2;
constexpr int kBoxToClientY = -60 + 2;

// The designs the audio form and the progress window load.
platform::FormDesign ScopeDesign() {
  return frmAudio::Design();
}
platform::FormDesign ProgressDesign() {
  return frmMessage::Design();
}

struct ClientBox {
  int left;
  int top;
  int right;  // inclusive
  int bottom;
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  int Area() const { return (right - left + 1) * (bottom - top + 1); }
};

ClientBox FromBox(int x1, int y1, int x2, int y2) {
  return {x1 + kBoxToClientX, y1 + kBoxToClientY, x2 + kBoxToClientX, y2 + kBoxToClientY};
}

int Count(const ClientPixels& pixels, const ClientBox& area,
          const std::function<bool(std::uint32_t)>& match) {
  int count = 0;
  for (int y = std::max(area.top, 0); y <= std::min(area.bottom, pixels.height - 1); ++y) {
    for (int x = std::max(area.left, 0); x <= std::min(area.right, pixels.width - 1); ++x) {
      count += match(pixels.At(x, y)) ? 1 : 0;
    }
  }
  return count;
}

int CountColor(const ClientPixels& pixels, std::uint32_t color) {
  return Count(pixels, {0, 0, pixels.width - 1, pixels.height - 1},
               [&](std::uint32_t pixel) { return pixel == color; });
}

// The first child of a class; a failed test when there is none.
const win32::testing::ChildWindow* ChildOfClass(const win32::testing::TopLevelWindow& window,
                                                const std::string& className) {
  static const win32::testing::ChildWindow kMissing{"missing", "", {}, false};
  for (const auto& child : window.children) {
    if (child.className == className) return &child;
  }
  ADD_FAILURE() << "no child of class " << className;
  return &kMissing;
}

class FormsOnScreen : public testing::Test {
 protected:
  platform::IForms& forms() { return platform_.services().forms; }

  ClientPixels Capture(platform::IForm& form, const std::string& caption) {
    form.Refresh();
    auto pixels = CaptureClient(caption);
    EXPECT_TRUE(pixels.has_value()) << caption;
    return pixels.value_or(ClientPixels{});
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

  static void ExpectScene(const ClientPixels& pixels) {
    ASSERT_EQ(pixels.width, 155);
    ASSERT_EQ(pixels.height, 24);
    const ClientBox bars[] = {FromBox(60, 70, 70, 81), FromBox(140, 58, 150, 81),
                              FromBox(160, 78, 166, 81)};
    int barArea = 0;
    for (const auto& bar : bars) {
      EXPECT_EQ(Count(pixels, bar, [](std::uint32_t p) { return p == kBarColor; }), bar.Area());
      barArea += bar.Area();
    }
    EXPECT_EQ(CountColor(pixels, kBarColor), barArea);  // 132 + 264 + 28 and nothing else

    const ClientBox lines[] = {FromBox(100, 65, 100, 81), FromBox(110, 80, 120, 80)};
    for (const auto& line : lines) {
      EXPECT_EQ(Count(pixels, line, [](std::uint32_t p) { return p == kLineColor; }), line.Area());
    }
    EXPECT_EQ(CountColor(pixels, kLineColor), 17 + 11);

    const ClientBox rounded = FromBox(80, 76, 85, 81);
    EXPECT_EQ(Count(pixels, rounded, [](std::uint32_t p) { return p == kGreen; }), 36);
    EXPECT_EQ(CountColor(pixels, kGreen), 36);

    // Spot checks of the mapping: corners of the first bar and just outside it.
    EXPECT_EQ(pixels.At(10, 12), kBarColor);
    EXPECT_EQ(pixels.At(20, 23), kBarColor);
    EXPECT_NE(pixels.At(9, 12), kBarColor);
    EXPECT_NE(pixels.At(10, 11), kBarColor);
    EXPECT_EQ(pixels.At(50, 7), kLineColor);
    EXPECT_EQ(pixels.At(50, 23), kLineColor);
    EXPECT_NE(pixels.At(50, 6), kLineColor);
  }

  win32::Win32Platform platform_;
};

TEST_F(FormsOnScreen, TheScopeStripIsAHiddenToolWindowWithTheDesignedClientArea) {
  const auto scope = forms().Load(ScopeDesign());
  const auto window = FindThreadWindow("Scope");
  ASSERT_TRUE(window.has_value());
  EXPECT_FALSE(window->visible);
  EXPECT_EQ(window->clientWidth, 155);
  EXPECT_EQ(window->clientHeight, 24);
  EXPECT_TRUE(window->toolWindow);
  EXPECT_FALSE(window->appWindow);
  EXPECT_FALSE(window->owned);
  EXPECT_FALSE(window->systemMenu);
  EXPECT_GT(window->frame.height, 24);  // a caption above the client area

  ASSERT_EQ(window->children.size(), 2u);
  const auto& label = *ChildOfClass(*window, "Static");
  const auto& box = *ChildOfClass(*window, "VoxtrelPictureBox");
  EXPECT_EQ(label.text, "00:00");
  EXPECT_EQ(label.bounds.left, 124);
  EXPECT_EQ(label.bounds.top, 7);
  EXPECT_EQ(label.bounds.width, 28);
  EXPECT_EQ(label.bounds.height, 13);
  EXPECT_EQ(box.bounds.left, -52);
  EXPECT_EQ(box.bounds.top, -60);
  EXPECT_EQ(box.bounds.width, 171);
  EXPECT_EQ(box.bounds.height, 86);
}

TEST_F(FormsOnScreen, ShowingDoesNotActivateAndPlacingMakesItTopmostThere) {
  const auto scope = forms().Load(ScopeDesign());
  scope->Show();
  auto window = FindThreadWindow("Scope");
  ASSERT_TRUE(window.has_value());
  EXPECT_TRUE(window->visible);
  EXPECT_FALSE(window->active);
  EXPECT_FALSE(window->foreground);
  EXPECT_FALSE(window->topmost);
  const platform::Rect before = window->frame;

  scope->PlaceTopmost(300, 200);
  window = FindThreadWindow("Scope");
  ASSERT_TRUE(window.has_value());
  EXPECT_TRUE(window->topmost);
  EXPECT_EQ(window->frame.left, 300);
  EXPECT_EQ(window->frame.top, 200);
  EXPECT_EQ(window->frame.width, before.width);
  EXPECT_EQ(window->frame.height, before.height);
  EXPECT_FALSE(window->active);
  EXPECT_EQ(window->clientWidth, 155);
  EXPECT_EQ(window->clientHeight, 24);
}

TEST_F(FormsOnScreen, TheDrawnBarsAppearInTheirColoursWhereTheyBelong) {
  const auto scope = forms().Load(ScopeDesign());
  scope->Show();
  scope->PlaceTopmost(100, 100);
  DrawScene(scope->Picture("scopeBox"));
  const ClientPixels pixels = Capture(*scope, "Scope");
  ExpectScene(pixels);

  // The sunken border: the box's inner right edge is at client x 117 and 118.
  EXPECT_EQ(pixels.At(117, 3), SystemColorValue(SystemColor::kLight));
  EXPECT_EQ(pixels.At(118, 3), SystemColorValue(SystemColor::kHighlight));
  EXPECT_EQ(pixels.At(119, 3), SystemColorValue(SystemColor::kButtonFace));
  // Untouched box pixels show the button face.
  EXPECT_EQ(pixels.At(0, 0), SystemColorValue(SystemColor::kButtonFace));
  EXPECT_EQ(pixels.At(116, 10), SystemColorValue(SystemColor::kButtonFace));
}

TEST_F(FormsOnScreen, TheLabelShowsItsText) {
  const auto scope = forms().Load(ScopeDesign());
  scope->Show();
  const std::uint32_t face = SystemColorValue(SystemColor::kButtonFace);
  const auto inked = [&](std::uint32_t p) { return p != face; };
  const ClientBox label{124, 7, 151, 19};

  const int digits = Count(Capture(*scope, "Scope"), label, inked);
  EXPECT_GT(digits, 10);
  scope->SetLabelCaption("lblTime", "");
  EXPECT_EQ(Count(Capture(*scope, "Scope"), label, inked), 0);
  scope->SetLabelCaption("LBLTIME", "12:34");  // names ignore case, as the classic ones do
  EXPECT_GT(Count(Capture(*scope, "Scope"), label, inked), 10);
  EXPECT_EQ(ChildOfClass(*FindThreadWindow("Scope"), "Static")->text, "12:34");
}

TEST_F(FormsOnScreen, DrawingSurvivesRepaintsHidingAndIsClearedByCls) {
  const auto scope = forms().Load(ScopeDesign());
  DrawScene(scope->Picture("scopeBox"));  // while hidden
  scope->Show();
  ExpectScene(Capture(*scope, "Scope"));
  scope->Hide();
  scope->Show();
  platform_.services().events.DoEvents();
  ExpectScene(Capture(*scope, "Scope"));

  scope->Picture("scopeBox").Cls();
  const ClientPixels cleared = Capture(*scope, "Scope");
  const std::uint32_t face = SystemColorValue(SystemColor::kButtonFace);
  EXPECT_EQ(Count(cleared, {0, 0, 116, 23}, [&](std::uint32_t p) { return p != face; }), 0);
}

TEST_F(FormsOnScreen, TheProgressWindowShowsItsStatus) {
  const auto progress = forms().Load(ProgressDesign());
  progress->Show();
  const auto window = FindThreadWindow("Voxtrel");
  ASSERT_TRUE(window.has_value());
  EXPECT_EQ(window->clientWidth, 155);
  EXPECT_EQ(window->clientHeight, 24);
  ASSERT_EQ(window->children.size(), 1u);
  EXPECT_EQ(window->children[0].text, "Creating MP3...");
  EXPECT_EQ(window->children[0].bounds.left, 8);
  EXPECT_EQ(window->children[0].bounds.top, 5);
  EXPECT_EQ(window->children[0].bounds.width, 81);
  EXPECT_EQ(window->children[0].bounds.height, 17);
  const std::uint32_t face = SystemColorValue(SystemColor::kButtonFace);
  EXPECT_GT(Count(Capture(*progress, "Voxtrel"), {8, 5, 88, 21},
                  [&](std::uint32_t p) { return p != face; }),
            30);
}

TEST_F(FormsOnScreen, ClosingHidesAndUnloadingDestroysTheWindow) {
  auto scope = forms().Load(ScopeDesign());
  scope->Show();
  ASSERT_TRUE(win32::testing::CloseThreadWindow("Scope"));
  EXPECT_FALSE(scope->Visible());
  ASSERT_TRUE(FindThreadWindow("Scope").has_value());
  scope->Show();
  DrawScene(scope->Picture("scopeBox"));
  ExpectScene(Capture(*scope, "Scope"));

  scope.reset();
  EXPECT_FALSE(FindThreadWindow("Scope").has_value());
  platform_.services().events.DoEvents();
}

}  // namespace
}  // namespace voxtrel
