// From the saved recording to the MP3: the checks, the rate, the encoder's command line and
// the encoder wait.
#include <gtest/gtest.h>

#include "audio/audio.h"
#include "sim/platform/wav_bytes.h"
#include "unit/audio_test_support.h"

namespace voxtrel {
namespace {

using testing_support::AudioFixture;
using testing_support::Has;
using testing_support::Lines;

class Encoding : public AudioFixture {};

TEST_F(Encoding, TheSettingChoosesTheRateAndARecordingThatFailsKeepsThePreviousMessage) {
  Audio audio;
  const std::pair<const char*, const char*> rates[] = {
      {"0", "8000"}, {"3", "44100"}, {"7", "11025"}, {"2.5", "22050"}};
  for (const auto& [aq, rate] : rates) {
    SetAq(classic::Variant(aq));
    RecordWindowed(audio, 1000);
    EXPECT_EQ(encoder_.Calls().back().rate, rate) << aq;
  }
  audio.Record(true);
  audio.Record(true);
  EXPECT_EQ(encoder_.Calls().back().rate, "11025");  // scripts, whatever the setting

  // A device element whose recordings hold one byte per second, to size Temp.wav exactly.
  const platform::WaveFormat oneBytePerSecond{1, 1, 1, 1, 1, 8, 0};
  fake_.files.PutFile(App("R.wav"), sim::MakeWav(oneBytePerSecond, ""));
  // The control saves 500 ms after the stop click: 3.5 s give 47 bytes, 2.5 s give 46.
  RecordWindowed(audio, 3000);
  const std::size_t runs = encoder_.Calls().size();
  const std::string message = fake_.files.Contents(App("Voxtrel.mp3"));
  EXPECT_TRUE(Has(RecordWindowed(audio, 2000),
                  "Audio.SaveWaveFile } ERROR:  General Record Failure, Temp.wav too small."));
  const std::pair<const char*, const char*> unreadable[] = {
      {"", "Type mismatch"}, {"high", "Type mismatch"}, {"40000", "Overflow"}};
  for (const auto& [aq, error] : unreadable) {
    SetAq(classic::Variant(aq));
    const Lines trace = RecordWindowed(audio, 3000);
    EXPECT_TRUE(Has(trace, std::string("Audio.SaveWaveFile } ERROR: ") + error)) << aq;
    EXPECT_EQ(trace.back(), "Audio.Record: FinishedRecording");
  }
  EXPECT_EQ(encoder_.Calls().size(), runs);
  EXPECT_EQ(fake_.files.Contents(App("Voxtrel.mp3")), message);
}

TEST_F(Encoding, PathsWithBlanksReachTheEncoderQuotedWithOrWithoutShortNames) {
  fake_.files.AddFolder("C:\\Users\\Ann Lee\\My Messages");
  Audio audio;
  audio.fileName("C:\\Users\\Ann Lee\\My Messages\\to team.mp3");
  EXPECT_TRUE(Has(RecordWindowed(audio, 1000),
                  "SHELL: C:\\Program Files\\Voxtrel\\Wav2Mp3.exe -s 11025 -m m -a --quiet --tt "
                  "\"\" -p -o \"C:\\Users\\Ann\\AppData\\Local\\Temp\\VOXTRE~1\\Temp.wav\" "
                  "\"C:\\Users\\ANNLEE~1\\MYMESS~1\\to team.mp3\""));
  EXPECT_TRUE(fake_.files.Exists("C:\\Users\\Ann Lee\\My Messages\\to team.mp3"));

  // A volume without 8.3 names, the add-in in a profile folder with a blank.
  const std::string folder = "C:\\Users\\Ann Lee\\AppData\\Local\\Voxtrel";
  fake_.shell.SetShortNamesOff();
  fake_.system.SetAppPath(folder);
  fake_.files.PutFile(folder + "\\R.wav", sim::MakeWav(sim::RecordingFormat(), ""));
  fake_.files.PutFile(folder + "\\Wav2Mp3.exe", "MZ");
  const sim::FakeEncoder installed(fake_, folder + "\\Wav2Mp3.exe");
  Audio profile;
  EXPECT_EQ(RecordWindowed(profile, 1000).back(), "Audio.Record: FinishedRecording");
  EXPECT_TRUE(fake_.files.Exists(folder + "\\Voxtrel.mp3"));
  ASSERT_EQ(installed.Calls().size(), 1u);
  EXPECT_EQ(installed.Calls()[0].arguments.back(), folder + "\\Voxtrel.mp3");
}

TEST_F(Encoding, AFolderThatDoesNotExistIsShownInWindowsAndTracedForScripts) {
  Audio audio;
  audio.fileName("C:\\Gone\\note.mp3");
  Lines trace = RecordWindowed(audio, 1000);
  ASSERT_EQ(fake_.shell.MessageBoxes().size(), 1u);
  const auto& box = fake_.shell.MessageBoxes()[0];
  EXPECT_EQ(box.caption + ": " + box.text, "Voxtrel: Error \r\nCould not find path for C:\\Gone\\");
  EXPECT_EQ(encoder_.Calls().back().arguments.back(), "note.mp3");
  // The part's own line stays; the missing file gets a line of its own.
  EXPECT_TRUE(Has(trace, "Audio.SaveWaveFile: Voxtrel.mp3 Exists"));
  const std::string lost =
      "Audio.SaveWaveFile } ERROR: The encoder made no MP3 file at C:\\Gone\\note.mp3; the "
      "recording is lost.";
  EXPECT_TRUE(Has(trace, lost));

  // No box holds up a script: the long path goes to the encoder, which cannot write there.
  audio.Record(true);
  audio.Record(true);
  trace = NewTrace();
  EXPECT_EQ(fake_.shell.MessageBoxes().size(), 1u);
  EXPECT_TRUE(Has(trace, "MyUtils.GetShortPath: Could not find path for C:\\Gone\\"));
  EXPECT_EQ(encoder_.Calls().back().arguments.back(), "C:\\Gone\\note.mp3");
  EXPECT_TRUE(Has(trace, lost));
}

TEST_F(Encoding, AnEncoderMissingOrNeverEndingIsTracedAndLeavesNoMp3) {
  fake_.files.Kill(App("Wav2Mp3.exe"));
  Audio audio;
  Lines trace = RecordWindowed(audio, 1000);
  EXPECT_TRUE(Has(trace, "MyUtils.ShellAndWait } ERROR: File not found"));
  EXPECT_EQ(fake_.forms.LoadedCount("Voxtrel"), 0u);  // no progress window either

  fake_.files.PutFile(App("Wav2Mp3.exe"), "MZ");
  encoder_.hangs = true;
  NewTrace();
  const std::uint64_t start = fake_.events.Now();
  audio.Record();
  fake_.events.PostAt(start + 1000, [&] { audio.Record(); });
  std::uint64_t waitStart = 0;
  std::uint64_t pumpsAtStart = 0;
  fake_.events.PostAt(start + 1600, [&] {
    waitStart = fake_.events.Now();
    pumpsAtStart = fake_.events.PumpCount();
  });
  fake_.events.PumpUntil([&] { return audio.bFinishedRecording; }, 600000);
  trace = NewTrace();
  const std::uint64_t waited = fake_.events.Now() - waitStart;
  // 60 s plus half a second per kilobyte of the recording's 33 kB.
  EXPECT_NEAR(static_cast<double>(waited), 60000 + 32 * 500, 1000);
  EXPECT_TRUE(Has(trace,
                  "MyUtils.ShellAndWait } ERROR: The program did not end within 76 "
                  "seconds and was stopped: C:\\PROGRA~1\\Voxtrel\\Wav2Mp3.exe"));
  EXPECT_TRUE(Has(trace, "Audio.SaveWaveFile } ERROR: The encoder made no MP3 file at " +
                             App("Voxtrel.mp3") + "; the recording is lost."));
  EXPECT_FALSE(fake_.files.Exists(App("Voxtrel.mp3.part")));
  // The wait blocks between pumps: about one pump per 100 ms, besides the window's own.
  EXPECT_LT(fake_.events.PumpCount() - pumpsAtStart, waited / 100 * 3);
  EXPECT_FALSE(fake_.forms.Last("Voxtrel").loaded);
}

}  // namespace
}  // namespace voxtrel
