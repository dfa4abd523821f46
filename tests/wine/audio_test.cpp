// Recording and playback with Wine's real audio: the harness feeds looping speech into a
// PulseAudio null sink whose monitor is the capture device. How much audio Wine delivers in
// real time is the machine's business and only printed; what the recorder makes of every
// buffer the device hands back is ours and checked byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/error.h"
#include "contract/contract_platform.h"
#include "contract/wav_test_file.h"
#include "win32/audio/wave_capture.h"

namespace voxtrel {
namespace {

using win32::WaveCapture;

// Generous: a loaded machine delivers late, but it delivers.
constexpr std::uint64_t kPatienceMs = 60000;
// Buffers to see come back between two steps of a scenario: about a quarter second.
constexpr std::size_t kFewBuffers = 5;

// Every buffer the capture device hands back, as the recorder takes it in.
class DoneBuffers {
 public:
  struct Entry {
    std::string bytes;
    bool kept = false;
  };

  DoneBuffers() {
    WaveCapture::ObserveDoneBuffers([this](const WaveCapture::DoneBuffer& done) {
      const std::lock_guard lock(mutex_);
      entries_.push_back({std::string(done.bytes.begin(), done.bytes.end()), done.kept});
      arrived_.notify_all();
    });
  }
  ~DoneBuffers() { WaveCapture::ObserveDoneBuffers({}); }
  DoneBuffers(const DoneBuffers&) = delete;
  DoneBuffers& operator=(const DoneBuffers&) = delete;

  std::size_t Count() {
    const std::lock_guard lock(mutex_);
    return entries_.size();
  }
  // Blocks the calling thread, pumping nothing, until `count` buffers came back.
  bool BlockUntil(std::size_t count) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(kPatienceMs),
                             [&] { return entries_.size() >= count; });
  }
  std::vector<Entry> Entries() {
    const std::lock_guard lock(mutex_);
    return entries_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Entry> entries_;
};

std::string KeptBytes(const std::vector<DoneBuffers::Entry>& entries) {
  std::string kept;
  for (const auto& entry : entries) {
    if (entry.kept) kept += entry.bytes;
  }
  return kept;
}

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
    return contract::PumpUntil(loop(), done, kPatienceMs);
  }
  // Pumps until `count` more buffers came back than now.
  bool PumpForBuffers(std::size_t count) {
    const std::size_t target = buffers_.Count() + count;
    return PumpUntil([&] { return buffers_.Count() >= target; });
  }

  void Open(const std::string& deviceType, const std::string& path) {
    control_->SetDeviceType(deviceType);
    control_->SetFileName(path);
    control_->Command("Open");
  }

  // Saves to Temp.wav in the scratch folder, closes, and checks the file's frame; its data.
  std::string SaveAndRead() {
    const std::string saved = Scratch("Temp.wav");
    control_->SetFileName(saved);
    control_->Command("Save");
    control_->Command("Close");
    const auto element = wav::Parse(wav::AsBytes(platform_->ReadFile(AppFile("R.wav"))));
    const std::string bytes = platform_->ReadFile(saved);
    const auto wav = wav::Parse(wav::AsBytes(bytes));
    if (!element || !wav) {
      ADD_FAILURE() << "not a WAV file: " << saved;
      return {};
    }
    EXPECT_EQ(wav->format, element->format);
    EXPECT_EQ(wav->riffSize, bytes.size() - 8);
    EXPECT_EQ(wav->dataOffset + wav->dataBytes, bytes.size());
    avgBytesPerSec_ = wav->format.avgBytesPerSec;
    return bytes.substr(wav->dataOffset);
  }
  double Milliseconds(std::size_t bytes) const {
    return avgBytesPerSec_ == 0 ? 0.0 : 1000.0 * static_cast<double>(bytes) / avgBytesPerSec_;
  }

  // Plays `path` to its end; the milliseconds from Play to Done.
  std::uint64_t PlayToTheEnd(const std::string& path) {
    Open("", path);
    const std::uint64_t start = loop().TickCount();
    control_->Command("Play");
    EXPECT_TRUE(done_.empty()) << "Done from inside Play";
    EXPECT_EQ(control_->Mode(), platform::kMciModePlay);
    EXPECT_TRUE(PumpUntil([&] { return !done_.empty(); })) << "no Done for " << path;
    const std::uint64_t elapsed = loop().TickCount() - start;
    contract::PumpFor(loop(), 300);
    EXPECT_EQ(done_, std::vector<std::int16_t>{platform::kMciNotifySuccessful});
    EXPECT_EQ(control_->Mode(), platform::kMciModeStop);
    control_->Command("Close");
    return elapsed;
  }

  // Declared before the control: a capture still running when a test fails ends first.
  DoneBuffers buffers_;
  std::unique_ptr<contract::ContractPlatform> platform_;
  std::unique_ptr<platform::IMultimediaControl> control_;
  std::vector<std::int16_t> done_;
  std::uint32_t avgBytesPerSec_ = 0;
};

