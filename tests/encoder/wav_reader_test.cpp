#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "encoder/encoder_test_support.h"
#include "wav_reader.h"

namespace voxtrel::test {
namespace {

using wav2mp3::MemorySource;
using wav2mp3::WavError;
using wav2mp3::WavReader;

// A ramp that differs per channel, so any mix-up of bytes, channels or frames shows.
int Ramp(std::size_t frame, int channel) {
  return static_cast<int>((frame * 997 + static_cast<std::size_t>(channel) * 12345) % 65536) -
         32768;
}

int Expected(const WavSpec& layout, std::size_t frame) {
  const auto stored = [&](int channel) {
    const int value = Ramp(frame, channel);
    return layout.bits == 8 ? (value >> 8) * 256 : value;
  };
  return layout.channels == 1 ? stored(0) : (stored(0) + stored(1)) / 2;
}

std::vector<std::int16_t> ReadAll(WavReader& reader) {
  std::vector<std::int16_t> samples;
  std::vector<std::int16_t> block(1000);
  while (const std::size_t frames = reader.ReadMono(block)) {
    samples.insert(samples.end(), block.begin(), block.begin() + static_cast<long>(frames));
  }
  return samples;
}

TEST(WavReader, ReadsEveryLayoutAsMonoSamples) {
  const WavSpec specs[] = {{1, 11025, 16},
                           {2, 44100, 16},
                           {1, 8000, 8},
                           {2, 22050, 8},
                           {2, 48000, 16, true},
                           {1, 12345, 8, true, true},
                           {2, 1000, 16, false, true}};
  for (const WavSpec& layout : specs) {
    SCOPED_TRACE(testing::Message() << layout.channels << " ch, " << layout.bits << " bit, "
                                    << layout.rate << " Hz, extensible " << layout.extensible);
    const Bytes wav = MakeWav(layout, 2500, Ramp);
    MemorySource source(std::as_bytes(std::span(wav)));
    WavReader reader(source);
    EXPECT_EQ(reader.format().channels, layout.channels);
    EXPECT_EQ(reader.format().sample_rate, layout.rate);
    EXPECT_EQ(reader.format().bits_per_sample, layout.bits);
    ASSERT_EQ(reader.frame_count(), 2500U);
    const auto samples = ReadAll(reader);
    ASSERT_EQ(samples.size(), 2500U);
    for (std::size_t frame = 0; frame < samples.size(); ++frame) {
      ASSERT_EQ(samples[frame], Expected(layout, frame)) << "frame " << frame;
    }
  }
}

TEST(WavReader, IgnoresAPartialLastFrame) {
  Bytes wav = MakeWav({2, 8000, 16}, 10, Ramp);
  wav.insert(wav.end(), {1, 2, 3});
  wav[40] += 3;  // data size
  MemorySource source(std::as_bytes(std::span(wav)));
  WavReader reader(source);
  EXPECT_EQ(reader.frame_count(), 10U);
  EXPECT_EQ(ReadAll(reader).size(), 10U);
}

// Each case sets one little-endian field of a valid 16-bit stereo file (plain header:
// fmt fields from offset 20, data size at 40).
struct Damage {
  const char* what;
  std::size_t offset;
  std::uint32_t value;
  int bytes;
};

TEST(WavReader, RefusesDamagedHeaders) {
  const Damage damages[] = {
      {"not RIFF", 0, 0x46464952 + 1, 4},
      {"not WAVE", 8, 0, 4},
      {"no fmt chunk", 12, 0x20746d67, 4},
      {"fmt too short", 16, 14, 4},
      {"fmt past the end", 16, 0xFFFFFFF0, 4},
      {"compressed", 20, 3, 2},
      {"0 channels", 22, 0, 2},
      {"3 channels", 22, 3, 2},
      {"0 Hz", 24, 0, 4},
      {"absurd rate", 24, 0xFFFFFFFF, 4},
      {"wrong block align", 32, 3, 2},
      {"24 bit", 34, 24, 2},
      {"0 bit", 34, 0, 2},
      {"no data chunk", 36, 0x61746164 + 1, 4},
      {"data longer than the file", 40, 0xFFFFFFF0, 4},
  };
  const Bytes valid = MakeWav({2, 11025, 16}, 100, Ramp);
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    Bytes wav = valid;
    SetField(wav, damage.offset, damage.value, damage.bytes);
    MemorySource source(std::as_bytes(std::span(wav)));
    EXPECT_THROW(WavReader{source}, WavError);
  }
  for (const std::size_t size : {0, 11, 12, 30, 44}) {
    MemorySource source(std::as_bytes(std::span(valid).first(size)));
    EXPECT_THROW(WavReader{source}, WavError) << "cut to " << size << " bytes";
  }
  Bytes float_subformat = MakeWav({1, 8000, 16, true}, 10, Ramp);
  float_subformat[44] = 3;  // SubFormat: IEEE float
  MemorySource source(std::as_bytes(std::span(float_subformat)));
  EXPECT_THROW(WavReader{source}, WavError);
}

// Deterministic fuzzing: mutated valid files must be read with consistent results or be
// refused with WavError; anything else (another exception, a crash, a sanitizer report, a
// hang) fails.
TEST(WavReaderFuzz, MutatedFilesAreReadConsistentlyOrRefused) {
  const std::vector<Bytes> seeds = {
      MakeWav({1, 11025, 16}, 300, Ramp), MakeWav({2, 44100, 16, false, true}, 200, Ramp),
      MakeWav({2, 8000, 8, true}, 300, Ramp), MakeWav({1, 22050, 8, true, true}, 50, Ramp)};
  constexpr std::uint32_t kInteresting[] = {0,          1,          2,          3,         8,
                                            16,         40,         0x7FFF,     0xFFFF,    0x10000,
                                            0x7FFFFFFF, 0x80000000, 0xFFFFFFF0, 0xFFFFFFFF};
  std::mt19937 random(20240611);
  const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  int read = 0;
  for (int round = 0; round < 6000; ++round) {
    Bytes wav = seeds[pick(seeds.size())];
    for (std::size_t mutations = 1 + pick(4); mutations > 0; --mutations) {
      const std::size_t header = std::min<std::size_t>(wav.size(), 96);
      switch (pick(5)) {
        case 0:
          wav[pick(header)] ^= static_cast<std::uint8_t>(1U << pick(8));
          break;
        case 1: {
          const std::size_t at = pick(header - 3);
          const std::uint32_t value = kInteresting[pick(std::size(kInteresting))];
          std::memcpy(&wav[at], &value, 4);  // the test machines are little-endian
          break;
        }
        case 2:
          wav.resize(pick(wav.size() + 1));
          break;
        case 3:
          wav[pick(wav.size())] = static_cast<std::uint8_t>(random());
          break;
        default: {
          const Bytes copy(wav.begin(), wav.begin() + static_cast<long>(pick(header)));
          wav.insert(wav.begin() + static_cast<long>(pick(header)), copy.begin(), copy.end());
        }
      }
      if (wav.size() < 4) break;
    }
    MemorySource source(std::as_bytes(std::span(wav)));
    try {
      WavReader reader(source);
      const auto& format = reader.format();
      ASSERT_TRUE(format.channels == 1 || format.channels == 2) << "round " << round;
      ASSERT_TRUE(format.bits_per_sample == 8 || format.bits_per_sample == 16);
      ASSERT_GE(format.sample_rate, wav2mp3::kMinSampleRate);
      ASSERT_LE(format.sample_rate, wav2mp3::kMaxSampleRate);
      ASSERT_LE(reader.data_offset() + reader.frame_count() * format.frame_bytes(), wav.size());
      ASSERT_EQ(ReadAll(reader).size(), reader.frame_count()) << "round " << round;
      ++read;
    } catch (const WavError& error) {
      ASSERT_GT(std::strlen(error.what()), 0U);
    }
  }
  // Both outcomes must be exercised, or the mutations are too mild or too wild.
  EXPECT_GT(read, 300);
  EXPECT_LT(read, 5700);
}

}  // namespace
}  // namespace voxtrel::test
