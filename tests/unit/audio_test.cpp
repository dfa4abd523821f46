// Recording and playback sessions of the audio object on the virtual clock, checked line by
// line against the trace, the form, the control and the files.
#include <gtest/gtest.h>

#include "audio/audio.h"
#include "sim/platform/wav_bytes.h"
#include "unit/audio_test_support.h"

namespace voxtrel {
namespace {

using testing_support::AudioFixture;
using testing_support::Lines;

class AudioSession : public AudioFixture {
 protected:
  // Milliseconds of audio in the MP3 the fake encoder wrote.
  std::uint64_t Mp3Length(const std::string& path) {
    const std::string& mp3 = fake_.files.Contents(path);
    return std::stoull(mp3.substr(mp3.find("ms=") + 3));
  }
  sim::FormRecord& Scope() { return fake_.forms.Last("Scope"); }
  std::string Shell(const std::string& title = "\"\"") {
    return "SHELL: C:\\Program Files\\Voxtrel\\Wav2Mp3.exe -s 11025 -m m -a --quiet --tt " + title +
           " -p -o C:\\PROGRA~1\\Voxtrel\\Temp.wav C:\\PROGRA~1\\Voxtrel\\Voxtrel.mp3";
  }
};

TEST_F(AudioSession, WindowedRecordingFromFirstClickToTheMp3) {
  Audio audio;
  EXPECT_EQ(NewTrace(), Lines{"Audio Created!"});
  EXPECT_TRUE(audio.bFinishedPlaying);
  EXPECT_FALSE(audio.bFinishedRecording);

  audio.Record();
  EXPECT_EQ(NewTrace(), Lines{"Audio.Record: Init"});
  EXPECT_TRUE(Scope().visible);
  EXPECT_TRUE(Scope().topmost);
  EXPECT_EQ(Scope().left, 0);
  EXPECT_EQ(Scope().labels["lblTime"], "00:00");
  EXPECT_EQ(fake_.multimedia.Log(),
            (Lines{"Close", "Close", "Open " + App("R.wav") + " as WaveAudio", "Record"}));
  EXPECT_NE(audio.waveInHandle(), 0u);
  EXPECT_TRUE(audio.bDirection);
  EXPECT_EQ(audio.state(), platform::kMciModeNotReady);

  // The stop click arrives 3 s later, inside one of the capture loop's pumps.
  fake_.events.PostAt(3000, [&] {
    EXPECT_EQ(Scope().labels["lblTime"], "00:02");
    audio.Record();
  });
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return audio.bFinishedRecording; }, 60000));

  EXPECT_EQ(
      NewTrace(),
      (Lines{"#", "Audio.Record: Init", "Audio.Record: Stopping", "Audio.Record: Saved Temp.Wav",
             "Audio.Record: Temp.Wav Exists", Shell(), "Audio.SaveWaveFile: Voxtrel.mp3 Exists",
             "Audio.Record: Make MP3 (SaveWaveFile)", "Audio.Record: FinishedRecording"}));
  EXPECT_EQ(audio.state(), platform::kMciModeRecord);
  // The control stops 500 ms after the click is handled (the capture wait may hold the click
  // back up to a buffer), so those 500 ms are in the file too.
  EXPECT_NEAR(static_cast<double>(Mp3Length(App("Voxtrel.mp3"))), 3525, 30);
  EXPECT_EQ(encoder_.Calls().back().title, "");
  EXPECT_FALSE(fake_.files.Exists(App("Temp.wav")));
  EXPECT_FALSE(Scope().loaded);
  EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);
  EXPECT_EQ(fake_.waveIn.DoubleQueueAttempts(), 0u);
  EXPECT_GT(Scope().pictures["scopeBox"].clears, 10);

  const auto& progress = fake_.forms.Last("Voxtrel");
  EXPECT_FALSE(progress.loaded);
  EXPECT_TRUE(progress.topmost);
  EXPECT_EQ(progress.labels.at("lblStat"), "Done");
  const Lines log = fake_.multimedia.Log();
  EXPECT_EQ(Lines(log.end() - 4, log.end()),
            (Lines{"Stop", "Save " + App("Temp.wav"), "Close", "Close"}));
}

