// The scriptable recorder as a script sees it: its log, its errors and its event.
#include <gtest/gtest.h>

#include "automation/voxtrel_inst.h"
#include "common/error.h"
#include "sim/platform/fake_encoder.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel {
namespace {

class ScriptableRecorder : public testing::Test {
 protected:
  ScriptableRecorder() : encoder_(fake_, fake_.AppFile("Wav2Mp3.exe")) {}

  // What a script sees of the error an action raises: "number source: description".
  static std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& error) {
      return std::to_string(error.number()) + " " + error.source() + ": " + error.description();
    }
    return "no error";
  }

  sim::FakePlatform fake_;
  sim::FakeEncoder encoder_;
};

TEST_F(ScriptableRecorder, EndsWhenReleasedAndASessionRecordsPlaysAndReportsTheEndOnce) {
  std::weak_ptr<VoxtrelInst> released;
  {
    auto recorder = VoxtrelInst::Create();
    released = recorder;
    recorder->recordMp3();  // from now on the audio object holds its owner
    recorder->ClientReleased();
  }
  // Released by its client, the recorder and its audio end.
  EXPECT_TRUE(released.expired());
  EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);
  EXPECT_EQ(fake_.multimedia.LiveControls(), 0u);

  fake_.files.PutFile("c:\\debug.log", "an old run");
  const auto recorder = VoxtrelInst::Create();
  const std::string& log = fake_.files.Contents("c:\\debug.log");
  EXPECT_EQ(log.rfind("TraceWrite c:\\debug.log, ", 0), 0u);
  EXPECT_NE(log.find("Audio Created!\r\n"), std::string::npos);
  EXPECT_EQ(log.find("an old run"), std::string::npos);

  EXPECT_EQ(recorder->fileName(), fake_.AppFile("Voxtrel.mp3"));  // where scripts look for it
  const std::string mp3 = "C:\\Users\\Ann\\voice.mp3";
  fake_.files.AddFolder("C:\\Users\\Ann");
  recorder->fileName(mp3);
  EXPECT_EQ(recorder->fileName(), mp3);

  recorder->recordMp3();
  fake_.events.AdvanceTo(2000);
  recorder->recordMp3();
  ASSERT_TRUE(fake_.files.Exists(mp3));
  EXPECT_EQ(encoder_.Calls().back().title, "");  // the default tag names no title
  EXPECT_EQ(encoder_.Calls().back().rate, "11025");
  EXPECT_NE(fake_.files.Contents("c:\\debug.log").find("Audio.Record: FinishedRecording"),
            std::string::npos);

  int finished = 0;
  const auto connection = recorder->finishedPlaying.Connect([&] { ++finished; });
  recorder->playMp3();
  recorder->pauseMP3();
  fake_.events.PumpUntil([] { return false; }, 1000);
  EXPECT_EQ(recorder->audio().form().WStatus(), platform::kMciModePause);
  recorder->pauseMP3();
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return finished == 1; }, 10000));
  recorder->playMp3();
  fake_.events.PumpUntil([] { return false; }, 500);
  recorder->playMp3();  // stops it, and that is an end too
  EXPECT_EQ(finished, 2);
  fake_.events.PumpUntil([] { return false; }, 5000);
  EXPECT_EQ(finished, 2);
  EXPECT_FALSE(recorder->audio().form().Visible());
}

TEST_F(ScriptableRecorder, ErrorsReachTheScriptWithTheMethodsNumbersAndSources) {
  const auto recorder = VoxtrelInst::Create();
  EXPECT_EQ(ErrorOf([&] { recorder->playMp3(); }),
            "1012 VoxtrelInst.playMP3: There is no file to play back.");
  EXPECT_TRUE(fake_.multimedia.Log().empty());

  // A recording that does not start, or makes no MP3, is no success either.
  fake_.multimedia.SetCaptureAvailable(false);
  EXPECT_EQ(ErrorOf([&] { recorder->recordMp3(); }),
            "1011 VoxtrelInst.recordMp3: No wave input device is available for recording.");
  fake_.multimedia.SetCaptureAvailable(true);
  encoder_.writesNothing = true;
  recorder->recordMp3();
  EXPECT_EQ(ErrorOf([&] { recorder->recordMp3(); }),
            "1011 VoxtrelInst.recordMp3: The encoder made no MP3 file at " +
                fake_.AppFile("Voxtrel.mp3") + "; the recording is lost.");

  // The log's folder closes: the trace line of the recorder's own handler cannot be written.
  fake_.files.Kill("c:\\debug.log");
  fake_.files.SetReadOnlyFolder("C:");
  EXPECT_EQ(ErrorOf([&] { recorder->recordMp3("x"); }),
            "1011 VoxtrelInst.recordMp3: Path/File access error");
}

TEST_F(ScriptableRecorder, WithoutRightsToTheRootOfCTheLogMovesToTheTempFolder) {
  fake_.files.SetReadOnlyFolder("C:");
  const auto recorder = VoxtrelInst::Create();
  const std::string fallback = std::string(sim::FixedSystemInfo::kTempPath) + "\\Voxtrel debug.log";
  EXPECT_NE(fake_.files.Contents(fallback).find("Audio Created!"), std::string::npos);

  fake_.files.Kill(fallback);
  fake_.files.SetReadOnlyFolder(sim::FixedSystemInfo::kTempPath);
  EXPECT_EQ(ErrorOf([] { VoxtrelInst::Create(); }), "75 Voxtrel: Path/File access error");
}

}  // namespace
}  // namespace voxtrel
