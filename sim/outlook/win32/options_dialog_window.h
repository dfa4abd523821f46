#pragma once

#include <windows.h>

#include <vector>

#include "sim/outlook/session.h"

namespace voxtrel::olsim::win32 {

// The add-in's options dialog under Wine: its real windows on this thread, read and clicked
// through window messages as a user's mouse would (BM_CLICK, the close box's SC_CLOSE).
class OptionsDialogWindow final : public IOptionsDialog {
 public:
  std::vector<DialogView> Views() override;
  void ClickBox() override;
  void ClickOk() override;
  void ClickCloseBox() override;
  void PressEscape() override;

 private:
  static std::vector<HWND> Dialogs();
  static HWND Shown();
};

}  // namespace voxtrel::olsim::win32
