// Forms as the scope strip and the progress window use them, natively against the recording
// double and under Wine against real windows. What reaches the screen is checked under Wine
// alone (tests/wine/forms_gdi_test.cpp).
#include <gtest/gtest.h>

#include "audio/frm_audio.h"
#include "audio/frm_message.h"
#include "contract/contract_platform.h"

namespace voxtrel {
namespace {

class FormsContract : public testing::Test {
 protected:
  void SetUp() override { platform_ = contract::MakeContractPlatform(); }

  platform::IForms& forms() { return platform_->services().forms; }
  void Pump() { platform_->services().events.DoEvents(); }

  // What the scope strip draws for one level reading: bars across the box, a baseline.
  static void DrawBars(platform::IDrawingSurface& box) {
    box.Cls();
    box.SetForeColor(0x00FFC0C0);
    for (int x = 51; x <= 180; x += 4) {
      box.FillBox(x, box.ScaleHeight() - (x % 7) * 10.5, x + 2, box.ScaleHeight());
    }
    box.SetForeColor(0x00FF0000);
    box.DrawLine(51, box.ScaleHeight() - 1, 180, box.ScaleHeight() - 1);
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
};

TEST_F(FormsContract, FormsStartHiddenAndShowHideAndPlaceSideBySide) {
  const auto scope = forms().Load(frmAudio::Design());
  auto progress = forms().Load(frmMessage::Design());
  EXPECT_FALSE(scope->Visible());
  scope->PlaceTopmost(40, 30);  // placing keeps the visibility
  EXPECT_FALSE(scope->Visible());
  scope->Show();
  scope->Show();  // showing a shown form changes nothing
  scope->PlaceTopmost(200, 100);
  Pump();
  EXPECT_TRUE(scope->Visible());
  EXPECT_FALSE(progress->Visible());
  progress->Show();
  scope->Hide();
  EXPECT_FALSE(scope->Visible());
  EXPECT_TRUE(progress->Visible());
  progress->SetLabelCaption("lblStat", "Done");
  scope->SetLabelCaption("lblTime", "");
  scope->Show();
  progress.reset();  // unloading one leaves the other as it was
  EXPECT_TRUE(scope->Visible());
}

// ScaleHeight is the height inside the border. Fractions, reversed corners and points far
// outside the box are drawn or clipped, never refused, shown or hidden; unloading is safe
// with a repaint pending, and loading again gives a fresh hidden form.
TEST_F(FormsContract, ScaleHeightLeavesOutTheBorderAndDrawingAnywhereAndUnloadingAreSafe) {
  platform::FormDesign design = frmAudio::Design();
  design.pictures.push_back({"flat", {0, 0, 40, 30}, 0});
  design.pictures.push_back({"thin", {0, 0, 40, 30}, 1});
  auto scope = forms().Load(design);
  EXPECT_DOUBLE_EQ(scope->Picture("flat").ScaleHeight(), 30.0);
  EXPECT_DOUBLE_EQ(scope->Picture("thin").ScaleHeight(), 28.0);
  platform::IDrawingSurface& box = scope->Picture("scopeBox");
  EXPECT_DOUBLE_EQ(box.ScaleHeight(), 82.0);
  DrawBars(box);
  scope->Show();
  DrawBars(box);
  box.SetForeColor(0x0000C000);
  box.FillBox(90.6, 81.4, 80.2, 70.5);
  box.DrawLine(-500.0, -500.0, 1e9, 1e9);
  box.FillBox(-1e12, -1e12, 1e12, 1e12);
  scope->Refresh();
  Pump();
  DrawBars(box);
  scope.reset();
  Pump();
  scope = forms().Load(frmAudio::Design());
  EXPECT_FALSE(scope->Visible());
}

}  // namespace
}  // namespace voxtrel
