// Files as the trace log and the recorder use them, natively against the in-memory double
// and under Wine against the Win32 file functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "common/error.h"
#include "contract/contract_platform.h"
#include "host/mod_trace_write.h"

namespace voxtrel {
namespace {

using platform::TextMode;

class FileSystemContract : public testing::Test {
 protected:
  void SetUp() override { platform_ = contract::MakeContractPlatform(); }

  platform::IFileSystem& files() { return platform_->services().files; }
  std::string Path(const std::string& name) { return platform_->ScratchFolder() + "\\" + name; }

  template <typename Action>
  int ErrorNumberOf(Action action) {
    try {
      action();
    } catch (const Error& error) {
      EXPECT_EQ(error.description(), ClassicDescription(error.number()));
      return error.number();
    }
    return 0;
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
};

TEST_F(FileSystemContract, TextIsCreatedAppendedMeasuredAndKilledAndFoldersMadeAndRemovedOnce) {
  const std::string file = Path("Temp.txt");
  files().WriteText(file, "first\r\n", TextMode::kAppend);  // append creates a missing file
  files().WriteText(file, "second\r\n", TextMode::kAppend);
  EXPECT_EQ(platform_->ReadFile(file), "first\r\nsecond\r\n");
  EXPECT_EQ(files().FileLen(file), 15);
  EXPECT_EQ(files().GetAttr(file) & platform::kAttrDirectory, 0u);

  files().WriteText(file, "new", TextMode::kCreate);  // create truncates
  EXPECT_EQ(platform_->ReadFile(file), "new");
  EXPECT_EQ(files().FileLen(file), 3);

  files().Kill(file);
  EXPECT_EQ(ErrorNumberOf([&] { files().GetAttr(file); }), errnum::kFileNotFound);
  EXPECT_NE(files().GetAttr(platform_->ScratchFolder()) & platform::kAttrDirectory, 0u);

  // A folder is made once and removed only when empty.
  const std::string folder = Path("Voxtrel 1-1");
  files().MkDir(folder);
  EXPECT_NE(files().GetAttr(folder) & platform::kAttrDirectory, 0u);
  EXPECT_EQ(ErrorNumberOf([&] { files().MkDir(folder); }), errnum::kPathFileAccessError);
  EXPECT_EQ(ErrorNumberOf([&] { files().MkDir(Path("gone") + "\\x"); }), errnum::kPathNotFound);
  files().WriteText(folder + "\\Temp.wav", "x", TextMode::kCreate);
  EXPECT_EQ(ErrorNumberOf([&] { files().RmDir(folder); }), errnum::kPathFileAccessError);
  files().Kill(folder + "\\Temp.wav");
  files().RmDir(folder);
  EXPECT_EQ(ErrorNumberOf([&] { files().GetAttr(folder); }), errnum::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files().RmDir(folder); }), errnum::kPathNotFound);
}

TEST_F(FileSystemContract, SubFoldersAreListedByTheirNamesAsMadeAndNothingElseIs) {
  const std::string folder = Path("Listed");
  files().MkDir(folder);
  EXPECT_TRUE(files().SubFolders(folder).empty());

  const std::string nonAscii =
      "Gr\xC3\xBC\xC3\x9F"
      "e";  // "Grüße" in UTF-8
  for (const std::string& name :
       {std::string("Voxtrel 12-1"), std::string("MiXed Case"), nonAscii}) {
    files().MkDir(folder + "\\" + name);
  }
  files().MkDir(folder + "\\Voxtrel 12-1\\inner");
  files().WriteText(folder + "\\Voxtrel 12-1\\Temp.wav", "x", TextMode::kCreate);
  files().WriteText(folder + "\\Voxtrel 12-2", "a file", TextMode::kCreate);
  const auto sorted = [](std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> expected = {nonAscii, "MiXed Case", "Voxtrel 12-1"};
  EXPECT_EQ(sorted(files().SubFolders(folder)), expected);
  EXPECT_EQ(sorted(files().SubFolders(folder + "\\")), expected);

  EXPECT_EQ(ErrorNumberOf([&] { files().SubFolders(Path("gone")); }), errnum::kPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files().SubFolders(Path("gone") + "\\deeper"); }),
            errnum::kPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files().SubFolders(""); }), errnum::kPathNotFound);
}

TEST_F(FileSystemContract, FailuresRaiseTheClassicFileErrors) {
  const std::string missingFolder = Path("no-such-folder") + "\\Debug.log";
  EXPECT_EQ(ErrorNumberOf([&] { files().GetAttr(Path("missing.wav")); }), errnum::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files().GetAttr(missingFolder); }), errnum::kPathNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files().FileLen(Path("missing.wav")); }), errnum::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files().Kill(Path("missing.wav")); }), errnum::kFileNotFound);
  EXPECT_EQ(ErrorNumberOf([&] { files().WriteText(missingFolder, "x", TextMode::kAppend); }),
            errnum::kPathNotFound);
  EXPECT_EQ(
      ErrorNumberOf([&] { files().WriteText(platform_->ScratchFolder(), "x", TextMode::kCreate); }),
      errnum::kPathFileAccessError);
  EXPECT_EQ(ErrorNumberOf([&] { files().WriteText("", "x", TextMode::kAppend); }),
            errnum::kBadFileNameOrNumber);
}

TEST_F(FileSystemContract, TraceLogHeaderAndLinesOnDisk) {
  const std::string log = Path("Debug.log");
  modTraceWrite::TraceOpen(log);
  modTraceWrite::TraceWrite("Audio.Record: Init");
  modTraceWrite::TraceWrite("");
  modTraceWrite::TraceOpen(log);  // a second open starts the file afresh
  modTraceWrite::TraceWrite("second run");

  const std::string contents = platform_->ReadFile(log);
  // The header keeps a lone carriage return between the time and the dashes.
  const std::regex expected("TraceWrite " +
                            std::regex_replace(log, std::regex(R"([\\.])"), R"(\$&)") +
                            ", [^\r\n]+\r -------------\r\nsecond run\r\n");
  EXPECT_TRUE(std::regex_match(contents, expected)) << contents;

  EXPECT_EQ(ErrorNumberOf([&] { modTraceWrite::TraceOpen(Path("gone") + "\\Debug.log"); }),
            errnum::kPathNotFound);
}

}  // namespace
}  // namespace voxtrel
