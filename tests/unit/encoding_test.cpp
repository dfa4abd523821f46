// From the saved recording to the MP3: the checks, the rate, the encoder's command line, the
// encoder wait and the progress window.
#include <gtest/gtest.h>

#include "audio/audio.h"
#include "audio/frm_message.h"
#include "sim/platform/wav_bytes.h"
#include "unit/audio_test_support.h"

namespace voxtrel {
namespace {

using testing_support::AudioFixture;
using testing_support::Lines;

class Encoding : public AudioFixture {
 protected:
  // A windowed recording of `ms` from the first click to the stop click.
  Lines RecordWindowed(Audio& audio, std::uint64_t ms) {
    NewTrace();
    audio.Record();
    fake_.events.PostAt(fake_.events.Now() + ms, [&] { audio.Record(); });
    fake_.events.PumpUntil([&] { return !audio.form().Loaded(); }, 600000);
    return NewTrace();
  }

  void SetAq(const classic::Variant& value) {
    Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "AQ", value);
  }

  // A device element whose recordings hold one byte per second, to size Temp.wav exactly.
  void UseOneBytePerSecondRecordings() {
    const platform::WaveFormat format{.formatTag = 1,
                                      .channels = 1,
                                      .samplesPerSec = 1,
                                      .avgBytesPerSec = 1,
                                      .blockAlign = 1,
                                      .bitsPerSample = 8,
                                      .cbSize = 0};
    fake_.files.PutFile(App("R.wav"), sim::MakeWav(format, ""));
  }

