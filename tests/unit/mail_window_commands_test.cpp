// What the toolbar's commands do beyond the dump and the trace: where the audio form goes, which
// files a window's recording and playback use, and what Delete leaves on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
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

  // The active window's control of the Vox Trel bar that the member names.
  const olsim::Control& Control(const std::string& member) {
    const olsim::Model& model = *outlook_.model();
    for (const olsim::Window& window : model.Windows()) {
      if (window.id != model.ActiveWindow()) continue;
      for (const olsim::Bar& bar : model.BarsShownBy(window)) {
        for (const olsim::Control& control : bar.controls) {
          if (control.tag.starts_with("Voxtrel." + member + ".")) return control;
        }
      }
    }
    throw std::logic_error("no control " + member);
  }
  // The bar is back to Record: shown with its caption, Pause hidden.
  void ExpectRecordShown() {
    EXPECT_EQ(Control("btnRecord").caption, "Record");
    EXPECT_EQ(Control("btnRecord").face, "record");
    EXPECT_TRUE(Control("btnRecord").visible);
    EXPECT_FALSE(Control("btnPause").visible);
    EXPECT_EQ(Control("btnPause").caption, "Pause");
  }
  std::vector<sim::FakeShell::MessageBox> MessageBoxes() { return platform().shell.MessageBoxes(); }

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

// The window's working folder holds the message it last played; a recording whose encoder makes
// nothing must not attach that file in its place.
TEST_F(MailWindowCommands, ARecordingTheEncoderMadeNothingOfAttachesNothing) {
  Play({{"folder Drafts mail\nmail d1 in Drafts attach old.mp3 files/one-second.mp3\nstart\n"
         "open d1\nclick Play\nwait 3000\nclick Delete",
         [&] {
           EXPECT_TRUE(platform().files.Exists(WorkingFolder(1) + "\\Voxtrel.mp3"));
           outlook_.encoder().writesNothing = true;
         }},
        {"click Record\nwait 1000\nclick Stop", [&] {
           EXPECT_TRUE(Mail("d1").attachments.empty());
           ExpectRecordShown();
           ASSERT_EQ(MessageBoxes().size(), 1u);
           EXPECT_EQ(MessageBoxes()[0].caption, "Voxtrel");
           EXPECT_TRUE(MessageBoxes()[0].text.starts_with(
               "The recording could not be attached.\r\nThe encoder made no MP3 file at "))
               << MessageBoxes()[0].text;
         }}});
}

// The device never saves the recording: the stop gives up, and the bar does not go on saying
// Stop over nothing.
TEST_F(MailWindowCommands, ARecordingThatCouldNotBeSavedGivesTheBarBackToRecord) {
  Play({{"start\ncompose\nclick Record\nwait 1000",
         [&] { platform().multimedia.SetSaveFails(true); }},
        {"click Stop", [&] {
           EXPECT_TRUE(Mail("new1").attachments.empty());
           ExpectRecordShown();
           ASSERT_EQ(MessageBoxes().size(), 1u);
           EXPECT_EQ(MessageBoxes()[0].text,
                     "The recording could not be attached.\r\n"
                     "Temp.wav was not saved within 5 seconds; the recording is lost.");
         }}});
}

TEST_F(MailWindowCommands, ARecordingThatCouldNotStartGivesTheBarBackToRecord) {
  Play({{"start\ncompose", [&] { platform().multimedia.SetCaptureAvailable(false); }},
        {"click Record",
         [&] {
           ExpectRecordShown();
           EXPECT_EQ(platform().waveIn.OpenStreams(), 0u);
           ASSERT_EQ(MessageBoxes().size(), 1u);
           EXPECT_EQ(MessageBoxes()[0].text,
                     "The recording could not be started.\r\n"
                     "No wave input device is available for recording.");
         }},
        {"wait 1000", [&] { EXPECT_TRUE(Mail("new1").attachments.empty()); }}});
}

TEST_F(MailWindowCommands, DeleteDuringAPausedRecordingClosesTheDeviceAndSavesNothing) {
  Play({{"folder Drafts mail\nmail d1 in Drafts attach old.mp3 files/one-second.mp3\nstart\n"
         "open d1\nclick Record\nwait 1000\nclick Pause\nwait 200",
         [&] {
           EXPECT_EQ(platform().waveIn.OpenStreams(), 1u);
           platform().multimedia.ClearLog();
         }},
        {"click Delete", [&] {
           // Closed, and nothing saved: the device's only commands close it.
           const std::vector<std::string>& log = platform().multimedia.Log();
           EXPECT_FALSE(log.empty());
           EXPECT_TRUE(std::ranges::all_of(log, [](const auto& line) { return line == "Close"; }))
               << ::testing::PrintToString(log);
           EXPECT_EQ(platform().waveIn.OpenStreams(), 0u);
           EXPECT_FALSE(platform().files.Exists(WorkingFolder(1) + "\\Temp.wav"));
           EXPECT_FALSE(platform().forms.Last("Scope").loaded);
           ASSERT_EQ(Mail("d1").attachments.size(), 1u);
           EXPECT_EQ(Mail("d1").attachments[0].fileName, "old.mp3");
           ExpectRecordShown();
           EXPECT_TRUE(MessageBoxes().empty());
         }}});
}

// The user removed the selected voice file in Outlook's own window: the document now at its
// position is neither saved nor played.
TEST_F(MailWindowCommands, PlayOnAListTheUserMadeStaleSavesNothing) {
  Play(
      {{"mail m1 in Inbox sent attach a.mp3 files/one-second.mp3 attach report.pdf -\nstart\n"
        "open m1\ndetach m1 1\nclick Play",
        [&] {
          EXPECT_FALSE(platform().files.Exists(WorkingFolder(1) + "\\Voxtrel.mp3"));
          EXPECT_TRUE(platform().multimedia.Log().empty());
          EXPECT_FALSE(Mail("m1").changed);
        }}});
}

}  // namespace
}  // namespace voxtrel
