// Recording and playback with Wine's real audio: the harness feeds looping speech into a
// PulseAudio null sink whose monitor is the capture device. Times come from the loop's tick
// count around the pumping; the saved recording must match them and must not be silence.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "common/error.h"
#include "contract/contract_platform.h"
#include "contract/wav_test_file.h"

namespace voxtrel {
namespace {

constexpr std::uint64_t kPatienceMs = 20000;

class WineAudio : public testing::Test {
 protected:
  void SetUp() override {
    platform_ = contract::MakeContractPlatform();
    control_ = services().multimedia.CreateControl();
    control_->SetDoneHandler([this](std::int16_t code) { done_.push_back(code); });
  }

  const platform::Services& services() { return platform_->services(); }
  platform::IEventLoop& loop() { return services().events; }
  std::string Scratch(const std::string& name) { return platform_->ScratchFolder() + "\\" + name; }
  std::string AppFile(const std::string& name) { return services().system.AppPath() + "\\" + name; }

  bool PumpUntil(const std::function<bool()>& done) {
    const std::uint64_t start = loop().TickCount();
    while (!done()) {
      if (loop().TickCount() - start > kPatienceMs) return false;
      loop().DoEvents();
      loop().WaitForEvents(10);
    }
    return true;
  }
  void PumpFor(std::uint64_t ms) {
    const std::uint64_t start = loop().TickCount();
    PumpUntil([&] { return loop().TickCount() - start >= ms; });
  }

  void Open(const std::string& deviceType, const std::string& path) {
    control_->SetDeviceType(deviceType);
    control_->SetFileName(path);
    control_->Command("Open");
  }

  // Plays `path` to its end; the milliseconds from Play to Done.
  std::uint64_t PlayToTheEnd(const std::string& path) {
    Open("", path);
    const std::uint64_t start = loop().TickCount();
    control_->Command("Play");
    EXPECT_EQ(control_->Mode(), platform::kMciModePlay);
    EXPECT_TRUE(PumpUntil([&] { return !done_.empty(); })) << "no Done for " << path;
    const std::uint64_t elapsed = loop().TickCount() - start;
    PumpFor(300);
    EXPECT_EQ(done_, std::vector<std::int16_t>{platform::kMciNotifySuccessful});
    EXPECT_EQ(control_->Mode(), platform::kMciModeStop);
    control_->Command("Close");
    return elapsed;
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
  std::unique_ptr<platform::IMultimediaControl> control_;
  std::vector<std::int16_t> done_;
};

TEST_F(WineAudio, RecordsTheFedSpeechEvenWhileTheThreadIsBlocked) {
  Open("WaveAudio", AppFile("R.wav"));
  const std::uint64_t beforeRecord = loop().TickCount();
  control_->Command("Record");
  const std::uint64_t afterRecord = loop().TickCount();
  ASSERT_EQ(control_->Mode(), platform::kMciModeRecord);
  PumpFor(1000);
  // The user-interface thread stalls without pumping; capture must go on regardless.
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  PumpFor(1000);
  const std::uint64_t beforeStop = loop().TickCount();
  control_->Command("Stop");
  const std::uint64_t afterStop = loop().TickCount();
  const std::string saved = Scratch("Temp.wav");
  control_->SetFileName(saved);
  const std::uint64_t beforeSave = loop().TickCount();
  control_->Command("Save");
  const std::uint64_t saveMs = loop().TickCount() - beforeSave;
  control_->Command("Close");

  const auto element = testing_wav::ParseWav(platform_->ReadFile(AppFile("R.wav")));
  ASSERT_TRUE(element);
  const std::string bytes = platform_->ReadFile(saved);
  const auto wav = testing_wav::ParseWav(bytes);
  ASSERT_TRUE(wav);
  EXPECT_TRUE(testing_wav::SameFormat(wav->format, element->format));
  EXPECT_EQ(wav->riffSize, bytes.size() - 8);
  ASSERT_EQ(wav->dataOffset + wav->dataBytes, bytes.size());

  const auto recordedMs =
      static_cast<double>((beforeStop + afterStop) - (beforeRecord + afterRecord)) / 2.0;
  const double dataMs = 1000.0 * wav->dataBytes / wav->format.avgBytesPerSec;
  const double rms = testing_wav::Rms16(std::string_view(bytes).substr(wav->dataOffset));
  std::printf(
      "recorded %.0f ms (Record took %llu ms, Stop %llu ms, Save %llu ms), saved %.0f ms "
      "(%+.1f%%), RMS %.4f of full scale\n",
      recordedMs, static_cast<unsigned long long>(afterRecord - beforeRecord),
      static_cast<unsigned long long>(afterStop - beforeStop),
      static_cast<unsigned long long>(saveMs), dataMs, 100.0 * (dataMs - recordedMs) / recordedMs,
      rms);
  EXPECT_NEAR(dataMs, recordedMs, recordedMs * 0.10);
  EXPECT_GT(rms, 0.01) << "the recording is silence";
}

TEST_F(WineAudio, PlaysAWavFileToItsEnd) {
  const std::string path = Scratch("Tone.wav");
  platform_->WriteFile(path, testing_wav::ToneWav(11025, 800));
  const std::uint64_t elapsed = PlayToTheEnd(path);
  std::printf("800 ms WAV: Done after %llu ms\n", static_cast<unsigned long long>(elapsed));
  EXPECT_GE(elapsed, 700u);
}

TEST_F(WineAudio, PlaysAnMp3FileToItsEnd) {
  const std::string path = AppFile("wine_audio_tone.mp3");
  if (!std::filesystem::exists(path)) {
    GTEST_SKIP() << "no MP3: sox or lame was missing when the tests were built";
  }
  const std::uint64_t elapsed = PlayToTheEnd(path);
  std::printf("1500 ms MP3: Done after %llu ms\n", static_cast<unsigned long long>(elapsed));
  EXPECT_GE(elapsed, 1200u);
}

TEST_F(WineAudio, AMissingDeviceElementIsAnErrorNotAHang) {
  const std::string missing = Scratch("gone") + "\\R.wav";
  try {
    Open("WaveAudio", missing);
    FAIL() << "opened a missing device element";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 275);
    EXPECT_EQ(error.source(), "WaveMe");
    EXPECT_NE(error.description().find(missing), std::string::npos) << error.description();
  }
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
  EXPECT_THROW(control_->Command("Record"), Error);
}

TEST_F(WineAudio, ADeviceElementThatIsNotAWavFileIsAnError) {
  const std::string path = Scratch("R.wav");
  platform_->WriteFile(path, "not a wave file");
  EXPECT_THROW(Open("WaveAudio", path), Error);
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
}

}  // namespace
}  // namespace voxtrel
