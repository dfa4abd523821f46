// The encoder's output file: the MP3 appears at its path only once it is complete, so a run
// that is killed half-way never leaves a partial message there.
#include <gtest/gtest.h>

#include <filesystem>

#include "encoder/encoder_test_support.h"
#include "mp3_encoder.h"

namespace voxtrel::test {
namespace {

using voxtrel::wav2mp3::OutputFile;

std::size_t FilesIn(const TempDir& dir) {
  const auto entries = std::filesystem::directory_iterator(dir / "");
  return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

TEST(OutputFile, TheMp3AppearsOnlyWhenCompleteAndReplacesAnOlderOne) {
  const TempDir dir;
  {
    OutputFile output(dir.Str("out.mp3"));
    output.Write(Bytes{1, 2, 3});
  }
  EXPECT_EQ(FilesIn(dir), 0u) << "a file never closed leaves nothing behind";
  const Bytes frames = {0xFF, 0xFB, 0x90, 0x00};
  {
    OutputFile output(dir.Str("out.mp3"));
    output.Write(frames);
    // A kill at this point would leave nothing at the output path.
    EXPECT_FALSE(std::filesystem::exists(dir / "out.mp3"));
    output.Close();
  }
  EXPECT_EQ(ReadFile(dir / "out.mp3"), frames);

  OutputFile again(dir.Str("out.mp3"));
  again.Write(Bytes{1, 2, 3});
  EXPECT_EQ(ReadFile(dir / "out.mp3"), frames);
  again.Close();
  EXPECT_EQ(ReadFile(dir / "out.mp3"), (Bytes{1, 2, 3}));
  EXPECT_EQ(FilesIn(dir), 1u);
}

}  // namespace
}  // namespace voxtrel::test
