// Forms as the scope strip and the progress window use them, natively against the recording
// double and under Wine against real windows. What reaches the screen is checked under Wine
// alone (tests/wine/forms_gdi_test.cpp).
#include <gtest/gtest.h>

#include "audio/frm_audio.h"
#include "audio/frm_message.h"
#include "contract/contract_platform.h"

namespace voxtrel {
namespace {

// The designs the audio form and the progress window load.
platform::FormDesign ScopeDesign() {
  return frmAudio::Design();
}
platform::FormDesign ProgressDesign() {
  return frmMessage::Design();
}

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
      const double level = (x % 7) * 10.5;
      box.FillBox(x, box.ScaleHeight() - level, x + 2, box.ScaleHeight());
    }
    box.SetForeColor(0x00FF0000);
    box.DrawLine(51, box.ScaleHeight() - 1, 180, box.ScaleHeight() - 1);
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
};

TEST_F(FormsContract, AFormStartsHiddenAndShowsAndHides) {
  const auto scope = forms().Load(ScopeDesign());
  EXPECT_FALSE(scope->Visible());
  scope->Show();
  EXPECT_TRUE(scope->Visible());
  scope->Show();  // showing a shown form changes nothing
  EXPECT_TRUE(scope->Visible());
  scope->Hide();
  EXPECT_FALSE(scope->Visible());
  scope->Show();
  Pump();
  EXPECT_TRUE(scope->Visible());
}

TEST_F(FormsContract, PlacingTopmostKeepsTheVisibility) {
  const auto scope = forms().Load(ScopeDesign());
  scope->PlaceTopmost(40, 30);
  EXPECT_FALSE(scope->Visible());
  scope->Show();
  scope->PlaceTopmost(200, 100);
  EXPECT_TRUE(scope->Visible());
}

TEST_F(FormsContract, LabelsAndPicturesOfTheDesignAreReachable) {
  const auto scope = forms().Load(ScopeDesign());
  scope->SetLabelCaption("lblTime", "01:23");
  scope->SetLabelCaption("lblTime", "");
  EXPECT_DOUBLE_EQ(scope->Picture("scopeBox").ScaleHeight(), 82.0);

  const auto progress = forms().Load(ProgressDesign());
  progress->SetLabelCaption("lblStat", "Creating MP3...");
  progress->SetLabelCaption("lblStat", "Done");
}

TEST_F(FormsContract, ScaleHeightIsTheHeightInsideTheBorder) {
  platform::FormDesign design = ScopeDesign();
  design.pictures.push_back({"flat", {0, 0, 40, 30}, 0});
  design.pictures.push_back({"thin", {0, 0, 40, 30}, 1});
  const auto form = forms().Load(design);
  EXPECT_DOUBLE_EQ(form->Picture("scopeBox").ScaleHeight(), 82.0);
  EXPECT_DOUBLE_EQ(form->Picture("flat").ScaleHeight(), 30.0);
  EXPECT_DOUBLE_EQ(form->Picture("thin").ScaleHeight(), 28.0);
}

TEST_F(FormsContract, DrawingSucceedsShownOrHiddenAndAcrossTheBoxEdges) {
  const auto scope = forms().Load(ScopeDesign());
  platform::IDrawingSurface& box = scope->Picture("scopeBox");
  DrawBars(box);  // hidden
  scope->Show();
  scope->PlaceTopmost(100, 100);
  DrawBars(box);
  // Fractions, reversed corners and points outside the box are drawn or clipped, not refused.
  box.SetForeColor(0x0000C000);
  box.FillBox(90.6, 81.4, 80.2, 70.5);
  box.DrawLine(-500.0, -500.0, 1e9, 1e9);
  box.FillBox(-1e12, -1e12, 1e12, 1e12);
  scope->Refresh();
  Pump();
  box.Cls();
  scope->Refresh();
  EXPECT_TRUE(scope->Visible());
}

TEST_F(FormsContract, TwoFormsLiveSideBySide) {
  const auto scope = forms().Load(ScopeDesign());
  const auto progress = forms().Load(ProgressDesign());
  scope->Show();
  EXPECT_TRUE(scope->Visible());
  EXPECT_FALSE(progress->Visible());
  progress->Show();
  scope->Hide();
  EXPECT_FALSE(scope->Visible());
  EXPECT_TRUE(progress->Visible());
}

TEST_F(FormsContract, UnloadingIsSafeAlsoWhileShownWithDrawingPending) {
  auto scope = forms().Load(ScopeDesign());
  scope->Show();
  DrawBars(scope->Picture("scopeBox"));  // a repaint is pending
  scope.reset();
  Pump();

  // Loading again after an unload gives a fresh, hidden form.
  scope = forms().Load(ScopeDesign());
  EXPECT_FALSE(scope->Visible());
  auto progress = forms().Load(ProgressDesign());
  progress->Show();
  scope->Show();
  progress.reset();
  EXPECT_TRUE(scope->Visible());
  scope.reset();
  Pump();
}

}  // namespace
}  // namespace voxtrel
