// The encoder program as the add-in runs it: a real process, its MP3 taken apart frame by frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/command_line.h"
#include "encoder/encoder_test_support.h"

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#endif

namespace voxtrel::test {
namespace {

// An MPEG audio layer III frame header: rate, mono, -p (a CRC), -o (original bit cleared).
struct Frame {
  int rate, samples;
  bool mono, crc, original;
  std::size_t size = 0;
};

std::optional<Frame> ReadFrame(const Bytes& b, std::size_t at) {
  if (at + 4 > b.size() || b[at] != 0xFF || (b[at + 1] & 0xE6) != 0xE2) return std::nullopt;
  const int version = b[at + 1] >> 3 & 3;  // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
  const int bitrate = b[at + 2] >> 4;
  const int rate = b[at + 2] >> 2 & 3;
  if (version == 1 || bitrate == 0 || bitrate == 15 || rate == 3) return std::nullopt;
  constexpr std::array<std::array<int, 15>, 2> kKbps = {
      {{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}};
  const int divisor = version == 3 ? 1 : version == 2 ? 2 : 4;
  Frame frame{std::array{44100, 48000, 32000}[rate] / divisor, version == 3 ? 1152 : 576,
              b[at + 3] >> 6 == 3, (b[at + 1] & 1) == 0, (b[at + 3] >> 2 & 1) != 0};
  frame.size = static_cast<std::size_t>(
      frame.samples / 8 * kKbps[version == 3][bitrate] * 1000 / frame.rate + (b[at + 2] >> 1 & 1));
  return frame;
}

bool StartsWith(const Bytes& bytes, std::size_t at, std::string_view text) {
  return at + text.size() <= bytes.size() && std::equal(text.begin(), text.end(), &bytes[at]);
}

// The frames fill the MP3 between its ID3v2 and ID3v1 tags exactly; each is mono at `rate`,
// with both -p and -o or neither. They hold the whole input: LAME's 576 samples of delay, the
// input, then at most a few frames of padding.
void ExpectFrames(const Bytes& mp3, int rate, bool addInFlags, double seconds) {
  std::size_t at = 0;
  if (mp3.size() >= 10 && StartsWith(mp3, 0, "ID3")) {  // its size in 4 x 7 bits
    at = 10 + (mp3[6] << 21 | mp3[7] << 14 | mp3[8] << 7 | mp3[9]);
  }
  const bool id3v1 = mp3.size() >= at + 128 && StartsWith(mp3, mp3.size() - 128, "TAG");
  const std::size_t end = mp3.size() - (id3v1 ? 128 : 0);
  int samples = 0;
  for (auto frame = ReadFrame(mp3, at); frame && at + frame->size <= end;
       frame = ReadFrame(mp3, at)) {
    ASSERT_EQ(frame->rate, rate);
    ASSERT_TRUE(frame->mono);
    ASSERT_EQ(frame->crc, addInFlags);
    ASSERT_EQ(frame->original, !addInFlags);
    samples += frame->samples;
    at += frame->size;
  }
  EXPECT_EQ(at, end) << "stray bytes after " << samples << " samples";
  const int input = static_cast<int>(seconds * rate);
  EXPECT_GE(samples, input + 576);
  EXPECT_LE(samples, input + 576 + 3 * (rate >= 32000 ? 1152 : 576));
}

// The ID3v2 title frame as LAME writes it: "TIT2", its size, no flags, Latin-1, the text.
bool HasTitle(const Bytes& mp3, const std::string& title) {
  Bytes frame = {'T', 'I', 'T', '2'};
  for (int shift = 24; shift >= 0; shift -= 8) {
    frame.push_back(static_cast<std::uint8_t>((title.size() + 1) >> shift));
  }
  frame.insert(frame.end(), 3, 0);
  frame.insert(frame.end(), title.begin(), title.end());
  return std::search(mp3.begin(), mp3.end(), frame.begin(), frame.end()) != mp3.end();
}

// Runs Wav2Mp3 with an argument string as the add-in passes it: under Windows as a real
// command line (the C runtime joins program and argument with one blank and quotes nothing);
// natively split as the C runtime does, with the output captured.
int RunLine(const std::string& arguments, std::optional<std::string>* output = nullptr) {
  std::string program = VOXTREL_WAV2MP3;
#ifdef _WIN32
  if (program.starts_with('/')) {  // Wine shows the host's root as drive Z:
    std::replace(program.begin(), program.end(), '/', '\\');
    program = "Z:" + program;
  }
  const std::string quoted = QuoteArgument(program);
  const char* const argv[] = {quoted.c_str(), arguments.c_str(), nullptr};
  std::fflush(nullptr);
  if (output != nullptr) output->reset();
  return static_cast<int>(_spawnv(_P_WAIT, program.c_str(), argv));
#else
  const auto shell = [](std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  };
  const TempDir capture;
  std::string command = shell(program);
  for (const auto& arg : SplitCommandLine(arguments)) command += " " + shell(arg);
  const int status = std::system((command + " >" + shell(capture.Str("out")) + " 2>&1").c_str());
  const Bytes out = ReadFile(capture / "out");
  if (output != nullptr) output->emplace(out.begin(), out.end());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
}

// Runs Wav2Mp3 with each argument quoted by QuoteArgument, as the add-in quotes them.
int Encode(const std::vector<std::string>& args, std::optional<std::string>* output = nullptr) {
  std::string line;
  for (const auto& arg : args) line += (line.empty() ? "" : " ") + QuoteArgument(arg);
  return RunLine(line, output);
}

std::vector<std::string> AddInArgs(int rate, const std::string& title, const TempDir& dir) {
  std::vector<std::string> args = {"-s", std::to_string(rate), "-m", "m", "-a", "--quiet"};
  args.insert(args.end(), {"--tt", title, "-p", "-o", dir.Str("in.wav"), dir.Str("out.mp3")});
  return args;
}

TEST(Wav2Mp3, EncodesEveryLayoutToMonoAtTheRequestedRate) {
  for (const auto& [layout, rate] :
       {std::pair{WavSpec{1, 11025, 16}, 11025}, std::pair{WavSpec{2, 22050, 8}, 44100},
        std::pair{WavSpec{1, 16000, 16, true, true}, 8000},
        std::pair{WavSpec{2, 48000, 16, true}, 11025}}) {
    SCOPED_TRACE(testing::Message()
                 << layout.channels << " ch " << layout.rate << " Hz to " << rate);
    const TempDir dir;
    WriteFile(dir / "in.wav", MakeWav(layout, static_cast<std::size_t>(layout.rate) * 3 / 2));
    ASSERT_EQ(Encode(AddInArgs(rate, "Tone", dir)), 0);
    ExpectFrames(ReadFile(dir / "out.mp3"), rate, true, 1.5);
  }
}

TEST(Wav2Mp3, TitlesAndOptionsCrossTheCommandLineIntact) {
  const TempDir dir;
  WriteFile(dir / "in.wav", MakeWav({2, 44100, 16}, 11025));
  for (const std::string& title :
       {std::string("Voice message"), std::string("say \"hi\""), std::string("\""),
        std::string("ends in two\\\\"), std::string("\\\"both\\\\\" "), std::string(" tab\t "),
        std::string("%TEMP% & | < > ^ *.mp3 ?"), std::string(200, 'x') + " long"}) {
    ASSERT_EQ(Encode(AddInArgs(11025, title, dir)), 0);
    EXPECT_TRUE(HasTitle(ReadFile(dir / "out.mp3"), title)) << title;
  }
  // The line as the add-in writes it: a leading blank, the title in plain quotes.
  std::optional<std::string> output;
  ASSERT_EQ(RunLine(" -s 22050 -m m -a --quiet --tt \"Voice note\" -p -o " + dir.Str("in.wav") +
                        " " + dir.Str("out.mp3"),
                    &output),
            0);
  EXPECT_TRUE(HasTitle(ReadFile(dir / "out.mp3"), "Voice note"));
  ExpectFrames(ReadFile(dir / "out.mp3"), 22050, true, 0.25);
  EXPECT_EQ(output.value_or(""), "");
  // Options in any order, a rate in kHz, no title, without -p and -o, not quiet.
  ASSERT_EQ(Encode({dir.Str("in.wav"), dir.Str("out.mp3"), "-s", "8"}, &output), 0);
  const Bytes plain = ReadFile(dir / "out.mp3");
  ExpectFrames(plain, 8000, false, 0.25);
  EXPECT_FALSE(StartsWith(plain, 0, "ID3")) << "a tag without a title";
  EXPECT_NE(output.value_or("told"), "") << "without --quiet it tells what it did";
}

TEST(Wav2Mp3, RefusesWithOneLineAndAnExitCodeLeavingNoMp3) {
  const TempDir dir;
  const std::string in = dir.Str("in.wav");
  const std::string out = dir.Str("out.mp3");
  const std::string valid = MakeWav({2, 11025, 16}, 2000);
  std::string noChannels = valid;
  noChannels[22] = 0;
  const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
      {"", {"--quiet", in, out}},       {"hello", {in, out}},
      {valid.substr(0, 30), {in, out}}, {noChannels, {in, out}},
      {valid, {"--bogus", in, out}},    {valid, {in}},
      {valid, {"-s", "1234", in, out}}, {valid, {in, dir.Str("missing/out.mp3")}},
      {valid, {in, dir.Str("")}},       {valid, {in, in}}};
  for (const auto& [input, args] : runs) {
    std::filesystem::remove(in);
    if (!input.empty()) WriteFile(in, input);
    std::optional<std::string> output;
    const int exitCode = Encode(args, &output);
    SCOPED_TRACE(testing::PrintToString(args) + " on " + std::to_string(input.size()) +
                 " bytes: " + output.value_or(""));
    EXPECT_TRUE(exitCode > 0 && exitCode < 128) << exitCode;
    EXPECT_FALSE(std::filesystem::exists(out));
    const Bytes after = ReadFile(in);
    EXPECT_EQ(std::string(after.begin(), after.end()), input) << "the input was changed";
    const std::string line = output.value_or("Wav2Mp3: \n");
    EXPECT_TRUE(line.starts_with("Wav2Mp3: ") && line.find('\n') == line.size() - 1);
  }
}

}  // namespace
}  // namespace voxtrel::test
