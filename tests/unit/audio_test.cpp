// Recording and playback sessions of the audio object on the virtual clock, checked line by
// line against the trace, the form, the control and the files.
#include <gtest/gtest.h>

#include "audio/audio.h"
#include "sim/platform/wav_bytes.h"
#include "unit/audio_test_support.h"

namespace voxtrel {
namespace {

using namespace std::string_literals;
using testing_support::AudioFixture;
using testing_support::Has;
using testing_support::Lines;

class AudioSession : public AudioFixture {
 protected:
  sim::FormRecord& Scope() { return fake_.forms.Last("Scope"); }
  // A form's state in a few words: "shown topmost at 300,40".
  static std::string State(const sim::FormRecord& form) {
    return std::string(!form.loaded   ? "unloaded"
                       : form.visible ? "shown"
                                      : "hidden") +
           (form.topmost ? " topmost" : "") + " at " + std::to_string(form.left) + "," +
           std::to_string(form.top);
  }
  std::string Shell(const std::string& title = "\"\"") {
    return "SHELL: C:\\Program Files\\Voxtrel\\Wav2Mp3.exe -s 11025 -m m -a --quiet --tt " + title +
           " -p -o \"C:\\Users\\Ann\\AppData\\Local\\Temp\\VOXTRE~1\\Temp.wav\" "
           "\"C:\\PROGRA~1\\Voxtrel\\Voxtrel.mp3\"";
  }
};

TEST_F(AudioSession, WindowedRecordingFromFirstClickToTheMp3) {
  encoder_.startMs = 2000;  // long enough for the progress window to animate
  {
    Audio audio;
    EXPECT_EQ(NewTrace(), Lines{"Audio Created!"});
    EXPECT_TRUE(audio.bFinishedPlaying && !audio.bFinishedRecording);
    std::int16_t x = 300;
    std::int16_t y = 40;
    audio.setFormVizPos(x, y, nullptr);  // the owner's place, next to its bar

    audio.Record();
    EXPECT_EQ(NewTrace(), Lines{"Audio.Record: Init"});
    EXPECT_EQ(State(Scope()), "shown topmost at 300,40");
    EXPECT_EQ(Scope().labels["lblTime"], "00:00");
    EXPECT_EQ(fake_.multimedia.Log(),
              (Lines{"Close", "Close", "Open " + App("R.wav") + " as WaveAudio", "Record"}));
    EXPECT_TRUE(audio.waveInHandle() != 0 && audio.bDirection);

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
    // The control stops 500 ms after the click is handled (the capture wait may hold the click
    // back up to a buffer), so those 500 ms are in the file too.
    EXPECT_NEAR(Mp3Length(App("Voxtrel.mp3")), 3525, 30);
    // The encoder is named apart from its command line, which starts with its path quoted.
    EXPECT_EQ(fake_.shell.Started().back().rfind("\"C:\\PROGRA~1\\Voxtrel\\Wav2Mp3.exe\"  -s ", 0),
              0u);
    EXPECT_FALSE(fake_.files.Exists(std::string(kWork) + "\\Temp.wav"));
    EXPECT_FALSE(Scope().loaded);
    EXPECT_EQ(fake_.waveIn.OpenStreams() + fake_.waveIn.DoubleQueueAttempts(), 0u);
    EXPECT_GT(Scope().pictures["scopeBox"].clears, 10);

    const auto& progress = fake_.forms.Last("Voxtrel");
    EXPECT_EQ(State(progress), "unloaded topmost at 300,40");
    EXPECT_GE(progress.refreshes, 3);  // animated while the encoder ran
    EXPECT_EQ(progress.labels.at("lblStat"), "Done");
    const Lines log = fake_.multimedia.Log();
    EXPECT_EQ(Lines(log.end() - 4, log.end()),
              (Lines{"Stop", "Save " + std::string(kWork) + "\\Temp.wav", "Close", "Close"}));
    EXPECT_TRUE(fake_.files.Exists(kWork));
  }
  EXPECT_FALSE(fake_.files.Exists(kWork));  // it goes with its object
}

TEST_F(AudioSession, StandaloneRecordingShowsNothingAndKeepsItsTitleUpToANul) {
  SetAq(classic::Variant("3"));  // ignored by scripts
  Audio audio;
  audio.Record(true, "Greeting for \"Bob\" \\ team\0and what a NUL cut off"s);
  fake_.events.AdvanceTo(2000);
  audio.Record(true);  // the default tag keeps the title given before
  EXPECT_EQ(
      NewTrace(),
      (Lines{"Audio Created!", "Audio.Record: Init", "Audio.Record: Init",
             "Audio.Record: Saved Temp.Wav", "Audio.Record: Temp.Wav Exists",
             Shell(R"("Greeting for \"Bob\" \ team")"), "Audio.SaveWaveFile: Voxtrel.mp3 Exists",
             "Audio.Record: Make MP3 (SaveWaveFile)", "Audio.Record: FinishedRecording"}));
  EXPECT_EQ(encoder_.Calls().back().title, "Greeting for \"Bob\" \\ team");
  EXPECT_NEAR(Mp3Length(App("Voxtrel.mp3")), 2510, 20);
  EXPECT_EQ(State(Scope()), "unloaded at 0,0");
  EXPECT_EQ(fake_.forms.LoadedCount("Voxtrel"), 0u);
  EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);  // the capture stream ends with the recording
}

TEST_F(AudioSession, TwoObjectsRecordAtOnceInFoldersOfTheirOwnThoughTheAddInFolderIsLocked) {
  fake_.files.SetReadOnlyFolder(sim::FixedSystemInfo::kAppPath);  // an administrator's install
  fake_.files.AddFolder("C:\\Users\\Ann\\Messages");
  const std::string second = "C:\\Users\\Ann\\AppData\\Local\\Temp\\Voxtrel 4242-2";
  {
    Audio one;
    Audio two;
    one.fileName("C:\\Users\\Ann\\Messages\\one.mp3");
    one.Record(true);
    two.fileName(two.workingFile(Audio::kMessageFile));  // where a mail window keeps it
    fake_.events.AdvanceTo(1000);
    two.Record(true);
    fake_.events.AdvanceTo(3000);
    one.Record(true);
    const std::uint64_t twoStops = fake_.events.Now() + 1000;
    fake_.events.AdvanceTo(twoStops);
    two.Record(true);
    EXPECT_NEAR(Mp3Length(one.fileName()), 3500, 20);
    EXPECT_EQ(two.fileName(), second + "\\Voxtrel.mp3");
    EXPECT_NEAR(Mp3Length(two.fileName()), static_cast<double>(twoStops + 500 - 1000), 20);
    fake_.files.PutFile(std::string(kWork) + "\\notes.txt", "not the recorder's");
  }
  // Each folder goes with its object, with nothing in it but what the recorder made there.
  EXPECT_FALSE(fake_.files.Exists(second));
  EXPECT_TRUE(fake_.files.Exists(std::string(kWork) + "\\notes.txt"));
  EXPECT_TRUE(fake_.files.Exists("C:\\Users\\Ann\\Messages\\one.mp3"));
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
  EXPECT_NEAR(Mp3Length(App("Voxtrel.mp3")), 1175 + 1535, 60);
}

TEST_F(AudioSession, EveryEndOfAPlaybackIsReportedOnce) {
  fake_.files.PutFile(App("Voxtrel.mp3"), "FAKE-MP3 ms=1500");
  Audio audio;
  int finished = 0;
  const auto connection = audio.finishedPlayingEvent.Connect([&] { ++finished; });

  audio.Play();
  EXPECT_FALSE(audio.bFinishedPlaying);
  EXPECT_TRUE(Scope().visible);
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return finished == 1; }, 10000));
  EXPECT_GE(fake_.events.Now(), 1500u);
  fake_.events.PumpUntil([] { return false; }, 3000);
  EXPECT_EQ(NewTrace(), (Lines{"Audio Created!", "#"}));

  audio.Play();
  const std::uint64_t start = fake_.events.Now();
  fake_.events.PostAt(start + 500, [&] { audio.Play(); });  // a second Play stops it
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return finished == 2; }, 10000));
  EXPECT_LT(fake_.events.Now(), start + 1500);

  // A device that fails or is aborted half-way ends the playback too. Were it not reported,
  // the capture loop would run on for ever: a deadline stops it so that the test can fail.
  fake_.events.PostAt(fake_.events.Now() + 8000, [&] {
    if (finished < 4) audio.StopRecord();
  });
  fake_.multimedia.SetPlaybackEnd(platform::kMciNotifyFailure);
  audio.Play();
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return finished == 3; }, 10000));
  fake_.multimedia.SetPlaybackEnd(platform::kMciNotifyAborted);
  audio.Play();
  EXPECT_FALSE(audio.bFinishedPlaying);  // the last end stopped it: this one starts again
  ASSERT_TRUE(fake_.events.PumpUntil([&] { return finished == 4; }, 10000));
  fake_.events.PumpUntil([] { return false; }, 3000);
  EXPECT_EQ(finished, 4);
  EXPECT_TRUE(audio.bFinishedPlaying);
  EXPECT_FALSE(Scope().loaded);
  EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);
}

