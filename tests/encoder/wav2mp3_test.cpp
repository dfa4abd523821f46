// The encoder program as the add-in runs it: a real process, its MP3 taken apart and decoded.

#include <gtest/gtest.h>

#include <algorithm>

#include "encoder/encoder_test_support.h"
#include "wav_reader.h"

namespace voxtrel::test {
namespace {

std::vector<std::string> AddInArgs(int rate, const std::string& title, const TempDir& dir) {
  std::vector<std::string> args = {"-s", std::to_string(rate), "-m", "m", "-a", "--quiet"};
  args.insert(args.end(), {"--tt", title, "-p", "-o", dir.Str("in.wav"), dir.Str("out.mp3")});
  return args;
}

void ExpectFrames(const Mp3Info& info, int rate, bool crc, bool copy) {
  ASSERT_GT(info.frames.size(), 3U);
  EXPECT_TRUE(info.frames_fill_audio) << "stray bytes after frame " << info.frames.size();
  for (std::size_t i = 0; i < info.frames.size(); ++i) {
    const Mp3Frame& frame = info.frames[i];
    ASSERT_EQ(frame.sample_rate, rate) << "frame " << i;
    ASSERT_TRUE(frame.mono) << "frame " << i;
    ASSERT_EQ(frame.crc_present, crc) << "frame " << i;
    ASSERT_TRUE(!crc || frame.crc_valid) << "bad CRC in frame " << i;
    ASSERT_EQ(frame.original, !copy) << "frame " << i;
  }
}

DecodedMp3 DecodeChecked(const Bytes& mp3, int rate, double seconds) {
  DecodedMp3 decoded = DecodeMp3(InspectMp3(mp3).audio);
  EXPECT_EQ(decoded.channels, 1);
  EXPECT_EQ(decoded.sample_rate, rate);
  // LAME's info frame, with the exact padding, fits in a frame from 44100 Hz only; below, up
  // to one frame of padding stays.
  EXPECT_EQ(decoded.encoder_delay >= 0, rate == 44100);
  const double padding = decoded.encoder_delay >= 0 ? 0 : 576.0 / rate;
  EXPECT_NEAR(static_cast<double>(decoded.Signal().size()) / rate, seconds + padding / 2,
              seconds * 0.01 + padding / 2);
  return decoded;
}

struct EncodeCase {
  const char* name;
  WavSpec layout;
  int rate;
};

void PrintTo(const EncodeCase& param, std::ostream* out) {
  *out << param.name;
}

class Wav2Mp3Encodes : public testing::TestWithParam<EncodeCase> {};

TEST_P(Wav2Mp3Encodes, SineBecomesMonoMp3AtTheRequestedRate) {
  const auto& [name, layout, rate] = GetParam();
  constexpr double kSeconds = 3;
  const TempDir dir;
  WriteFile(dir / "in.wav", SineWav(layout, kSeconds));
  const RunResult run = RunWav2Mp3(AddInArgs(rate, "Sine", dir));
  ASSERT_EQ(run.exit_code, 0) << run.err;

  const Bytes mp3 = ReadFile(dir / "out.mp3");
  ExpectFrames(InspectMp3(mp3), rate, true, true);
  const DecodedMp3 decoded = DecodeChecked(mp3, rate, kSeconds);
  const auto signal = decoded.Signal();
  ASSERT_GT(signal.size(), static_cast<std::size_t>(rate));
  const auto middle = signal.subspan(static_cast<std::size_t>(rate / 4), signal.size() - rate / 2);
  EXPECT_NEAR(ZeroCrossingHz(middle, rate), kSineHz, kSineHz * 0.01);
  const double sine = ToneAmplitude(middle, rate, kSineHz);
  EXPECT_NEAR(sine, kSineAmplitude, kSineAmplitude * 0.2);
  // A stereo input's 1000 Hz tone cancels only in a true average of the channels.
  EXPECT_LT(ToneAmplitude(middle, rate, kSideHz), sine * 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, Wav2Mp3Encodes,
    testing::Values(EncodeCase{"Mono16At11025", {1, 11025, 16}, 11025},
                    EncodeCase{"Mono8At8000", {1, 8000, 8}, 8000},
                    EncodeCase{"Stereo16From44100To22050", {2, 44100, 16}, 22050},
                    EncodeCase{"Stereo8From22050To44100", {2, 22050, 8}, 44100},
                    EncodeCase{"ExtensibleMonoFrom16000To8000", {1, 16000, 16, true, true}, 8000},
                    EncodeCase{"ExtensibleStereoFrom48000To11025", {2, 48000, 16, true}, 11025}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(Wav2Mp3, SpeechKeepsItsLengthAndLoudness) {
#ifndef VOXTREL_SPEECH_WAV
  GTEST_SKIP() << "espeak-ng was not there when building: no speech sample";
#else
  const std::string speech = HostPath(VOXTREL_SPEECH_WAV);
  wav2mp3::FileSource source(speech);
  wav2mp3::WavReader reader(source);
  std::vector<std::int16_t> input(static_cast<std::size_t>(reader.frame_count()));
  input.resize(reader.ReadMono(input));
  const TempDir dir;
  for (const int rate : {8000, 22050}) {
    SCOPED_TRACE(rate);
    const RunResult run = RunWav2Mp3(
        {"-s", std::to_string(rate), "-m", "m", "--quiet", speech, dir.Str("speech.mp3")});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const DecodedMp3 decoded = DecodeChecked(ReadFile(dir / "speech.mp3"), rate, reader.seconds());
    EXPECT_NEAR(Rms(decoded.Signal()) / Rms(input), 1.0, 0.3);
  }
#endif
}

std::string Id3v1Title(const std::string& title) {
  std::string v1 = title.substr(0, 30);
  v1.erase(v1.find_last_not_of(' ') + 1);
  return v1;
}

TEST(Wav2Mp3, TitlesReachTheTagIntact) {
  const TempDir dir;
  WriteFile(dir / "in.wav", SineWav({1, 11025, 16}, 0.3));
  const std::string titles[] = {"Voice message",
                                "",
                                "say \"hi\"",
                                "\"",
                                "back\\slash",
                                "ends in\\",
                                "ends in two\\\\",
                                "\\\"both\\\\\" ",
                                " padded ",
                                "tab\tinside",
                                "*.mp3 ?",
                                "%TEMP% & | < > ^",
                                std::string(200, 'x') + " long"};
  for (const std::string& title : titles) {
    SCOPED_TRACE("title [" + title + "]");
    const RunResult run = RunWav2Mp3(AddInArgs(11025, title, dir));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Mp3Info info = InspectMp3(ReadFile(dir / "out.mp3"));
    EXPECT_EQ(info.id3v2_title, title);
    EXPECT_EQ(info.id3v1_title, Id3v1Title(title));
    EXPECT_EQ(info.has_id3v2, !title.empty());
  }
}

TEST(Wav2Mp3, AcceptsTheCommandLineTheAddInBuilds) {
  const TempDir dir;
  WriteFile(dir / "in.wav", SineWav({1, 11025, 16}, 1));
  for (const std::string title : {"\"Voice note\"", "\"\""}) {
    // A leading blank, the title in plain quotes, the input path ending in a blank.
    const RunResult run = RunWav2Mp3Line(" -s 22050 -m m -a --quiet --tt " + title + " -p -o " +
                                         dir.Str("in.wav") + " " + dir.Str("out.mp3"));
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const Mp3Info info = InspectMp3(ReadFile(dir / "out.mp3"));
    ExpectFrames(info, 22050, true, true);
    EXPECT_EQ(info.id3v2_title, title.substr(1, title.size() - 2));
  }
}

TEST(Wav2Mp3, WithoutPAndOFramesAreUnprotectedOriginals) {
  const TempDir dir;
  WriteFile(dir / "in.wav", SineWav({2, 44100, 16}, 1));
  const RunResult run = RunWav2Mp3({dir.Str("in.wav"), "--quiet", dir.Str("out.mp3"), "-s", "8"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const Mp3Info info = InspectMp3(ReadFile(dir / "out.mp3"));
  ExpectFrames(info, 8000, false, false);
  EXPECT_FALSE(info.has_id3v2 || info.has_id3v1);
}

#ifndef _WIN32
TEST(Wav2Mp3, QuietPrintsNothing) {
  const TempDir dir;
  WriteFile(dir / "in.wav", SineWav({1, 8000, 16}, 0.5));
  const RunResult quiet = RunWav2Mp3(AddInArgs(8000, "t", dir));
  EXPECT_EQ(quiet.exit_code, 0);
  EXPECT_EQ(quiet.out + quiet.err, "");
  const RunResult talkative = RunWav2Mp3({dir.Str("in.wav"), dir.Str("out.mp3")});
  EXPECT_EQ(talkative.exit_code, 0);
  EXPECT_NE(talkative.out, "");
  EXPECT_EQ(talkative.err, "");
}
#endif

// A bad run: an input file (none when empty) and arguments, where "IN" and "OUT" stand for
// the paths in the test's folder.
struct BadRun {
  const char* name;
  Bytes input;
  std::vector<std::string> args;
};

Bytes ValidWav() {
  return SineWav({2, 11025, 16}, 0.2);
}

Bytes Damaged(std::size_t offset, std::uint32_t value, int bytes) {
  Bytes wav = ValidWav();
  SetField(wav, offset, value, bytes);
  return wav;
}

Bytes Truncated(std::size_t size) {
  Bytes wav = ValidWav();
  wav.resize(size);
  return wav;
}

void PrintTo(const BadRun& param, std::ostream* out) {
  *out << param.name;
}

class Wav2Mp3Refuses : public testing::TestWithParam<BadRun> {};

TEST_P(Wav2Mp3Refuses, WithOneLineAndAnExitCode) {
  const BadRun& bad = GetParam();
  const TempDir dir;
  if (!bad.input.empty()) WriteFile(dir / "in.wav", bad.input);
  std::vector<std::string> args = bad.args;
  for (auto& arg : args) {
    if (arg == "IN") arg = dir.Str("in.wav");
    if (arg == "OUT") arg = dir.Str("out.mp3");
    if (arg == "NO_DIR") arg = dir.Str("missing/out.mp3");
    if (arg == "DIR") arg = dir.Str("");
  }
  const RunResult run = RunWav2Mp3(args);
  EXPECT_NE(run.exit_code, 0);
  EXPECT_LT(run.exit_code, 128) << "killed by a signal";
  EXPECT_FALSE(std::filesystem::exists(dir / "out.mp3"));
  if (!bad.input.empty()) {
    EXPECT_EQ(ReadFile(dir / "in.wav"), bad.input);
  }
  if (run.captured) {
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("Wav2Mp3: ")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.err.ends_with("\n")) << run.err;
  }
}

const std::vector<std::string> kInOut = {"--quiet", "IN", "OUT"};

INSTANTIATE_TEST_SUITE_P(
    Inputs, Wav2Mp3Refuses,
    testing::Values(
        BadRun{"MissingInput", {}, kInOut}, BadRun{"NotAWav", {'h', 'e', 'l', 'l', 'o'}, kInOut},
        BadRun{"Truncated", Truncated(30), kInOut}, BadRun{"NoChannels", Damaged(22, 0, 2), kInOut},
        BadRun{"NoSampleRate", Damaged(24, 0, 4), kInOut},
        BadRun{"DataLongerThanFile", Damaged(40, 0xFFFFFFF0, 4), kInOut},
        BadRun{"TwentyFourBit", Damaged(34, 24, 2), kInOut},
        BadRun{"UnknownOption", ValidWav(), {"--bogus", "IN", "OUT"}},
        BadRun{"NoArguments", ValidWav(), {}}, BadRun{"NoOutput", ValidWav(), {"-s", "8000", "IN"}},
        BadRun{"ThreeFiles", ValidWav(), {"IN", "OUT", "IN"}},
        BadRun{"TitleWithoutValue", ValidWav(), {"IN", "OUT", "--tt"}},
        BadRun{"BadRate", ValidWav(), {"-s", "1234", "IN", "OUT"}},
        BadRun{"StereoMode", ValidWav(), {"-m", "s", "IN", "OUT"}},
        BadRun{"OutputFolderMissing", ValidWav(), {"IN", "NO_DIR"}},
        BadRun{"OutputIsAFolder", ValidWav(), {"IN", "DIR"}},
        BadRun{"OutputIsTheInput", ValidWav(), {"IN", "IN"}}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace voxtrel::test
