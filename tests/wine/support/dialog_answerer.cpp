#include "wine/support/dialog_answerer.h"

#include <windows.h>

#include <stdexcept>

#include "win32/base/text.h"

namespace voxtrel::win32::testing {
namespace {

constexpr UINT kLookIntervalMs = 20;
constexpr wchar_t kDialogClass[] = L"#32770";

// A thread timer's procedure gets no context: one answerer per thread at a time.
thread_local DialogAnswerer* current = nullptr;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (current != nullptr) current->Look();
}

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return WideToUtf8(text);
}

bool IsClass(HWND window, std::wstring_view name) {
  wchar_t found[64] = {};
  const int length = GetClassNameW(window, found, static_cast<int>(std::size(found)));
  return length > 0 && CompareStringOrdinal(found, length, name.data(),
                                            static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM context) {
  if (!IsWindowVisible(window) || !IsClass(window, kDialogClass)) return TRUE;
  *reinterpret_cast<HWND*>(context) = window;
  return FALSE;
}

SeenDialog Describe(HWND dialog) {
  SeenDialog seen;
  seen.caption = TextOf(dialog);
  // Wine's message box holds every button and hides the ones it does not need.
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    if (IsClass(child, L"Button")) {
      seen.buttons.push_back(TextOf(child));
      seen.buttonIds.push_back(GetDlgCtrlID(child));
    } else if (IsClass(child, L"Static")) {
      const std::string text = TextOf(child);
      if (!text.empty()) seen.texts.push_back(text);
    }
  }
  return seen;
}

}  // namespace

DialogAnswerer::DialogAnswerer() {
  if (current != nullptr) throw std::logic_error("one dialog answerer per thread");
  timer_ = SetTimer(nullptr, 0, kLookIntervalMs, &OnTimer);
  if (timer_ == 0) throw std::runtime_error("cannot start the dialog answerer's timer");
  current = this;
}

DialogAnswerer::~DialogAnswerer() {
  KillTimer(nullptr, timer_);
  current = nullptr;
}

void DialogAnswerer::Look() {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (dialog == nullptr) return;
  if (!seen_) seen_ = Describe(dialog);
  const HWND ok = GetDlgItem(dialog, IDOK);
  if (ok != nullptr && IsWindowVisible(ok)) {
    seen_->pressedOk = true;
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  } else {
    EndDialog(dialog, IDCANCEL);
  }
}

}  // namespace voxtrel::win32::testing
