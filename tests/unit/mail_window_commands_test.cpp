// What the toolbar's commands do beyond the dump and the trace: where the audio form goes, which
// files a window's recording and playback use, and what Delete leaves on disk.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/outlook/native_outlook.h"

namespace voxtrel {
namespace {

constexpr char kSessions[] = VOXTREL_SESSIONS;

// Plays a session whose steps each end in a check made while the session still runs.
class MailWindowCommands : public ::testing::Test {
 protected:
  struct Step {
    std::string lines;
    std::function<void()> check;
  };

  void Play(std::vector<Step> steps) {
    std::vector<std::string> lines = {"folder Inbox mail", "setting AQ 1"};
    std::size_t next = 0, step = 0;
    auto source = [&]() -> std::optional<std::string> {
      while (next == lines.size()) {
        if (step > 0 && steps[step - 1].check) steps[step - 1].check();
        if (step == steps.size()) return std::nullopt;
        std::istringstream stepLines(steps[step++].lines);
        for (std::string line; std::getline(stepLines, line);) lines.push_back(line);
      }
      return lines[next++];
    };
    std::ostringstream out, err;
    const int status =
        outlook_.Runner(std::string(kSessions) + "/unit.session", out)->Run(source, err);
    EXPECT_EQ(status, 0) << err.str();
  }
  sim::FakePlatform& platform() { return outlook_.platform(); }
  olsim::Item& Mail(const std::string& name) { return outlook_.model()->ItemNamed(name); }
  // The working folder of the Nth audio object that needed one.
  std::string WorkingFolder(int n) {
    return platform().system.TempPath() + "\\Voxtrel " +
           std::to_string(platform().system.ProcessId()) + "-" + std::to_string(n);
  }

  olsim::NativeOutlook outlook_;
};

TEST_F(MailWindowCommands, AudioFormStandsRightOfTheLastVisibleControlOnItsRow) {
  Play({{"start\ncompose\nclick Record", [&] {
           const sim::FormRecord& scope = platform().forms.Last("Scope");
           EXPECT_TRUE(scope.visible);
           EXPECT_TRUE(scope.topmost);
           // Inspector 1 stands 24 pixels right of the explorer; visible then: the product
           // button (73), Stop (55), Pause (61) and Properties (23), each with 5 between, and 4
           // after the last.
           EXPECT_EQ(scope.left, 24 + (73 + 5) + (55 + 5) + (61 + 5) + (23 + 5) + 4);
           EXPECT_EQ(scope.top, 126);
         }}});
}

TEST_F(MailWindowCommands, EachWindowRecordsIntoItsOwnFolderAndDeleteKeepsTheFileOnDisk) {
  Play({{"start\ncompose\nclick Record\nwait 1000\ncompose\nclick Record\nwait 2000\n"
         "click Stop\nactivate 1\nclick Stop",
         [&] {
           const std::string first = Mail("new1").attachments.at(0).bytes;
           const std::string second = Mail("new2").attachments.at(0).bytes;
           EXPECT_NE(first, second);
           EXPECT_EQ(platform().files.Contents(WorkingFolder(1) + "\\Voxtrel.mp3"), first);
           EXPECT_EQ(platform().files.Contents(WorkingFolder(2) + "\\Voxtrel.mp3"), second);
           // Nothing is written to the add-in's folder, which the user may not own.
           EXPECT_FALSE(platform().files.Exists(platform().AppFile("Voxtrel.mp3")));
         }},
        {"click Delete", [&] {
           EXPECT_TRUE(Mail("new1").attachments.empty());
           EXPECT_TRUE(platform().files.Exists(WorkingFolder(1) + "\\Voxtrel.mp3"));
         }}});
}

TEST_F(MailWindowCommands, PlayingSavesTheSelectedAttachmentOverTheWindowsMessageFile) {
  Play(
      {{"mail m1 in Inbox sent attach a.mp3 files/three-seconds.mp3 attach b.mp3 "
        "files/one-second.mp3\nstart\nopen m1\nchoose 2\nclick Play",
        [&] {
          EXPECT_EQ(platform().files.Contents(WorkingFolder(1) + "\\Voxtrel.mp3"),
                    Mail("m1").attachments.at(1).bytes);
        }}});
}

}  // namespace
}  // namespace voxtrel
