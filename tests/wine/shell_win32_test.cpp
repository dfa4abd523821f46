// The shell under Wine where the doubles cannot follow: the message box as the user sees it,
// and short paths that really open the same files.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "win32/base/text.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel {
namespace {

namespace fs = std::filesystem;

// What the ANSI code page keeps of a UTF-8 text: all of it where the page has its letters.
std::string ThroughAnsi(const std::string& text) {
  return win32::AnsiToUtf8(win32::Utf8ToAnsi(text));
}

std::string TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return win32::WideToUtf8(text);
}

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t found[64] = {};
  GetClassNameW(window, found, 64);
  return _wcsicmp(found, name) == 0;
}

// The first dialog box the thread shows, as the user sees it: caption, then the visible
// texts, then "[button]"s; pressed with OK, which must be there. A thread timer looks for it,
// so the box's own modal loop runs the look and a test can never block on the box.
thread_local std::vector<std::string> seen;
// A window of the thread's own, and whether it took input while the box was up.
thread_local HWND bystander = nullptr;
thread_local bool bystanderEnabled = true;

BOOL CALLBACK AnswerDialog(HWND window, LPARAM) {
  if (!IsWindowVisible(window) || !IsClass(window, L"#32770")) return TRUE;
  seen = {TextOf(window)};
  if (bystander != nullptr) bystanderEnabled = IsWindowEnabled(bystander) != FALSE;
  // Wine's message box holds every button and hides the ones it does not need.
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || TextOf(child).empty()) continue;
    seen.push_back(IsClass(child, L"Button") ? "[" + TextOf(child) + "]" : TextOf(child));
  }
  const HWND ok = GetDlgItem(window, IDOK);
  if (ok != nullptr && IsWindowVisible(ok)) {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  } else {
    seen.push_back("no OK button");
    EndDialog(window, IDCANCEL);
  }
  return FALSE;
}

void CALLBACK LookForDialog(HWND, UINT, UINT_PTR, DWORD) {
  if (seen.empty()) EnumThreadWindows(GetCurrentThreadId(), &AnswerDialog, 0);
}

class ShellOnWindows : public testing::Test {
 protected:
  platform::IShell& shell() { return platform_.services().shell; }

  win32::Win32Platform platform_;
};

TEST_F(ShellOnWindows, AMessageBoxHasOnlyOkAndItsTextInTheAnsiCodePage) {
  const std::string text = "Nachricht f\xC3\xBCr M\xC3\xBCller";  // "für Müller" in UTF-8
  const std::string caption = "Vox Trel \xC3\xA9t\xC3\xA9";
  seen.clear();
  // The host's window, shown on this thread as Outlook's are.
  bystander = CreateWindowExW(0, L"STATIC", L"Outlook", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                              100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(bystander, nullptr);
  bystanderEnabled = true;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &LookForDialog);
  shell().ShowMessageBox(text, caption);  // returns once OK is pressed
  KillTimer(nullptr, timer);
  const bool enabledAfter = IsWindowEnabled(bystander) != FALSE;
  DestroyWindow(bystander);
  bystander = nullptr;
  // The caption, then the controls in the box's own order.
  EXPECT_EQ(seen, (std::vector<std::string>{ThroughAnsi(caption), "[OK]", ThroughAnsi(text)}));
  // Task-modal: the thread's other windows take no input while it is up, and do again after.
  EXPECT_FALSE(bystanderEnabled);
  EXPECT_TRUE(enabledAfter);
}

// A file written through the short form of a folder is found under the long form.
TEST_F(ShellOnWindows, AShortPathHasNoBlanksAndOpensTheSameFolder) {
  const fs::path scratch =
      fs::temp_directory_path() / ("voxtrel-shell-" + std::to_string(std::random_device{}()));
  std::string deep = "Recorded Voice Messages Of The Day";
  while (deep.size() <= 200) deep += "\\Recorded Voice Messages Of The Day";
  const std::string umlauts =
      "Gr\xC3\xBC\xC3\x9F"
      "e und Nachrichten";  // "Grüße und ..."
  for (const std::string& name : {std::string("Voice Mail Folder"), deep, umlauts}) {
    if (ThroughAnsi(name) != name) continue;  // an ANSI code page without umlauts
    const fs::path folder = scratch / fs::path(std::u8string(name.begin(), name.end()));
    fs::create_directories(folder);
    const std::u8string longText = folder.u8string();
    const std::string longFolder(longText.begin(), longText.end());
    const auto shortFolder = shell().ShortPath(longFolder);
    if (!shortFolder) {
      ADD_FAILURE() << "no short path for " << longFolder;
      continue;
    }
    EXPECT_EQ(shortFolder->find(' '), std::string::npos) << *shortFolder;
    platform_.services().files.WriteText(*shortFolder + "\\probe.txt", "through the short path",
                                         platform::TextMode::kCreate);
    std::ifstream probe(folder / "probe.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(probe), {}), "through the short path");
  }
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
}

}  // namespace
}  // namespace voxtrel
