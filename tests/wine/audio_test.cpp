// Recording and playback with Wine's real audio: the harness feeds looping speech into a
// PulseAudio null sink whose monitor is the capture device. How much audio Wine delivers in
// real time is the machine's business and only printed; what the recorder makes of every
// buffer the device hands back is ours and checked byte for byte.
#include <gtest/gtest.h>

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

// A stop returns every queued buffer, most of them empty.
std::size_t WithAudio(const std::vector<DoneBuffers::Entry>& entries) {
  std::size_t count = 0;
  for (const auto& entry : entries) count += entry.bytes.empty() ? 0 : 1;
  return count;
}

std::string KeptBytes(const std::vector<DoneBuffers::Entry>& entries) {
  std::string kept;
  for (const auto& entry : entries) {
    if (entry.kept) kept += entry.bytes;
  }
  return kept;
}

// Equal, or where the two first differ: the whole of either is far too long to print.
testing::AssertionResult SameBytes(std::string_view saved, std::string_view handedBack) {
  if (saved == handedBack) return testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < saved.size() && at < handedBack.size() && saved[at] == handedBack[at]) ++at;
  return testing::AssertionFailure()
         << "the data chunk holds " << saved.size() << " bytes, the device handed back "
         << handedBack.size() << " while recording; they first differ at byte " << at;
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
    const std::uint64_t start = loop().TickCount();
    while (!done()) {
      if (loop().TickCount() - start > kPatienceMs) return false;
      loop().DoEvents();
      loop().WaitForEvents(10);
    }
    return true;
  }
  // Pumps until `count` more buffers came back than now.
  bool PumpForBuffers(std::size_t count) {
    const std::size_t target = buffers_.Count() + count;
    return PumpUntil([&] { return buffers_.Count() >= target; });
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

  // Saves to Temp.wav in the scratch folder, closes, and checks the file's frame; its data.
  std::string SaveAndRead() {
    const std::string saved = Scratch("Temp.wav");
    control_->SetFileName(saved);
    control_->Command("Save");
    control_->Command("Close");
    const auto element = testing_wav::ParseWav(platform_->ReadFile(AppFile("R.wav")));
    const std::string bytes = platform_->ReadFile(saved);
    const auto wav = testing_wav::ParseWav(bytes);
    if (!element || !wav) {
      ADD_FAILURE() << "not a WAV file: " << saved;
      return {};
    }
    EXPECT_TRUE(testing_wav::SameFormat(wav->format, element->format));
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
    PumpFor(300);
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

TEST_F(WineAudio, RecordsTheFedSpeechEvenWhileTheThreadIsBlocked) {
  Open("WaveAudio", AppFile("R.wav"));
  const std::uint64_t start = loop().TickCount();
  control_->Command("Record");
  ASSERT_EQ(control_->Mode(), platform::kMciModeRecord);
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  // The user-interface thread stalls without pumping. More buffers than were queued at the
  // start come back only if the capture's own thread queues them again meanwhile.
  const std::size_t queued = WaveCapture::kBufferCount;
  ASSERT_TRUE(buffers_.BlockUntil(buffers_.Count() + 2 * queued))
      << "capture stopped while the thread was blocked";
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  control_->Command("Stop");
  const std::uint64_t recordedMs = loop().TickCount() - start;
  const std::string data = SaveAndRead();

  const auto entries = buffers_.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_TRUE(entries[i].kept) << "buffer " << i << " dropped without a pause";
  }
  EXPECT_TRUE(SameBytes(data, KeptBytes(entries)));

  const double savedMs = Milliseconds(data.size());
  std::printf(
      "recorded for %llu ms: %zu buffers came back (%zu with audio), saved %.0f ms (real-time "
      "ratio %.2f), RMS %.4f of full scale\n",
      static_cast<unsigned long long>(recordedMs), entries.size(), WithAudio(entries), savedMs,
      recordedMs == 0 ? 0.0 : savedMs / static_cast<double>(recordedMs), testing_wav::Rms16(data));
}

TEST_F(WineAudio, KeepsWhatComesBackWhileRecordingAndAppendsAfterAStop) {
  Open("WaveAudio", AppFile("R.wav"));
  control_->Command("Record");
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
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
  const std::size_t firstStretch = buffers_.Count();
  control_->Command("Record");
  ASSERT_TRUE(PumpForBuffers(kFewBuffers));
  control_->Command("Stop");
  const std::string data = SaveAndRead();

  // A buffer may be on its way while a command flips the pause; the ones around it are
  // certain: kept before the pause, dropped during it, kept after it and in the next stretch.
  const auto entries = buffers_.Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE("buffer " + std::to_string(i));
    if (i < beforePause || i > afterResume) {
      EXPECT_TRUE(entries[i].kept);
    }
    if (i > afterPause && i < beforeResume) {
      EXPECT_FALSE(entries[i].kept);
    }
  }
  EXPECT_TRUE(SameBytes(data, KeptBytes(entries)));

  std::size_t dropped = 0;
  for (const auto& entry : entries) dropped += entry.kept ? 0 : entry.bytes.size();
  std::printf(
      "%zu buffers came back (%zu with audio, %zu in the second stretch): saved %.0f ms, "
      "dropped %.0f ms while paused\n",
      entries.size(), WithAudio(entries), entries.size() - firstStretch, Milliseconds(data.size()),
      Milliseconds(dropped));
}

TEST_F(WineAudio, PlaysAWavFileToItsEnd) {
  const std::string path = Scratch("Tone.wav");
  platform_->WriteFile(path, testing_wav::ToneWav(11025, 800));
  const std::uint64_t elapsed = PlayToTheEnd(path);
  std::printf("800 ms WAV: Done after %llu ms (real-time ratio %.2f)\n",
              static_cast<unsigned long long>(elapsed), static_cast<double>(elapsed) / 800.0);
}

TEST_F(WineAudio, PlaysAnMp3FileToItsEnd) {
  const std::string path = AppFile("wine_audio_tone.mp3");
  if (!std::filesystem::exists(path)) {
    GTEST_SKIP() << "no MP3: sox or lame was missing when the tests were built";
  }
  const std::uint64_t elapsed = PlayToTheEnd(path);
  std::printf("1500 ms MP3: Done after %llu ms (real-time ratio %.2f)\n",
              static_cast<unsigned long long>(elapsed), static_cast<double>(elapsed) / 1500.0);
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
