// A user's windowed session with the real recorder, level display, encoder and player under
// Wine: the harness feeds speech to the capture device.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <ranges>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "audio/mod_utils.h"
#include "host/mod_trace_write.h"
#include "host/registry.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel {
namespace {

constexpr std::uint64_t kPatienceMs = 120000;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

class RecordingSession : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = ports().system.AppPath();
    log_ = folder_ + "\\recording-session.log";
    Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "AQ",
                       classic::Variant("1"));
    modTraceWrite::TraceOpen(log_);
  }

  const platform::Services& ports() { return platform_.services(); }

  bool PumpUntil(const std::function<bool()>& done) {
    const std::uint64_t start = ports().events.TickCount();
    while (!done()) {
      if (ports().events.TickCount() - start > kPatienceMs) return false;
      ports().events.WaitForEvents(100);
      ports().events.DoEvents();
    }
    return true;
  }

  // A click the user makes `ms` from now, delivered by the event loop like a real one.
  std::unique_ptr<platform::ITimer> ClickAfter(std::uint32_t ms, std::function<void()> click) {
    auto self = std::make_shared<platform::ITimer*>(nullptr);
    auto timer = ports().events.CreateTimer([self, click] {
      (*self)->SetEnabled(false);  // one click only
      click();
    });
    *self = timer.get();
    timer->SetInterval(ms);
    timer->SetEnabled(true);
    return timer;
  }

  win32::Win32Platform platform_;
  std::string folder_;
  std::string log_;
  std::vector<std::unique_ptr<platform::ITimer>> clicks_;
};

TEST_F(RecordingSession, RecordStopAndPlayBackAVoiceMessage) {
  Audio audio;
  audio.Record();
  EXPECT_TRUE(audio.form().Visible());
  clicks_.push_back(ClickAfter(2500, [&] { audio.Record(); }));
  ASSERT_TRUE(PumpUntil([&] { return audio.bFinishedRecording; }));

  const std::string log = ReadFile(log_);
  std::vector<std::string> trace;
  for (const auto line : std::views::split(log, std::string_view("\r\n"))) {
    trace.emplace_back(line.begin(), line.end());
  }
  trace.pop_back();  // after the last line's end
  ASSERT_EQ(trace.size(), 12u) << log;
  EXPECT_TRUE(trace[0].starts_with("TraceWrite " + log_ + ", ")) << trace[0];
  // The encoder's command line ends in the working folder's paths, which are the machine's.
  const std::string shell =
      "SHELL: " + folder_ + "\\Wav2Mp3.exe -s 11025 -m m -a --quiet --tt \"\" -p -o ";
  EXPECT_TRUE(trace[8].starts_with(shell)) << trace[8];
  trace[8] = "SHELL";
  EXPECT_EQ(std::vector(trace.begin() + 1, trace.end()),
            (std::vector<std::string>{
                "Audio Created!", "Audio.Record: Init", "#", "Audio.Record: Init",
                "Audio.Record: Stopping", "Audio.Record: Saved Temp.Wav",
                "Audio.Record: Temp.Wav Exists", "SHELL", "Audio.SaveWaveFile: Voxtrel.mp3 Exists",
                "Audio.Record: Make MP3 (SaveWaveFile)", "Audio.Record: FinishedRecording"}));

  // How much of the 2.5 s the capture device delivered is the machine's: a figure only.
  std::printf("MP3 of a 2.5 s recording: %zu bytes\n", ReadFile(audio.fileName()).size());
  EXPECT_FALSE(modUtils::FileExists(audio.workingFile(Audio::kTempWav)));
  EXPECT_FALSE(audio.form().Loaded());

  int finished = 0;
  const auto connection = audio.finishedPlayingEvent.Connect([&] { ++finished; });
  audio.Play();
  EXPECT_FALSE(audio.bFinishedPlaying);
  ASSERT_TRUE(PumpUntil([&] { return finished > 0; }));
  clicks_.push_back(ClickAfter(1000, [] {}));
  PumpUntil([&] { return !clicks_.back()->Enabled(); });
  EXPECT_EQ(finished, 1);
  EXPECT_TRUE(audio.bFinishedPlaying);
  EXPECT_EQ(audio.waveInHandle(), 0u);
}

}  // namespace
}  // namespace voxtrel
