// The shell under Wine where the doubles cannot follow: the message box as the user sees it,
// and short paths that really open the same files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "wine/support/dialog_answerer.h"
#include "win32/base/text.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel {
namespace {

namespace fs = std::filesystem;

constexpr int kIdOk = 1;

// A scratch folder for one test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder()
      : path_(fs::temp_directory_path() /
              ("voxtrel-shell-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // A UTF-8 Windows path below the folder, created as a folder.
  std::string Folder(const std::string& relative) const {
    const fs::path folder = path_ / fs::path(std::u8string(relative.begin(), relative.end()));
    fs::create_directories(folder);
    const std::u8string text = folder.u8string();
    return std::string(text.begin(), text.end());
  }

 private:
  fs::path path_;
};

std::string ReadUtf8Path(const std::string& path) {
  std::ifstream file(fs::path(std::u8string(path.begin(), path.end())), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

class ShellOnWindows : public testing::Test {
 protected:
  platform::IShell& shell() { return platform_.services().shell; }
  platform::IFileSystem& files() { return platform_.services().files; }

  // The short form opens the same folder: a file written through it is found under the long.
  void ExpectSameFolder(const std::string& shortFolder, const std::string& longFolder) {
    EXPECT_NE(files().GetAttr(shortFolder) & platform::kAttrDirectory, 0u);
    files().WriteText(shortFolder + "\\probe.txt", "through the short path",
                      platform::TextMode::kCreate);
    EXPECT_EQ(ReadUtf8Path(longFolder + "\\probe.txt"), "through the short path");
  }

  win32::Win32Platform platform_;
};

TEST_F(ShellOnWindows, AMessageBoxHasOnlyOkAndReturnsWhenOkIsPressed) {
  win32::testing::DialogAnswerer answerer;
  shell().ShowMessageBox("The recording could not be saved.", "Vox Trel");
  const auto& seen = answerer.seen();
  ASSERT_TRUE(seen.has_value()) << "no dialog box was shown";
  EXPECT_TRUE(seen->pressedOk);
  EXPECT_EQ(seen->caption, "Vox Trel");
  ASSERT_EQ(seen->texts.size(), 1u);
  EXPECT_EQ(seen->texts[0], "The recording could not be saved.");
  ASSERT_EQ(seen->buttons.size(), 1u);
  EXPECT_EQ(seen->buttonIds[0], kIdOk);
  EXPECT_EQ(seen->buttons[0], "OK");
}

TEST_F(ShellOnWindows, MessageBoxTextCrossesInTheAnsiCodePage) {
  const std::string text = "Nachricht f\xC3\xBCr M\xC3\xBCller";  // "für Müller" in UTF-8
  const std::string caption = "Vox Trel \xC3\xA9t\xC3\xA9";
  win32::testing::DialogAnswerer answerer;
  shell().ShowMessageBox(text, caption);
  ASSERT_TRUE(answerer.seen().has_value());
  // What the ANSI code page keeps of the text: all of it where the page has these letters.
  EXPECT_EQ(answerer.seen()->caption, win32::AnsiToUtf8(win32::Utf8ToAnsi(caption)));
  ASSERT_EQ(answerer.seen()->texts.size(), 1u);
  EXPECT_EQ(answerer.seen()->texts[0], win32::AnsiToUtf8(win32::Utf8ToAnsi(text)));
}

TEST_F(ShellOnWindows, AShortPathOpensTheSameFolder) {
  const ScratchFolder scratch;
  const std::string folder = scratch.Folder("Voice Mail Folder");
  const auto shortFolder = shell().ShortPath(folder);
  ASSERT_TRUE(shortFolder.has_value());
  EXPECT_EQ(shortFolder->find(' '), std::string::npos) << *shortFolder;
  ExpectSameFolder(*shortFolder, folder);
}

TEST_F(ShellOnWindows, AShortPathOfALongPathOpensTheSameFolder) {
  const ScratchFolder scratch;
  std::string relative = "Recorded Voice Messages Of The Day";
  while (scratch.Folder(relative).size() <= 200) relative += "\\Recorded Voice Messages Of The Day";
  const std::string folder = scratch.Folder(relative);
  const auto shortFolder = shell().ShortPath(folder);
  ASSERT_TRUE(shortFolder.has_value()) << folder;
  EXPECT_LT(shortFolder->size(), folder.size());
  ExpectSameFolder(*shortFolder, folder);
}

TEST_F(ShellOnWindows, AShortPathOfAFolderNamedInTheAnsiCodePageOpensIt) {
  const std::string name =
      "Gr\xC3\xBC\xC3\x9F"
      "e und Nachrichten";  // "Grüße und Nachrichten"
  if (win32::AnsiToUtf8(win32::Utf8ToAnsi(name)) != name) {
    GTEST_SKIP() << "the ANSI code page has no umlauts";
  }
  const ScratchFolder scratch;
  const std::string folder = scratch.Folder(name);
  const auto shortFolder = shell().ShortPath(folder);
  ASSERT_TRUE(shortFolder.has_value()) << folder;
  EXPECT_EQ(shortFolder->find(' '), std::string::npos) << *shortFolder;
  ExpectSameFolder(*shortFolder, folder);
}

}  // namespace
}  // namespace voxtrel