TEST_F(AudioSession, StandaloneRecordingShowsNothingAndKeepsItsTitle) {
  Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "AQ",
                     classic::Variant("3"));  // ignored by scripts
  Audio audio;
  audio.Record(true, "Greeting for \"Bob\" \\ team");
  fake_.events.AdvanceTo(2000);
  audio.Record(true);  // the default tag keeps the title given before
  EXPECT_EQ(
      NewTrace(),
      (Lines{"Audio Created!", "Audio.Record: Init", "Audio.Record: Init",
             "Audio.Record: Saved Temp.Wav", "Audio.Record: Temp.Wav Exists",
             Shell(R"("Greeting for \"Bob\" \ team")"), "Audio.SaveWaveFile: Voxtrel.mp3 Exists",
             "Audio.Record: Make MP3 (SaveWaveFile)", "Audio.Record: FinishedRecording"}));
  EXPECT_TRUE(audio.bFinishedRecording);
  EXPECT_EQ(encoder_.Calls().back().title, "Greeting for \"Bob\" \\ team");
  EXPECT_EQ(encoder_.Calls().back().rate, "11025");
  EXPECT_NEAR(static_cast<double>(Mp3Length(App("Voxtrel.mp3"))), 2510, 20);
  EXPECT_FALSE(Scope().visible);
  EXPECT_EQ(fake_.forms.LoadedCount("Voxtrel"), 0u);
  // The capture stream does not outlive the recording.
  EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);
}

TEST_F(AudioSession, PauseAndResumeLeaveTheGapOutOfTheRecordingAndTheDisplay) {
  Audio audio;
  audio.Record();
  int clearsAtPause = 0;
  fake_.events.PostAt(1100, [&] { audio.Pause(); });
  fake_.events.PostAt(1250, [&] {
    EXPECT_EQ(audio.form().WStatus(), platform::kMciModePause);
    EXPECT_TRUE(audio.bPaused);
    clearsAtPause = Scope().pictures["scopeBox"].clears;
  });
  fake_.events.PostAt(1990, [&] {
    EXPECT_EQ(Scope().pictures["scopeBox"].clears, clearsAtPause);
    EXPECT_EQ(Scope().labels["lblTime"], "00:01");  // the counter stood still
    audio.Pause();
    EXPECT_FALSE(audio.bPaused);
    EXPECT_EQ(audio.form().WStatus(), platform::kMciModeRecord);
  });
  fake_.events.PostAt(3000, [&] { audio.Record(); });
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return audio.bFinishedRecording; }, 60000));
  EXPECT_GT(Scope().pictures["scopeBox"].clears, clearsAtPause);
  // Recorded: from 0 until the pause command 50 ms after the click, and from the resume until
  // 500 ms after the stop click; each click may wait up to one capture buffer.
  EXPECT_NEAR(static_cast<double>(Mp3Length(App("Voxtrel.mp3"))), 1175 + 1535, 60);
}

TEST_F(AudioSession, PlaybackRunsToItsEndAndASecondPlayStopsIt) {
  fake_.files.PutFile(App("Voxtrel.mp3"), "FAKE-MP3 ms=1500");
  Audio audio;
  int finished = 0;
  const auto connection = audio.finishedPlayingEvent.Connect([&] { ++finished; });

  audio.Play();
  EXPECT_FALSE(audio.bFinishedPlaying);
  EXPECT_TRUE(Scope().visible);
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return finished == 1; }, 10000));
  EXPECT_GE(fake_.events.Now(), 1500u);
  EXPECT_TRUE(audio.bFinishedPlaying);
  EXPECT_FALSE(Scope().loaded);
  EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);
  fake_.events.PumpUntil([] { return false; }, 3000);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(NewTrace(), (Lines{"Audio Created!", "#"}));

  audio.Play();
  const std::uint64_t start = fake_.events.Now();
  fake_.events.PostAt(start + 500, [&] { audio.Play(); });
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return finished == 2; }, 10000));
  EXPECT_LT(fake_.events.Now(), start + 1500);
  fake_.events.PumpUntil([] { return false; }, 3000);
  EXPECT_EQ(finished, 2);  // the stopped playback reports no end of its own
  EXPECT_TRUE(audio.bFinishedPlaying);
}