TEST_F(AudioSession, PlayingAMissingFileRunsTheScopeAloneDrawingEveryThirdBuffer) {
  fake_.waveIn.SetPattern([](std::uint64_t, std::size_t index) -> std::uint8_t {
    return index == 55 ? 255 : index == 60 ? 0 : 128;
  });
  Audio audio;
  audio.Play();
  EXPECT_TRUE(audio.bFinishedPlaying);
  EXPECT_EQ(State(Scope()), "shown topmost at 0,0");
  EXPECT_EQ(fake_.multimedia.Log(), Lines{});
  const auto& box = Scope().pictures["scopeBox"];
  std::vector<sim::FormRecord::DrawOp> firstDraw;
  std::uint64_t buffersPerDraw = 0;
  // Looks at the box from inside the capture loop, then ends it.
  fake_.events.PostAt(60, [&] {
    ASSERT_EQ(box.clears, 1);  // the first pass draws
    firstDraw = box.ops;
    const std::uint64_t buffers = fake_.waveIn.BuffersFilled();
    fake_.events.PostAt(fake_.events.Now() + 1500, [&, buffers] {
      buffersPerDraw = (fake_.waveIn.BuffersFilled() - buffers) / (box.clears - 1);
      EXPECT_EQ(Scope().labels["lblTime"], "00:01");
      audio.Play();  // the control is idle: this starts again
      EXPECT_EQ(State(Scope()), "shown topmost at 0,0");
      audio.StopRecord();
    });
  });
  fake_.events.PumpUntil([&] { return audio.waveInHandle() == 0; }, 5000);
  EXPECT_EQ(buffersPerDraw, 3u);
  EXPECT_EQ(fake_.waveIn.DoubleQueueAttempts(), 0u);

  // 26 bars, each a light box standing on the bottom edge and a blue cap a unit above it.
  ASSERT_EQ(firstDraw.size(), 52u);
  using Kind = sim::FormRecord::DrawOp::Kind;
  const double full = static_cast<float>(82 - 255 / (82 / 7.0));
  const auto& bar = firstDraw[0];
  const auto& cap = firstDraw[1];
  EXPECT_EQ(std::tuple(bar.kind, bar.color, bar.x1, bar.y1, bar.x2),
            std::tuple(Kind::kBox, 0x00FFC0C0u, 51.0, 82.0, 54.0));
  EXPECT_DOUBLE_EQ(bar.y2, full);
  EXPECT_EQ(std::tuple(cap.kind, cap.color, cap.x1, cap.x2),
            std::tuple(Kind::kLine, 0x00FF0000u, 51.0, 55.0));
  EXPECT_DOUBLE_EQ(cap.y1, full - 1);
  EXPECT_DOUBLE_EQ(firstDraw[2].y2, 82);  // a sample of 0: no bar, the cap one unit above
  EXPECT_DOUBLE_EQ(firstDraw[3].y1, 81);
  EXPECT_EQ(firstDraw[51].x2, 180);
}

