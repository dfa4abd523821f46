#pragma once

#include "platform/forms.h"

namespace voxtrel::win32 {

// Forms as top-level tool windows of the loading thread: labels are STATIC controls, picture
// boxes are child windows that keep their drawing in a memory bitmap and blit it on WM_PAINT
// (the classic AutoRedraw). Use a form only on the thread that loaded it.
class Win32Forms final : public platform::IForms {
 public:
  std::unique_ptr<platform::IForm> Load(const platform::FormDesign& design) override;
  // A top-level window with a close box and standard controls (win32_dialog.cpp).
  std::unique_ptr<platform::IDialog> LoadDialog(const platform::DialogDesign& design,
                                                platform::IDialogEvents& events) override;
};

}  // namespace voxtrel::win32
