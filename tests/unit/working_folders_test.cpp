// Working folders that ended processes left in the user's temporary folder: Outlook 2010 and
// later end without disconnecting the add-in, so its audio objects never remove them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "audio/working_folders.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel {
namespace {

constexpr std::uint32_t kRunning = 77;
constexpr std::uint32_t kEndedButHeldOpen = 78;  // 12 and 13: no process has these ids

class LeftWorkingFolders : public ::testing::Test {
 protected:
  LeftWorkingFolders() {
    platform_.shell.AddProcess(kRunning);
    platform_.shell.AddProcess(kEndedButHeldOpen, 0);
  }

  static std::string Temp(const std::string& name) {
    return std::string(sim::FixedSystemInfo::kTempPath) + "\\" + name;
  }
  // A folder in the temporary folder holding these files.
  void Put(const std::string& folder, std::initializer_list<const char*> files) {
    platform_.files.AddFolder(Temp(folder));
    for (const char* file : files) platform_.files.PutFile(Temp(folder) + "\\" + file, "x");
  }
  bool Exists(const std::string& path) const { return platform_.files.Exists(Temp(path)); }

  static constexpr std::initializer_list<const char*> kOurFiles = {"Temp.wav", "Voxtrel.mp3",
                                                                   "Voxtrel.mp3.part"};
  sim::FakePlatform platform_;
};

TEST_F(LeftWorkingFolders, ThoseOfEndedProcessesGoWithTheirFilesWhileRunningOnesAndOursStay) {
  Put("Voxtrel 12-1", kOurFiles);
  Put("Voxtrel 12-2", {});
  Put("Voxtrel 78-1", {"Voxtrel.mp3"});
  Put("Voxtrel 77-1", kOurFiles);
  Put("Voxtrel 4242-1", {"Voxtrel.mp3"});  // this process's own, though it cannot be opened

  RemoveLeftWorkingFolders();

  EXPECT_FALSE(Exists("Voxtrel 12-1"));
  EXPECT_FALSE(Exists("Voxtrel 12-2"));
  EXPECT_FALSE(Exists("Voxtrel 78-1"));
  for (const char* file : kOurFiles) EXPECT_TRUE(Exists(std::string("Voxtrel 77-1\\") + file));
  EXPECT_TRUE(Exists("Voxtrel 4242-1\\Voxtrel.mp3"));
}

TEST_F(LeftWorkingFolders, WhatWeDidNotMakeKeepsItsFolderWhileOurFilesGo) {
  Put("Voxtrel 12-1", {"Temp.wav", "notes.txt"});
  Put("Voxtrel 12-2\\pictures", {});
  Put("Voxtrel 12-3", {"Voxtrel.mp3", "Voxtrel.mp3.bak"});

  RemoveLeftWorkingFolders();

  EXPECT_FALSE(Exists("Voxtrel 12-1\\Temp.wav"));
  EXPECT_TRUE(Exists("Voxtrel 12-1\\notes.txt"));
  EXPECT_TRUE(Exists("Voxtrel 12-2\\pictures"));
  EXPECT_FALSE(Exists("Voxtrel 12-3\\Voxtrel.mp3"));
  EXPECT_TRUE(Exists("Voxtrel 12-3\\Voxtrel.mp3.bak"));
}

TEST_F(LeftWorkingFolders, NamesThatOnlyLookLikeOursStayUntouched) {
  const char* const lookalikes[] = {
      "Voxtrel 12-x",  "Voxtrel12-1",   "Voxtrel 12-1 copy",     "voxtrel 13-1",
      "Voxtrel 012-1", "Voxtrel 13-01", "Voxtrel 12-0",          "Voxtrel 12-1001",
      "Voxtrel 12-+1", "Voxtrel 12",    "Voxtrel 99999999999-1", "Other\\Voxtrel 12-1",
  };
  for (const char* folder : lookalikes) Put(folder, {"Temp.wav"});
  platform_.files.PutFile(Temp("Voxtrel 12-2"), "a file named like a folder");

  RemoveLeftWorkingFolders();

  for (const char* folder : lookalikes) {
    EXPECT_TRUE(Exists(std::string(folder) + "\\Temp.wav")) << folder;
  }
  EXPECT_TRUE(Exists("Voxtrel 12-2"));
}

TEST_F(LeftWorkingFolders, OneThatCannotBeRemovedStopsNoOther) {
  Put("Voxtrel 12-1", {"Temp.wav"});
  platform_.files.SetReadOnlyFolder(Temp("Voxtrel 12-1"));
  Put("Voxtrel 12-2", {"Temp.wav"});
  Put("Voxtrel 13-1", {"Voxtrel.mp3"});

  RemoveLeftWorkingFolders();

  EXPECT_TRUE(Exists("Voxtrel 12-1\\Temp.wav"));
  EXPECT_FALSE(Exists("Voxtrel 12-2"));
  EXPECT_FALSE(Exists("Voxtrel 13-1"));
}

// What it cannot list must not end Outlook through its noexcept.
TEST_F(LeftWorkingFolders, ATemporaryFolderThatCannotBeListedRaisesNothing) {
  platform_.files.RmDir(sim::FixedSystemInfo::kTempPath);
  RemoveLeftWorkingFolders();
}

}  // namespace
}  // namespace voxtrel