TEST_F(AudioSession, FailuresEndInATraceLineNotAHangAndPlaybackStillWorks) {
  fake_.files.Kill(App("R.wav"));
  Audio audio;
  audio.Record();
  EXPECT_EQ(NewTrace(), (Lines{"Audio Created!", "Audio.Record: Init",
                               "Audio.Record} ERROR: Cannot find the specified file. Make sure "
                               "the path and filename are correct."}));
  EXPECT_TRUE(!audio.form().Visible() && audio.waveInHandle() == 0);
  fake_.files.PutFile(App("R.wav"), sim::MakeWav(sim::RecordingFormat(), ""));
  fake_.multimedia.SetCaptureAvailable(false);
  audio.Record(true);
  EXPECT_EQ(NewTrace().back(),
            "Audio.Record} ERROR: No wave input device is available for recording.");
  fake_.multimedia.SetCaptureAvailable(true);

  // A failed start leaves nothing behind that would keep the message from playing.
  fake_.files.PutFile(App("Voxtrel.mp3"), "FAKE-MP3 ms=1000");
  fake_.multimedia.ClearLog();
  audio.Play(true);
  EXPECT_EQ(fake_.multimedia.Log(), (Lines{"Open " + App("Voxtrel.mp3"), "Play"}));
  EXPECT_FALSE(audio.bFinishedPlaying);
  EXPECT_TRUE(fake_.events.PumpUntil([&] { return audio.bFinishedPlaying; }, 5000));
  EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);

  // The control cannot save: the wait for Temp.wav ends a few seconds after the save was due.
  fake_.multimedia.SetSaveFails(true);
  const std::uint64_t stop = fake_.events.Now() + 1000;
  Lines trace = RecordWindowed(audio, 1000);
  EXPECT_EQ(Lines(trace.end() - 3, trace.end()),
            (Lines{"Audio.Record: Saved Temp.Wav",
                   "frmAudio.tmEndRecordDelay_Timer} ERROR: The disk is full.",
                   "Audio.Record} ERROR: Temp.wav was not saved within 5 seconds; the recording "
                   "is lost."}));
  EXPECT_FALSE(audio.bFinishedRecording);
  EXPECT_LE(fake_.events.Now(), stop + 5700);
  fake_.multimedia.SetSaveFails(false);

  // Without a level device the capture loop makes one pass; a stalled one ends it for good.
  fake_.waveIn.SetDeviceAvailable(false);
  trace = RecordWindowed(audio, 1000);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), "#"), 1);
  EXPECT_EQ(trace.back(), "Audio.Record: FinishedRecording");
  fake_.waveIn.SetDeviceAvailable(true);
  // A device held back for two seconds: the display waits, pumping, and goes on.
  const Lines smooth = RecordWindowed(audio, 4000);
  fake_.waveIn.SetStalled(true);
  fake_.events.PostAt(fake_.events.Now() + 2000, [&] { fake_.waveIn.SetStalled(false); });
  EXPECT_EQ(RecordWindowed(audio, 4000), smooth);
  fake_.waveIn.SetStalled(true);
  trace = RecordWindowed(audio, 7000);
  EXPECT_TRUE(Has(trace,
                  "Audio.CallBackLoop} ERROR: The wave input device delivered no sound for 5 "
                  "seconds."));
  EXPECT_EQ(trace.back(), "Audio.Record: FinishedRecording");
}

