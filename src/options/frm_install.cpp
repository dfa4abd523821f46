#include "options/frm_install.h"

#include <cmath>
#include <string>

#include "common/classic.h"
#include "host/registry.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr char kImage1[] = "Image1";
constexpr char kLblName[] = "lblName";
constexpr char kCmdOk[] = "cmdOk";
constexpr char kChkSignature[] = "chkSignature";
constexpr char kTagLine[] = "TagLine";

// Twips to pixels at 96 dots per inch.
constexpr int Px(int twips) {
  return twips / 15;
}

constexpr platform::Rect Twips(int left, int top, int width, int height) {
  return {Px(left), Px(top), Px(width), Px(height)};
}

// The box state for a stored "TagLine": its leading number, as the send hook would read it.
// 0, 1 and 2 show as they are; any other number is on for the send hook, so the box shows it
// ticked, and so does the word True, which the send hook takes as on too.
int BoxStateOf(const std::string& text) {
  const double number = classic::Val(text);
  if (number == 0) return classic::LCase(classic::Trim(text)) == "true" ? 1 : 0;
  if (std::fabs(number) < 3) {
    const std::int16_t rounded = classic::CInt(number);
    if (rounded >= 0 && rounded <= 2) return rounded;
  }
  return 1;
}

thread_local frmInstall* instance = nullptr;

}  // namespace

frmInstall& frmInstall::Instance() {
  // A plain pointer: a thread_local with a destructor would end the window at thread detach.
  if (instance == nullptr) instance = new frmInstall();
  return *instance;
}

void frmInstall::ReleaseInstance() noexcept {
  delete instance;
  instance = nullptr;
}

frmInstall::~frmInstall() {
  Unload();
}

platform::DialogDesign frmInstall::Design() {
  platform::DialogDesign design;
  design.caption = "Voxtrel Properties";
  design.clientWidth = Px(4500);
  design.clientHeight = Px(4260);
  design.images.push_back({kImage1, Twips(0, 0, 1020, 4260), kPictureResource});
  design.labels.push_back(
      {{kLblName, Twips(1080, 120, 1230, 360), kProductName}, {"Arial", 13.5, true}});
  design.buttons.push_back({kCmdOk, Twips(2880, 2280, 1575, 615), "OK", true});
  design.checkBoxes.push_back({kChkSignature, Twips(1320, 3720, 2775, 495),
                               "Add Voxtrel Tagline to outgoing Voxtrel Messages", false});
  return design;
}

platform::IDialog& frmInstall::Load() {
  if (!window_) {
    window_ = platform::Current().forms.LoadDialog(Design(), *this);
    Form_Load();
  }
  return *window_;
}

void frmInstall::Show() {
  Load().Show();
}

std::uintptr_t frmInstall::hWnd() {
  return Load().hWnd();
}

void frmInstall::Unload() noexcept {
  window_.reset();
}

void frmInstall::Form_Load() {
  platform::IDialog& window = *window_;
  window.SetIcon(kIconResource);
  const platform::AppVersionInfo version = platform::Current().system.AppVersion();
  window.SetLabelCaption(kLblName, window.LabelCaption(kLblName) + " v" +
                                       std::to_string(version.Major) + "." +
                                       std::to_string(version.Minor));
  window.SetCheckBoxVisible(kChkSignature, true);
  const std::string stored = classic::CStr(
      Registry::GetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, kTagLine));
  // Showing the stored value is no choice of the user's: "True" or "7" stay as they are.
  loading_ = true;
  struct Loaded {
    bool& loading;
    ~Loaded() { loading = false; }
  } const loaded{loading_};
  window.SetCheckBoxValue(kChkSignature, BoxStateOf(stored));
}

void frmInstall::chkSignature_Click() {
  if (loading_) return;
  const int state = window_->CheckBoxValue(kChkSignature);
  Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, kTagLine,
                     std::to_string(state));
}

void frmInstall::cmdOk_Click() {
  Unload();
}

void frmInstall::Click(std::string_view control) {
  if (!window_) return;
  if (control == kChkSignature) {
    chkSignature_Click();
  } else if (control == kCmdOk) {
    cmdOk_Click();
  }
}

void frmInstall::CloseBox() {
  // No cancel: the close box is OK.
  Unload();
}

}  // namespace voxtrel