  static bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
};

TEST_F(Encoding, TheSettingChoosesTheRateInWindowsAndScriptsAlwaysGet11025) {
  const std::vector<std::pair<classic::Variant, std::string>> cases = {
      {classic::Variant("0"), "8000"},   {classic::Variant("1"), "11025"},
      {classic::Variant("2"), "22050"},  {classic::Variant("3"), "44100"},
      {classic::Variant("7"), "11025"},  {classic::Variant("1.5"), "22050"},
      {classic::Variant("0.5"), "8000"}, {classic::Variant("2.5"), "22050"},
      {classic::Variant(2), "22050"},
  };
  Audio audio;
  for (const auto& [aq, rate] : cases) {
    SetAq(aq);
    RecordWindowed(audio, 1000);
    EXPECT_EQ(encoder_.Calls().back().rate, rate) << classic::CStr(aq);
  }
  SetAq(classic::Variant("3"));
  audio.Record(true);
  audio.Record(true);
  EXPECT_EQ(encoder_.Calls().back().rate, "11025");
}

TEST_F(Encoding, AnUnreadableSettingMakesNoMp3) {
  Audio audio;
  fake_.files.PutFile(App("Voxtrel.mp3"), "old message");
  for (const auto& [aq, error] : std::vector<std::pair<std::string, std::string>>{
           {"", "Type mismatch"}, {"high", "Type mismatch"}, {"40000", "Overflow"}}) {
    const std::size_t runs = encoder_.Calls().size();
    SetAq(classic::Variant(aq));
    const Lines trace = RecordWindowed(audio, 1000);
    EXPECT_TRUE(Has(trace, "Audio.SaveWaveFile } ERROR: " + error)) << aq;
    EXPECT_EQ(encoder_.Calls().size(), runs);
    EXPECT_TRUE(audio.bFinishedRecording);
    EXPECT_EQ(trace.back(), "Audio.Record: FinishedRecording");
  }
  // The old message was deleted before the setting was read.
  EXPECT_FALSE(fake_.files.Exists(App("Voxtrel.mp3")));
}

TEST_F(Encoding, TempWavMustHoldAtLeast47Bytes) {
  UseOneBytePerSecondRecordings();
  Audio audio;
  // The control saves 500 ms after the stop click: 2.5 s give 46 bytes, 3.5 s give 47.
  Lines trace = RecordWindowed(audio, 2000);
  EXPECT_TRUE(
      Has(trace, "Audio.SaveWaveFile } ERROR:  General Record Failure, Temp.wav too small."));
  EXPECT_TRUE(encoder_.Calls().empty());
  trace = RecordWindowed(audio, 3000);
  EXPECT_FALSE(
      Has(trace, "Audio.SaveWaveFile } ERROR:  General Record Failure, Temp.wav too small."));
  EXPECT_EQ(encoder_.Calls().size(), 1u);
}

TEST_F(Encoding, TheMp3GoesWhereverFileNamePointsWithShortFoldersOnTheCommandLine) {
  fake_.files.AddFolder("C:\\Users\\Ann Lee\\My Messages");
  Audio audio;
  audio.fileName("C:\\Users\\Ann Lee\\My Messages\\to team.mp3");
  const Lines trace = RecordWindowed(audio, 1000);
  EXPECT_TRUE(
      Has(trace,
          "SHELL: C:\\Program Files\\Voxtrel\\Wav2Mp3.exe -s 11025 -m m -a --quiet --tt \"\" "
          "-p -o C:\\PROGRA~1\\Voxtrel\\Temp.wav "
          "\"C:\\Users\\ANNLEE~1\\MYMESS~1\\to team.mp3\""));
  EXPECT_TRUE(fake_.files.Exists("C:\\Users\\Ann Lee\\My Messages\\to team.mp3"));
  EXPECT_EQ(fake_.shell.Started().back().rfind("C:\\PROGRA~1\\Voxtrel\\Wav2Mp3.exe  -s 11025", 0),
            0u);
}

TEST_F(Encoding, AFolderThatDoesNotExistIsShownToTheUserAndNoMp3Comes) {
  Audio audio;
  audio.fileName("C:\\Gone\\note.mp3");
  const Lines trace = RecordWindowed(audio, 1000);
  ASSERT_EQ(fake_.shell.MessageBoxes().size(), 1u);
  EXPECT_EQ(fake_.shell.MessageBoxes()[0].text, "Error \r\nCould not find path for C:\\Gone\\");
  EXPECT_EQ(fake_.shell.MessageBoxes()[0].caption, "Voxtrel");
  EXPECT_EQ(encoder_.Calls().back().arguments.back(), "note.mp3");
  // The part's own line stays; the missing file gets a line of its own.
  EXPECT_TRUE(Has(trace, "Audio.SaveWaveFile: Voxtrel.mp3 Exists"));
  EXPECT_TRUE(Has(trace,
                  "Audio.SaveWaveFile } ERROR: The encoder made no MP3 file at "
                  "C:\\Gone\\note.mp3"));
}

TEST_F(Encoding, AFailedEncoderRunIsTracedAsAnError) {
  encoder_.writesNothing = true;
  Audio audio;
  const Lines trace = RecordWindowed(audio, 1000);
  const auto exists =
      std::find(trace.begin(), trace.end(), "Audio.SaveWaveFile: Voxtrel.mp3 Exists");
  ASSERT_NE(exists, trace.end());
  EXPECT_EQ(*(exists + 1),
            "Audio.SaveWaveFile } ERROR: The encoder made no MP3 file at " + App("Voxtrel.mp3"));
}

TEST_F(Encoding, AnEncoderThatNeverEndsIsStoppedWithoutSpinning) {
  encoder_.hangs = true;
  Audio audio;
  audio.Record();
  fake_.events.PostAt(1000, [&] { audio.Record(); });
  std::uint64_t waitStart = 0;
  std::uint64_t pumpsAtStart = 0;
  fake_.events.PostAt(1600, [&] {
    waitStart = fake_.events.Now();
    pumpsAtStart = fake_.events.PumpCount();
  });
  fake_.events.PumpUntil([&] { return audio.bFinishedRecording; }, 600000);
  const Lines trace = NewTrace();
  const std::uint64_t waited = fake_.events.Now() - waitStart;
  // 60 s plus half a second per kilobyte of the recording's 33 kB.
  EXPECT_NEAR(static_cast<double>(waited), 60000 + 32 * 500, 1000);
  EXPECT_TRUE(Has(trace,
                  "MyUtils.ShellAndWait } ERROR: The program did not end within 76 "
                  "seconds and was stopped: C:\\PROGRA~1\\Voxtrel\\Wav2Mp3.exe"));
  // The wait blocks between pumps: about one pump per 100 ms, besides the window's own.
  EXPECT_LT(fake_.events.PumpCount() - pumpsAtStart, waited / 100 * 3);
  EXPECT_FALSE(fake_.forms.Last("Voxtrel").loaded);
}

TEST_F(Encoding, AMissingEncoderIsTracedAndNoProgressWindowAppears) {
  fake_.files.Kill(App("Wav2Mp3.exe"));
  Audio audio;
  const Lines trace = RecordWindowed(audio, 1000);
  EXPECT_TRUE(Has(trace, "MyUtils.ShellAndWait } ERROR: File not found"));
  EXPECT_EQ(fake_.forms.LoadedCount("Voxtrel"), 0u);
  EXPECT_TRUE(audio.bFinishedRecording);
}

TEST_F(Encoding, TheProgressWindowSitsWhereTheScopeWasPlaced) {
  encoder_.startMs = 2000;
  Audio audio;
  std::int16_t x = 300;
  std::int16_t y = 40;
  audio.setFormVizPos(x, y, nullptr);
  RecordWindowed(audio, 1000);
  const auto& progress = fake_.forms.Last("Voxtrel");
  EXPECT_EQ(progress.left, 300);
  EXPECT_EQ(progress.top, 40);
  EXPECT_TRUE(progress.topmost);
  EXPECT_GE(progress.refreshes, 3);  // animated while the encoder ran
  EXPECT_EQ(Lines(1, progress.labels.at("lblStat")), Lines{"Done"});
}

TEST(ProgressWindow, AnimatesEveryHalfSecondAndClosesWithDone) {
  sim::FakePlatform fake;
  frmMessage progress;
  const auto& window = fake.forms.Last("Voxtrel");
  EXPECT_EQ(window.design.labels.at(0).caption, "Creating MP3...");
  progress.Show();
  EXPECT_TRUE(window.visible);
  Lines seen{progress.lblStat()};
  for (int step = 0; step < 5; ++step) {
    fake.events.RunNext();
    seen.push_back(progress.lblStat());
  }
  EXPECT_EQ(seen, (Lines{"Creating MP3...", "Creating MP3", "Creating MP3.", "Creating MP3..",
                         "Creating MP3...", "Creating MP3"}));
  EXPECT_NEAR(static_cast<double>(fake.events.Now()), 5 * frmMessage::kMoveMs, 5);
  EXPECT_EQ(window.refreshes, 5);

  progress.advanceStep(true);
  EXPECT_EQ(progress.lblStat(), "Done");
  EXPECT_FALSE(window.loaded);
  progress.advanceStep(false);  // "Done" is not an animation text
  EXPECT_EQ(progress.lblStat(), "Done");
}

}  // namespace
}  // namespace voxtrel