// Outlook's final release can come from inside the capture loop's pumps (a session's last line
// runs there): the owner abandons and drops the object, and the loop ends at once, recording or
// paused, with nothing saved, the device closed and no form left.
TEST_F(AudioSession, AnOwnerLettingGoInsideTheCaptureLoopEndsItUnsaved) {
  for (const bool paused : {false, true}) {
    SCOPED_TRACE(paused ? "paused" : "recording");
    auto audio = std::make_shared<Audio>();
    const std::uint64_t start = fake_.events.Now();
    audio->Record();
    if (paused) fake_.events.PostAt(start + 1000, [&] { audio->Pause(); });
    const std::uint64_t release = start + 1500;
    Lines before;
    fake_.events.PostAt(release, [&] {
      before = NewTrace();
      EXPECT_NE(audio->waveInHandle(), 0);
      audio->Abandon();
      audio.reset();
    });
    ASSERT_TRUE(fake_.events.PumpUntil([&] { return audio == nullptr; }, 10000));
    EXPECT_EQ(before, (Lines{"Audio Created!", "Audio.Record: Init", "#"}));
    EXPECT_EQ(NewTrace(), Lines{});
    EXPECT_LT(fake_.events.Now(), release + Audio::kBufferSliceMs);
    EXPECT_EQ(fake_.waveIn.OpenStreams(), 0u);
    EXPECT_EQ(fake_.multimedia.LiveControls(), 0u);
    EXPECT_FALSE(Scope().loaded);
    const Lines& log = fake_.multimedia.Log();
    EXPECT_EQ(log.back(), "Close");
    EXPECT_FALSE(std::any_of(log.begin(), log.end(), [](const std::string& command) {
      return command.starts_with("Save");
    }));
    EXPECT_FALSE(fake_.files.Exists(kWork));
    fake_.multimedia.ClearLog();
  }
}

// A recording nobody stops keeps its capture loop pumping for ever: the test's bounded pump ends
// the process with a message instead of spinning. A deadline far past the bound stops the
// recording, so that without the bound this fails instead of hanging.
TEST_F(AudioSession, ARecordingNobodyStopsEndsABoundedPumpInsteadOfHanging) {
  EXPECT_DEATH(
      {
        Audio audio;
        audio.Record();
        fake_.events.PostAt(60000, [&] { audio.StopRecord(); });
        fake_.events.PumpUntil([] { return false; }, 5000);
      },
      "pumps on past 5000 ms");
}

TEST(ElapsedTime, CountsFromAFreshFormUpToHundredsOfMinutes) {
  sim::FakePlatform fake;
  frmAudio form;
  form.EnableSecondCounter(true);
  const auto at = [&](std::uint64_t seconds) {
    fake.events.PumpUntil([&] { return fake.events.Now() >= seconds * 1000; }, seconds * 1000);
    return form.lblTime();
  };
  EXPECT_EQ((Lines{at(1), at(59), at(60), at(599), at(600), at(6000)}),
            (Lines{"00:01", "00:59", "01:00", "09:59", "10:00", "100:00"}));
  EXPECT_EQ(fake.forms.Last("Scope").labels["lblTime"], "100:00");

  form.Unload();  // a freshly loaded form starts over, whatever the counters held
  form.EnableSecondCounter(true);
  EXPECT_EQ(at(6001), "00:01");
}

}  // namespace
}  // namespace voxtrel