TEST_F(AudioSession, PlayingAMissingFileStartsTheDisplayOnly) {
  Audio audio;
  audio.Play();
  EXPECT_TRUE(audio.bFinishedPlaying);
  EXPECT_TRUE(Scope().visible);
  EXPECT_EQ(fake_.multimedia.Log(), Lines{});
  fake_.events.PostAt(1500, [&] {
    EXPECT_EQ(Scope().labels["lblTime"], "00:01");
    audio.Play();  // the control is idle: this starts again
    EXPECT_TRUE(Scope().visible);
    audio.StopRecord();
  });
  fake_.events.PumpUntil([] { return false; }, 2000);
  EXPECT_EQ(fake_.waveIn.DoubleQueueAttempts(), 0u);
}

TEST_F(AudioSession, TheScopeDrawsEveryThirdBufferAsBarsOnTheBottomEdge) {
  fake_.waveIn.SetPattern([](std::uint64_t, std::size_t index) -> std::uint8_t {
    return index == 55 ? 255 : index == 60 ? 0 : 128;
  });
  Audio audio;
  audio.Play();  // no file: the display runs on its own
  const auto& box = Scope().pictures["scopeBox"];
  std::vector<sim::FormRecord::DrawOp> firstDraw;
  std::uint64_t buffersPerDraw = 0;
  // Looks at the box from inside the capture loop, then ends it.
  fake_.events.PostAt(60, [&] {
    ASSERT_EQ(fake_.waveIn.BuffersFilled(), 1u);
    ASSERT_EQ(box.clears, 1);  // the first pass draws
    firstDraw = box.ops;
    const std::uint64_t buffers = fake_.waveIn.BuffersFilled();
    fake_.events.PostAt(fake_.events.Now() + 1000, [&, buffers] {
      buffersPerDraw = (fake_.waveIn.BuffersFilled() - buffers) / (box.clears - 1);
      audio.StopRecord();
    });
  });
  fake_.events.PumpUntil([&] { return audio.waveInHandle() == 0; }, 5000);
  EXPECT_EQ(buffersPerDraw, 3u);

  ASSERT_EQ(firstDraw.size(), 52u);
  using Kind = sim::FormRecord::DrawOp::Kind;
  const double full = static_cast<float>(82 - 255 / (82 / 7.0));
  const auto& bar = firstDraw[0];
  EXPECT_EQ(bar.kind, Kind::kBox);
  EXPECT_EQ(bar.color, 0x00FFC0C0u);
  EXPECT_EQ(bar.x1, 51);
  EXPECT_EQ(bar.y1, 82);
  EXPECT_EQ(bar.x2, 54);
  EXPECT_DOUBLE_EQ(bar.y2, full);
  const auto& cap = firstDraw[1];
  EXPECT_EQ(cap.kind, Kind::kLine);
  EXPECT_EQ(cap.color, 0x00FF0000u);
  EXPECT_EQ(cap.x1, 51);
  EXPECT_EQ(cap.x2, 55);
  EXPECT_DOUBLE_EQ(cap.y1, full - 1);
  EXPECT_DOUBLE_EQ(firstDraw[2].y2, 82);  // a sample of 0: no bar, the cap one unit above
  EXPECT_DOUBLE_EQ(firstDraw[3].y1, 81);
  EXPECT_EQ(firstDraw[51].x2, 180);
}

