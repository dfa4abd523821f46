#include <gtest/gtest.h>

#include <vector>

#include "options.h"

namespace voxtrel::test {
namespace {

using wav2mp3::Options;
using wav2mp3::ParseMpegRate;

Options Parse(std::vector<std::string_view> args) {
  return wav2mp3::ParseOptions(args);
}

// Refusals are checked on the program itself (Wav2Mp3Refuses).
TEST(Wav2Mp3Options, TakesTheAddInsArgumentsInAnyOrder) {
  for (const auto& args : std::vector<std::vector<std::string_view>>{
           {"-s", "11025", "-m", "m", "-a", "--quiet", "--tt", "A -p title", "-p", "-o", "in.wav",
            "out.mp3"},
           {"in.wav", "-o", "--tt", "A -p title", "out.mp3", "-p", "--quiet", "-s", "11.025"}}) {
    const Options options = Parse(args);
    EXPECT_EQ(options.output_rate, 11025);
    EXPECT_EQ(options.title, "A -p title");
    EXPECT_TRUE(options.crc && options.copy && options.quiet);
    EXPECT_EQ(options.input, "in.wav");
    EXPECT_EQ(options.output, "out.mp3");
  }
  const Options bare = Parse({"in.wav", "out.mp3"});
  EXPECT_EQ(bare.output_rate, 0);
  EXPECT_FALSE(bare.crc || bare.copy || bare.quiet);
  EXPECT_EQ(Parse({"--tt", "-s", "a", "b"}).title, "-s");
}

TEST(Wav2Mp3Options, ReadsRatesAsLameDoes) {
  for (const char* text : {"8000", "8", "8.5"}) EXPECT_EQ(ParseMpegRate(text), 8000) << text;
  for (const char* text : {"11025", "11.025", "11000"}) EXPECT_EQ(ParseMpegRate(text), 11025);
  for (const char* text : {"22050", "22.05"}) EXPECT_EQ(ParseMpegRate(text), 22050) << text;
  for (const char* text : {"44100", "44.1"}) EXPECT_EQ(ParseMpegRate(text), 44100) << text;
  for (const char* text : {"7999", "1234", "", "abc", "44.1x", "-8000", "99999999999999999999"}) {
    EXPECT_EQ(ParseMpegRate(text), 0) << text;
  }
}

}  // namespace
}  // namespace voxtrel::test
