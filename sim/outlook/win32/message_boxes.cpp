#include "sim/outlook/win32/message_boxes.h"

#include <windows.h>

#include "win32/base/text.h"

namespace voxtrel::olsim::win32 {
namespace {

using voxtrel::win32::WideToUtf8;

constexpr UINT kLookEveryMs = 50;

UINT_PTR timer = 0;
std::vector<std::pair<std::string, std::string>> answered;

std::string TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return WideToUtf8(text);
}

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t found[64] = {};
  GetClassNameW(window, found, 64);
  return _wcsicmp(found, name) == 0;
}

// The box's message: its one visible static control with text (the icon's has none).
std::string MessageOf(HWND box) {
  std::string message;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || !IsClass(child, L"Static")) continue;
    const std::string text = TextOf(child);
    if (text.empty()) continue;
    if (!message.empty()) message += "\n";
    message += text;
  }
  return message;
}

BOOL CALLBACK Answer(HWND window, LPARAM) {
  // A message box is a standard dialog; the add-in's own dialogs are of classes of their own.
  if (!IsWindowVisible(window) || !IsClass(window, L"#32770")) return TRUE;
  const HWND ok = GetDlgItem(window, IDOK);
  if (ok == nullptr || !IsWindowVisible(ok)) return TRUE;
  answered.emplace_back(TextOf(window), MessageOf(window));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  return TRUE;
}

void CALLBACK Look(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), &Answer, 0);
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer() {
  timer = SetTimer(nullptr, 0, kLookEveryMs, &Look);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  if (timer != 0) KillTimer(nullptr, timer);
  timer = 0;
}

std::vector<std::pair<std::string, std::string>> MessageBoxAnswerer::Take() {
  return std::exchange(answered, {});
}

}  // namespace voxtrel::olsim::win32
