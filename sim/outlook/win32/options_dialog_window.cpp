#include "sim/outlook/win32/options_dialog_window.h"

#include <string>

#include "win32/base/text.h"

namespace voxtrel::olsim::win32 {
namespace {

// The class the add-in registers for its dialogs.
constexpr wchar_t kDialogClass[] = L"VoxtrelDialog";

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::string TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return voxtrel::win32::WideToUtf8(text);
}

LONG StyleOf(HWND window) {
  return GetWindowLongW(window, GWL_STYLE);
}

bool IsCheckBox(HWND child) {
  if (_wcsicmp(ClassOf(child).c_str(), L"Button") != 0) return false;
  switch (StyleOf(child) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return true;
    default:
      return false;
  }
}

bool IsLabel(HWND child) {
  return _wcsicmp(ClassOf(child).c_str(), L"Static") == 0 &&
         (StyleOf(child) & SS_TYPEMASK) != SS_BITMAP;
}

template <typename Test>
HWND Child(HWND dialog, Test test) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (test(child)) return child;
  }
  return nullptr;
}

BOOL CALLBACK Collect(HWND window, LPARAM found) {
  if (ClassOf(window) == kDialogClass)
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> OptionsDialogWindow::Dialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND OptionsDialogWindow::Shown() {
  const std::vector<HWND> dialogs = Dialogs();
  if (dialogs.empty()) throw ActionRefused("no options dialog is open");
  if (!IsWindowVisible(dialogs.front())) throw ActionRefused("the options dialog is not shown");
  return dialogs.front();
}

std::vector<DialogView> OptionsDialogWindow::Views() {
  std::vector<DialogView> views;
  for (const HWND dialog : Dialogs()) {
    DialogView view{TextOf(dialog), "", "", IsWindowVisible(dialog) != FALSE};
    if (const HWND label = Child(dialog, IsLabel)) view.label = TextOf(label);
    if (const HWND box = Child(dialog, IsCheckBox)) {
      view.box = TextOf(box);
      view.boxState = static_cast<int>(SendMessageW(box, BM_GETCHECK, 0, 0));
      view.boxVisible = (StyleOf(box) & WS_VISIBLE) != 0;
    }
    views.push_back(view);
  }
  return views;
}

void OptionsDialogWindow::ClickBox() {
  const HWND box = Child(Shown(), IsCheckBox);
  if (box == nullptr) throw ActionRefused("the dialog has no box");
  if (!IsWindowVisible(box)) throw ActionRefused("the box is hidden");
  SendMessageW(box, BM_CLICK, 0, 0);
}

void OptionsDialogWindow::ClickOk() {
  const HWND ok = Child(Shown(), [](HWND child) {
    return _wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && !IsCheckBox(child) &&
           TextOf(child) == "OK";
  });
  if (ok == nullptr) throw ActionRefused("the dialog has no OK button");
  SendMessageW(ok, BM_CLICK, 0, 0);
}

// The key goes where the focus is: a control of the dialog, or else the dialog itself.
void OptionsDialogWindow::PressEscape() {
  const HWND dialog = Shown();
  HWND target = GetFocus();
  if (target == nullptr || (target != dialog && GetParent(target) != dialog)) target = dialog;
  SendMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0);
}

void OptionsDialogWindow::ClickCloseBox() {
  SendMessageW(Shown(), WM_SYSCOMMAND, SC_CLOSE, 0);
}

}  // namespace voxtrel::olsim::win32
