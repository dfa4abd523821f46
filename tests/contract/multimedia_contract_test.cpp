// The multimedia control as the audio form drives it: recording into the device element's
// format, saving, and playback whose end arrives as Done during the event pump. Natively
// against the virtual control, under Wine against wave input and MCI with a capture device.
// How much audio Wine captures or plays in real time is the machine's: durations are printed,
// and only what the control itself does is checked.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "common/error.h"
#include "contract/contract_platform.h"
#include "contract/wav_test_file.h"

namespace voxtrel {
namespace {

using platform::IMultimediaControl;

constexpr std::uint64_t kPatienceMs = 20000;

class MultimediaContract : public testing::Test {
 protected:
  void SetUp() override {
    platform_ = contract::MakeContractPlatform();
    control_ = services().multimedia.CreateControl();
    control_->SetDoneHandler([this](std::int16_t code) { done_.push_back(code); });
  }
  void TearDown() override { control_.reset(); }

  const platform::Services& services() { return platform_->services(); }
  platform::IEventLoop& loop() { return services().events; }
  std::string Scratch(const std::string& name) { return platform_->ScratchFolder() + "\\" + name; }
  std::string DeviceElement() { return services().system.AppPath() + "\\R.wav"; }

  bool PumpUntil(const std::function<bool()>& done) {
    return contract::PumpUntil(loop(), done, kPatienceMs);
  }
  void PumpFor(std::uint64_t ms) { contract::PumpFor(loop(), ms); }

  // The device type of a recording, or none for playback by the file's kind.
  void Open(const std::string& deviceType, const std::string& path) {
    control_->SetDeviceType(deviceType);
    control_->SetFileName(path);
    control_->Command("Open");
  }

  int ErrorNumberOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& error) {
      EXPECT_EQ(error.source(), "WaveMe");
      EXPECT_FALSE(error.description().empty());
      return error.number();
    }
    return 0;
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
  std::unique_ptr<IMultimediaControl> control_;
  std::vector<std::int16_t> done_;
};

// Recording stretches (paused, resumed, stopped, started again) append; Close discards.
TEST_F(MultimediaContract, ARecordingGoesThroughItsModesAndSavesInTheElementsFormat) {
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
  Open("WaveAudio", DeviceElement());
  std::uint64_t recorded = 0;
  const auto stretch = [&](const char* start, const char* end, std::int32_t endMode) {
    const std::uint64_t mark = loop().TickCount();
    control_->Command(start);
    EXPECT_EQ(control_->Mode(), platform::kMciModeRecord) << start;
    PumpFor(500);
    control_->Command(end);
    recorded += loop().TickCount() - mark;
    EXPECT_EQ(control_->Mode(), endMode) << end;
  };
  EXPECT_EQ(control_->Mode(), platform::kMciModeStop);
  stretch("Record", "Pause", platform::kMciModePause);
  PumpFor(500);
  stretch("Pause", "Stop", platform::kMciModeStop);
  stretch("Record", "Stop", platform::kMciModeStop);
  const std::string saved = Scratch("Temp.wav");
  control_->SetFileName(saved);
  control_->Command("Save");
  EXPECT_EQ(control_->Mode(), platform::kMciModeStop);

  const auto element = wav::Parse(wav::AsBytes(platform_->ReadFile(DeviceElement())));
  ASSERT_TRUE(element);
  const std::string bytes = platform_->ReadFile(saved);
  const auto wav = wav::Parse(wav::AsBytes(bytes));
  ASSERT_TRUE(wav) << "not a WAV file: " << bytes.size() << " bytes";
  EXPECT_EQ(wav->format, element->format);
  EXPECT_EQ(wav->riffSize, bytes.size() - 8);
  EXPECT_EQ(wav->dataOffset + wav->dataBytes, bytes.size());
  EXPECT_EQ(wav->dataBytes % wav->format.blockAlign, 0u);
  std::printf(
      "recorded %llu ms in three stretches, saved %llu ms\n",
      static_cast<unsigned long long>(recorded),
      static_cast<unsigned long long>(wav->dataBytes * 1000ull / wav->format.avgBytesPerSec));

  control_->Command("Record");
  PumpFor(100);
  control_->Command("Close");
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
  control_->SetFileName(Scratch("Gone.wav"));
  EXPECT_NE(ErrorNumberOf([&] { control_->Command("Save"); }), 0);  // nothing left to save
  EXPECT_TRUE(done_.empty());
}

TEST_F(MultimediaContract, CommandsThatCannotActChangeNothingOrFail) {
  for (const char* command : {"Pause", "Stop", "Close"}) control_->Command(command);
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
  control_->SetFileName(Scratch("Temp.wav"));
  for (const char* command : {"Record", "Play", "Save"}) {
    EXPECT_NE(ErrorNumberOf([&] { control_->Command(command); }), 0) << command;
  }
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
  Open("WaveAudio", DeviceElement());
  control_->Command("Pause");
  control_->Command("Stop");
  EXPECT_EQ(control_->Mode(), platform::kMciModeStop);
  EXPECT_EQ(ErrorNumberOf([&] { Open("WaveAudio", Scratch("missing\\R.wav")); }), 275);
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
  EXPECT_EQ(ErrorNumberOf([&] { Open("", Scratch("missing.wav")); }), 275);
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
}

// Long enough to be still playing after the first pumps on a loaded machine. Closing during
// playback raises no Done.
TEST_F(MultimediaContract, APausedPlaybackResumesAndEndsWithOneDoneDuringThePump) {
  const std::string path = Scratch("Tone.wav");
  platform_->WriteFile(path, testing_wav::ToneWav(11025, 2000));
  Open("", path);
  EXPECT_EQ(control_->Mode(), platform::kMciModeStop);
  const std::uint64_t start = loop().TickCount();
  control_->Command("PLAY");
  EXPECT_EQ(control_->Mode(), platform::kMciModePlay);
  PumpFor(150);
  control_->Command("Pause");
  EXPECT_EQ(control_->Mode(), platform::kMciModePause);
  PumpFor(600);
  EXPECT_TRUE(done_.empty());  // never from inside a command, nor while paused
  control_->Command("Pause");
  EXPECT_EQ(control_->Mode(), platform::kMciModePlay);
  ASSERT_TRUE(PumpUntil([&] { return !done_.empty(); }));
  std::printf("2000 ms played, 600 ms of it paused, in %llu ms\n",
              static_cast<unsigned long long>(loop().TickCount() - start));
  PumpFor(300);
  EXPECT_EQ(done_, std::vector<std::int16_t>{platform::kMciNotifySuccessful});
  EXPECT_EQ(control_->Mode(), platform::kMciModeStop);

  control_->Command("Close");
  Open("", path);
  control_->Command("Play");
  PumpFor(200);
  // Had a stalled machine let it end already, that Done came before the close.
  const std::vector<std::int16_t> beforeClose = done_;
  control_->Command("Close");
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
  PumpFor(1500);
  EXPECT_EQ(done_, beforeClose);
}

}  // namespace
}  // namespace voxtrel