TEST_F(AudioSession, FailuresEndInATraceLineNotAHang) {
  {
    fake_.files.Kill(App("R.wav"));
    Audio audio;
    audio.Record();
    EXPECT_EQ(NewTrace(), (Lines{"Audio Created!", "Audio.Record: Init",
                                 "Audio.Record} ERROR: Cannot find the specified file. Make sure "
                                 "the path and filename are correct."}));
    EXPECT_FALSE(audio.form().Visible());
    EXPECT_EQ(audio.waveInHandle(), 0u);
    fake_.files.PutFile(App("R.wav"), sim::MakeWav(sim::RecordingFormat(), ""));
  }
  {
    fake_.multimedia.SetCaptureAvailable(false);
    Audio audio;
    audio.Record(true);
    EXPECT_EQ(NewTrace().back(),
              "Audio.Record} ERROR: No wave input device is available for recording.");
    fake_.multimedia.SetCaptureAvailable(true);
  }
  {
    // The control cannot save: the wait for Temp.wav ends a few seconds after the save was due.
    fake_.multimedia.SetSaveFails(true);
    Audio audio;
    audio.Record();
    fake_.events.PostAt(fake_.events.Now() + 1000, [&] { audio.Record(); });
    const std::uint64_t stop = fake_.events.Now() + 1000;
    fake_.events.PumpUntil([&] { return !audio.form().Loaded(); }, 20000);
    const Lines trace = NewTrace();
    EXPECT_EQ(Lines(trace.end() - 3, trace.end()),
              (Lines{"Audio.Record: Saved Temp.Wav",
                     "frmAudio.tmEndRecordDelay_Timer} ERROR: The disk is full.",
                     "Audio.Record} ERROR: Temp.wav was not saved within 5 seconds; the recording "
                     "is lost."}));
    EXPECT_FALSE(audio.bFinishedRecording);
    EXPECT_LE(fake_.events.Now(), stop + 5700);
    fake_.multimedia.SetSaveFails(false);
  }
}

TEST_F(AudioSession, ALevelDeviceThatIsMissingOrStallsDoesNotStopTheRecording) {
  fake_.waveIn.SetDeviceAvailable(false);
  Audio audio;
  audio.Record();
  fake_.events.PostAt(1000, [&] { audio.Record(); });
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return audio.bFinishedRecording; }, 20000));
  Lines trace = NewTrace();
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "#"), 1);  // one pass, then the loop ends
  EXPECT_EQ(trace.back(), "Audio.Record: FinishedRecording");

  fake_.waveIn.SetDeviceAvailable(true);
  fake_.waveIn.SetStalled(true);
  audio.Record();
  const std::uint64_t start = fake_.events.Now();
  fake_.events.PostAt(start + 3000, [&] { audio.Record(); });
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return fake_.events.Now() > start + 3000; }, 20000));
  trace = NewTrace();
  EXPECT_NE(std::find(trace.begin(), trace.end(),
                      "Audio.CallBackLoop} ERROR: The wave input device delivered no sound for 1 "
                      "second."),
            trace.end());
  EXPECT_EQ(trace.back(), "Audio.Record: FinishedRecording");
}

TEST(ElapsedTime, CountsFromAFreshFormUpToHundredsOfMinutes) {
  sim::FakePlatform fake;
  frmAudio form;
  form.EnableSecondCounter(true);
  const auto at = [&](std::uint64_t seconds) {
    fake.events.PumpUntil([&] { return fake.events.Now() >= seconds * 1000; }, seconds * 1000);
    return form.lblTime();
  };
  EXPECT_EQ(at(1), "00:01");
  EXPECT_EQ(at(59), "00:59");
  EXPECT_EQ(at(60), "01:00");
  EXPECT_EQ(at(599), "09:59");
  EXPECT_EQ(at(600), "10:00");
  EXPECT_EQ(at(6000), "100:00");
  EXPECT_EQ(fake.forms.Last("Scope").labels["lblTime"], "100:00");

  form.Unload();  // a freshly loaded form starts over, whatever the counters held
  form.EnableSecondCounter(true);
  EXPECT_EQ(at(6001), "00:01");
}

}  // namespace
}  // namespace voxtrel