// Through a blocked thread, a pause and a stop followed by more recording, every buffer that
// comes back is kept or, while paused, dropped, and the saved data is the kept ones in order.
TEST_F(WineAudio, RecordsTheFedSpeechThroughABlockedThreadAPauseAndAStop) {
  Open("WaveAudio", AppFile("R.wav"));
  const std::uint64_t start = loop().TickCount();
  control_->Command("Record");
  ASSERT_EQ(control_->Mode(), platform::kMciModeRecord);
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  // The user-interface thread stalls without pumping. More buffers than were queued at the
  // start come back only if the capture's own thread queues them again meanwhile.
  ASSERT_TRUE(buffers_.BlockUntil(buffers_.Count() + 2 * WaveCapture::kBufferCount))
      << "capture stopped while the thread was blocked";
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  const std::uint64_t untilPause = loop().TickCount() - start;
  const std::size_t beforePause = buffers_.Count();
  control_->Command("Pause");
  EXPECT_EQ(control_->Mode(), platform::kMciModePause);
  const std::size_t afterPause = buffers_.Count();
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  const std::size_t beforeResume = buffers_.Count();
  control_->Command("Pause");
  EXPECT_EQ(control_->Mode(), platform::kMciModeRecord);
  const std::size_t afterResume = buffers_.Count();
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  control_->Command("Stop");
  EXPECT_EQ(control_->Mode(), platform::kMciModeStop);
  control_->Command("Record");
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  control_->Command("Stop");
  const std::string data = SaveAndRead();

  // A buffer may be on its way while a command flips the pause; the ones around it are
  // certain: kept before the pause, dropped during it, kept after it and in the next stretch.
  const auto entries = buffers_.Entries();
  std::size_t dropped = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_TRUE(entries[i].kept || (i >= beforePause && i <= afterResume)) << "buffer " << i;
    EXPECT_FALSE(entries[i].kept && i > afterPause && i < beforeResume) << "buffer " << i;
    dropped += entries[i].kept ? 0 : entries[i].bytes.size();
  }
  EXPECT_TRUE(data == KeptBytes(entries))
      << "the data chunk holds " << data.size() << " bytes, the kept buffers "
      << KeptBytes(entries).size();

  const double firstMs = Milliseconds(
      KeptBytes({entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(beforePause)})
          .size());
  std::printf(
      "%zu buffers came back (%td with audio, the rest empty at the stop): saved %.0f ms, dropped "
      "%.0f ms while paused; "
      "%.0f ms in the first %llu ms (real-time ratio %.2f)\n",
      entries.size(),
      std::ranges::count_if(entries, [](const auto& entry) { return !entry.bytes.empty(); }),
      Milliseconds(data.size()), Milliseconds(dropped), firstMs,
      static_cast<unsigned long long>(untilPause), firstMs / static_cast<double>(untilPause));
}

// WAV playback ends as the contract tests show; MP3 plays through MCI's mpegvideo.
TEST_F(WineAudio, PlaysAnMp3FileToItsEnd) {
  const std::string mp3 = AppFile("wine_audio_tone.mp3");
  if (!std::filesystem::exists(mp3)) {
    GTEST_SKIP() << "no MP3: sox or lame was missing when the tests were built";
  }
  const std::uint64_t elapsed = PlayToTheEnd(mp3);
  std::printf("1500 ms MP3: Done after %llu ms\n", static_cast<unsigned long long>(elapsed));
}

TEST_F(WineAudio, ADeviceElementMissingOrNotAWavFileIsAnErrorNotAHang) {
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
  const std::string notWav = Scratch("R.wav");
  platform_->WriteFile(notWav, "not a wave file");
  EXPECT_THROW(Open("WaveAudio", notWav), Error);
  EXPECT_EQ(control_->Mode(), platform::kMciModeNotReady);
}

}  // namespace
}  // namespace voxtrel
