#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/forms.h"

namespace voxtrel {

// The options dialog: whether voice messages sent from Outlook carry the tagline. The choice is
// stored at once in the setting "TagLine". One instance per thread, shown modeless.
class frmInstall final : private platform::IDialogEvents {
 public:
  static constexpr int kIconResource = 111;
  static constexpr int kPictureResource = 121;
  static constexpr char kProductName[] = "Vox Trel";

  // The calling thread's dialog; it loads on first use.
  static frmInstall& Instance();
  // Unloads the calling thread's dialog and ends its instance, before the thread's ports go.
  static void ReleaseInstance() noexcept;

  frmInstall(const frmInstall&) = delete;
  frmInstall& operator=(const frmInstall&) = delete;

  // Loads it when not loaded, then shows it in front; an open dialog is only brought forward.
  void Show();
  // Its window handle; asking loads it without showing it.
  std::uintptr_t hWnd();
  bool Loaded() const { return window_ != nullptr; }
  void Unload() noexcept;

  static platform::DialogDesign Design();

 private:
  frmInstall() = default;
  ~frmInstall() override;

  platform::IDialog& Load();
  void Form_Load();
  void chkSignature_Click();
  void cmdOk_Click();
  void Click(std::string_view control) override;
  void CloseBox() override;

  std::unique_ptr<platform::IDialog> window_;
  bool loading_ = false;  // the box shows the stored value: its click is not the user's
};

}  // namespace voxtrel
