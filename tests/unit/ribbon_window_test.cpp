// A window's group on the Ribbon as the mail window drives it (as a command bar) and as Office
// asks it (by Ribbon id): what the sessions cannot single out.
#include "ribbon/ribbon_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "unit/error_number.h"

namespace voxtrel::ribbon {
namespace {

// The ids Office was told to ask again, in order; taken and emptied by each check.
class Invalidations {
 public:
  std::function<void(const std::string&)> Sink() {
    return [this](const std::string& id) { told_.push_back(id); };
  }
  std::vector<std::string> Take() { return std::exchange(told_, {}); }

 private:
  std::vector<std::string> told_;
};

using Ids = std::vector<std::string>;

TEST(RibbonWindow, AButtonsValuesReachOfficeWithOneInvalidationForEachChangeAndNoneOtherwise) {
  Invalidations office;
  RibbonWindow window(office.Sink());
  // Before the group is added Office is shown nothing.
  EXPECT_EQ(window.Count(), 0);
  EXPECT_EQ(ErrorOf([&] { window.Item(1); }), 5);
  EXPECT_FALSE(window.Enabled("VoxtrelRecord"));
  EXPECT_FALSE(window.Visible("VoxtrelRecord"));

  const auto bar = window.Add("Vox Trel", outlook::kBarTop, true);
  EXPECT_EQ(window.Count(), 1);
  // One group per window, as Office refuses a bar's name twice.
  EXPECT_EQ(ErrorOf([&] { window.Add("Vox Trel", outlook::kBarTop, true); }), 5);
  EXPECT_EQ(ErrorOf([&] { bar->Controls()->AddButton("Not ours"); }), 5);
  const auto record = bar->Controls()->AddButton("Record");
  const auto properties = bar->Controls()->AddButton("Properties");
  EXPECT_EQ(office.Take(), (Ids{"VoxtrelRecord", "VoxtrelProperties"}));
  EXPECT_TRUE(window.Enabled("VoxtrelRecord"));
  EXPECT_TRUE(window.Visible("VoxtrelRecord"));
  // The bar's Properties button has no caption; the Ribbon names it.
  EXPECT_EQ(window.Label("VoxtrelProperties"), "Properties");

  record->Caption("Record");
  record->Caption("Record");
  record->Visible(false);
  record->Visible(false);
  record->Tag("not shown by Office");
  record->Style(outlook::kButtonIconAndCaption);
  EXPECT_EQ(office.Take(), (Ids{"VoxtrelRecord", "VoxtrelRecord"}));
  EXPECT_EQ(window.Label("VoxtrelRecord"), "Record");
  EXPECT_FALSE(window.Visible("VoxtrelRecord"));
  EXPECT_FALSE(record->Visible());

  // The face: a mask applies to the picture it follows, and a new picture drops it.
  const std::vector<std::uint8_t> picture = {1, 2, 3}, mask = {4, 5}, other = {6};
  EXPECT_EQ(ErrorOf([&] { record->Mask(mask); }), 5);
  EXPECT_EQ(window.FaceOf("VoxtrelRecord"), std::nullopt);
  EXPECT_EQ(office.Take(), Ids{});
  record->Picture(picture);
  EXPECT_EQ(window.FaceOf("VoxtrelRecord")->picture, picture);
  EXPECT_TRUE(window.FaceOf("VoxtrelRecord")->mask.empty());
  record->Mask(mask);
  EXPECT_EQ(window.FaceOf("VoxtrelRecord")->picture, picture);
  EXPECT_EQ(window.FaceOf("VoxtrelRecord")->mask, mask);
  record->Picture(other);
  EXPECT_EQ(window.FaceOf("VoxtrelRecord")->picture, other);
  EXPECT_TRUE(window.FaceOf("VoxtrelRecord")->mask.empty());
  EXPECT_EQ(office.Take(), (Ids{"VoxtrelRecord", "VoxtrelRecord", "VoxtrelRecord"}));
  EXPECT_EQ(window.FaceOf("VoxtrelProperties"), std::nullopt);
  EXPECT_EQ(ErrorOf([&] { record->PasteFace(); }), 438);

  // Deleted, the group shows nothing and every control is asked again; it may come back.
  bar->Delete();
  EXPECT_EQ(office.Take(), (Ids{"VoxtrelRecord", "VoxtrelProperties"}));
  EXPECT_EQ(window.Count(), 0);
  EXPECT_FALSE(window.Enabled("VoxtrelRecord"));
  EXPECT_EQ(window.Label("VoxtrelProperties"), "");
  EXPECT_EQ(window.FaceOf("VoxtrelRecord"), std::nullopt);
  // What the mail window still holds changes nothing Office shows.
  record->Caption("Stop");
  EXPECT_EQ(window.Label("VoxtrelRecord"), "");
  EXPECT_EQ(window.Add("Vox Trel", outlook::kBarTop, true)->Controls()->Count(), 0);
}

TEST(RibbonWindow, TheFilesListAndClicksFollowTheUserOnlyWithinWhatTheGroupHolds) {
  Invalidations office;
  RibbonWindow window(office.Sink());
  const auto bar = window.Add("Vox Trel", outlook::kBarTop, true);
  const auto files = bar->Controls()->AddComboBox("Files");
  const auto play = bar->Controls()->AddButton("Play");
  files->AddItem("first.mp3");
  files->AddItem("second.mp3");
  office.Take();
  EXPECT_EQ(window.ItemCount("VoxtrelFiles"), 2);
  EXPECT_EQ(window.ItemLabel("VoxtrelFiles", 1), "second.mp3");
  EXPECT_EQ(window.ItemLabel("VoxtrelFiles", 2), "");
  EXPECT_EQ(window.ItemLabel("VoxtrelFiles", -1), "");
  EXPECT_EQ(window.SelectedItemIndex("VoxtrelFiles"), -1);

  files->ListIndex(2);
  files->ListIndex(2);
  EXPECT_EQ(office.Take(), Ids{"VoxtrelFiles"});
  EXPECT_EQ(window.SelectedItemIndex("VoxtrelFiles"), 1);
  EXPECT_EQ(ErrorOf([&] { files->ListIndex(3); }), 5);
  EXPECT_EQ(ErrorOf([&] { files->ListIndex(-1); }), 5);
  EXPECT_EQ(files->ListIndex(), 2);

  // The user's choice is what the dropDown already shows: Office needs no telling.
  window.Choose("VoxtrelFiles", 0);
  EXPECT_EQ(files->ListIndex(), 1);
  EXPECT_EQ(window.SelectedItemIndex("VoxtrelFiles"), 0);
  for (const std::int32_t outside : {2, -1, 7}) window.Choose("VoxtrelFiles", outside);
  window.Choose("VoxtrelPlay", 0);
  window.Choose("VoxtrelDelete", 0);
  EXPECT_EQ(files->ListIndex(), 1);
  EXPECT_EQ(office.Take(), Ids{});

  files->Clear();
  EXPECT_EQ(office.Take(), Ids{"VoxtrelFiles"});
  EXPECT_EQ(window.ItemCount("VoxtrelFiles"), 0);
  EXPECT_EQ(window.SelectedItemIndex("VoxtrelFiles"), -1);
  window.Choose("VoxtrelFiles", 0);
  EXPECT_EQ(files->ListIndex(), 0);

  // Every handler of the click runs, even one that ends its own subscription or the group.
  int first = 0, second = 0;
  outlook::Subscription one, two;
  one = play->SubscribeClick([&](bool&) {
    ++first;
    one.reset();
  });
  two = play->SubscribeClick([&](bool&) {
    if (++second == 2) bar->Delete();
  });
  window.Action("VoxtrelFiles");
  window.Action("VoxtrelNothing");
  EXPECT_EQ(first + second, 0);
  window.Action("VoxtrelPlay");
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);
  window.Action("VoxtrelPlay");
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  window.Action("VoxtrelPlay");
  EXPECT_EQ(second, 2);
}

}  // namespace
}  // namespace voxtrel::ribbon
