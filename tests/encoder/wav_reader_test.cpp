// The encoder's WAV reader: every layout the add-in or another recorder may hand it, and
// any damaged file refused with its message, never a crash.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>

#include "common/wav_format.h"
#include "encoder/encoder_test_support.h"
#include "wav_reader.h"

namespace voxtrel::test {
namespace {

using wav2mp3::MemorySource;
using wav2mp3::WavError;
using wav2mp3::WavReader;

std::vector<std::int16_t> ReadAll(WavReader& reader) {
  std::vector<std::int16_t> samples;
  std::vector<std::int16_t> block(1000);
  while (const std::size_t frames = reader.ReadMono(block)) {
    samples.insert(samples.end(), block.begin(), block.begin() + static_cast<long>(frames));
  }
  return samples;
}

// The reader's message for a file it refuses; "read" when it takes it.
std::string Refusal(const std::string& wav) {
  MemorySource source(wav::AsBytes(wav));
  try {
    WavReader reader(source);
    return "read";
  } catch (const WavError& error) {
    return error.what();
  }
}

TEST(WavReader, ReadsEveryLayoutAsMonoSamples) {
  for (const WavSpec& layout :
       {WavSpec{1, 11025, 16}, WavSpec{2, 22050, 8}, WavSpec{2, 48000, 16, true},
        WavSpec{1, 12345, 8, true, true}, WavSpec{2, 1000, 16, false, true}}) {
    SCOPED_TRACE(testing::Message() << layout.channels << " ch, " << layout.bits << " bit, "
                                    << layout.rate << " Hz, extensible " << layout.extensible);
    const std::string file = MakeWav(layout, 2500);
    MemorySource source(wav::AsBytes(file));
    WavReader reader(source);
    const auto& format = reader.format();
    EXPECT_EQ(std::tuple(format.channels, format.sample_rate, format.bits_per_sample),
              std::tuple(layout.channels, layout.rate, layout.bits));
    const auto samples = ReadAll(reader);
    ASSERT_EQ(samples.size(), 2500U);
    ASSERT_EQ(reader.frame_count(), 2500U);
    for (std::size_t frame = 0; frame < samples.size(); ++frame) {
      const auto stored = [&](int channel) {
        const int value = Ramp(frame, channel);
        return layout.bits == 8 ? (value >> 8) * 256 : value;
      };
      const int mono = layout.channels == 1 ? stored(0) : (stored(0) + stored(1)) / 2;
      ASSERT_EQ(samples[frame], mono) << "frame " << frame;
    }
  }
  // A partial last frame is left out: 10 stereo frames and 3 bytes more.
  std::string partial = MakeWav({2, 8000, 16}, 10) + "\x01\x02\x03";
  MemorySource source(wav::AsBytes(partial.replace(40, 1, "\x2B")));
  WavReader reader(source);
  EXPECT_EQ(ReadAll(reader).size(), 10U);
}

TEST(WavReader, RefusesDamagedFilesWithTheirFault) {
  // One little-endian field of a plain 16-bit stereo file set (fmt fields from offset 20, the
  // data size at 40), or the file cut short.
  const std::string valid = MakeWav({2, 11025, 16}, 100);
  const struct {
    std::size_t offset;
    std::uint32_t value;
    int bytes;
    const char* message;
  } damages[] = {
      {0, 0x46464952 + 1, 4, "not a WAV file"},
      {8, 0, 4, "not a WAV file"},
      {12, 0x20746d67, 4, "no fmt chunk"},
      {16, 14, 4, "fmt chunk too short"},
      {16, 0xFFFFFFF0, 4, "fmt chunk is longer than the file"},
      {20, 3, 2, "WAV format 3 is not supported, only PCM"},
      {22, 0, 2, "0 channels: only mono or stereo is supported"},
      {22, 3, 2, "3 channels: only mono or stereo is supported"},
      {24, 0, 4, "sample rate 0 Hz is out of range"},
      {24, 0xFFFFFFFF, 4, "sample rate 4294967295 Hz is out of range"},
      {32, 3, 2, "block align 3 does not match the format"},
      {34, 24, 2, "24-bit samples: only 8 or 16 bit is supported"},
      {36, 0x61746164 + 1, 4, "no data chunk"},
      {40, 0xFFFFFFF0, 4, "data chunk is longer than the file"},
  };
  for (const auto& damage : damages) {
    std::string field;
    wav::PutLe(field, damage.value, damage.bytes);
    std::string file = valid;
    EXPECT_EQ(Refusal(file.replace(damage.offset, field.size(), field)), damage.message)
        << "offset " << damage.offset;
  }
  EXPECT_EQ(Refusal(valid.substr(0, 11)), "not a WAV file (too short)");
  EXPECT_EQ(Refusal(valid.substr(0, 12)), "no fmt chunk");
  EXPECT_EQ(Refusal(valid.substr(0, 30)), "fmt chunk is longer than the file");
  EXPECT_EQ(Refusal(valid.substr(0, 44)), "data chunk is longer than the file");
  std::string floats = MakeWav({1, 8000, 16, true}, 10);
  EXPECT_EQ(Refusal(floats.replace(44, 1, "\x03")), "only PCM WAV files are supported");
}

// Deterministic fuzzing: mutated valid files must be read with consistent results or be
// refused with WavError; anything else (another exception, a crash, a sanitizer report, a
// hang) fails.
TEST(WavReaderFuzz, MutatedFilesAreReadConsistentlyOrRefused) {
  const std::string seeds[] = {
      MakeWav({1, 11025, 16}, 300), MakeWav({2, 44100, 16, false, true}, 200),
      MakeWav({2, 8000, 8, true}, 300), MakeWav({1, 22050, 8, true, true}, 50)};
  constexpr std::uint32_t kInteresting[] = {
      0, 1, 2, 3, 8, 16, 40, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF0, 0xFFFFFFFF};
  std::mt19937 random(20240611);
  const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  int read = 0;
  for (int round = 0; round < 6000; ++round) {
    std::string file = seeds[pick(std::size(seeds))];
    for (std::size_t mutations = 1 + pick(4); mutations > 0 && file.size() >= 4; --mutations) {
      const std::size_t header = std::min<std::size_t>(file.size(), 96);
      std::string field;
      wav::PutLe(field, kInteresting[pick(std::size(kInteresting))], 4);
      switch (pick(4)) {
        case 0:
          file[pick(header)] ^= static_cast<char>(1U << pick(8));
          break;
        case 1:
          file.replace(pick(header - 3), 4, field);
          break;
        case 2:
          file.resize(pick(file.size() + 1));
          break;
        default:
          file.insert(pick(header), file.substr(0, pick(header)));
      }
    }
    MemorySource source(wav::AsBytes(file));
    try {
      WavReader reader(source);
      const auto& format = reader.format();
      ASSERT_TRUE(format.channels == 1 || format.channels == 2) << "round " << round;
      ASSERT_TRUE(format.bits_per_sample == 8 || format.bits_per_sample == 16);
      ASSERT_LE(reader.data_offset() + reader.frame_count() * format.frame_bytes(), file.size());
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
