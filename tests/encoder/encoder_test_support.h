#pragma once

// Test helpers for the encoder: WAV files made to order, MP3 files taken apart and decoded,
// and the encoder program run as a real process.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace voxtrel::test {

using Bytes = std::vector<std::uint8_t>;

struct WavSpec {
  int channels = 1;
  int rate = 11025;
  int bits = 16;
  bool extensible = false;    // WAVE_FORMAT_EXTENSIBLE header
  bool extra_chunks = false;  // an odd-sized LIST chunk before fmt and a pad chunk before data
};

// A 16-bit sample value for each frame and channel; 8-bit files keep its high byte.
using SampleFn = std::function<int(std::size_t frame, int channel)>;

Bytes MakeWav(const WavSpec& layout, std::size_t frames, const SampleFn& sample);

// 440 Hz at 0.4 of full scale; a stereo file adds a 1000 Hz tone to the left channel and
// subtracts it from the right, so only a true average of the channels is a pure 440 Hz.
Bytes SineWav(const WavSpec& layout, double seconds);
inline constexpr double kSineHz = 440;
inline constexpr double kSideHz = 1000;
inline constexpr double kSineAmplitude = 0.4 * 32767;

// Overwrites a little-endian field of `bytes` count bytes wide.
void SetField(Bytes& bytes, std::size_t offset, std::uint32_t value, int count);

Bytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// A fresh folder for one test, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
  std::string Str(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// --- MP3 files ---

struct Mp3Frame {
  int sample_rate = 0;
  bool mono = false;
  bool crc_present = false;
  bool crc_valid = false;
  bool original = false;
};

struct Mp3Info {
  bool has_id3v2 = false;
  std::string id3v2_title;  // TIT2, Latin-1 bytes as stored
  bool has_id3v1 = false;
  std::string id3v1_title;  // blanks and NULs at the end removed
  std::vector<Mp3Frame> frames;
  bool frames_fill_audio = false;  // frames follow each other exactly up to the ID3v1 tag
  std::span<const std::uint8_t> audio;
};

Mp3Info InspectMp3(std::span<const std::uint8_t> bytes);

struct DecodedMp3 {
  int sample_rate = 0;
  int channels = 0;
  int encoder_delay = -1;  // from the LAME info frame, -1 without one
  int padding = -1;
  std::vector<std::int16_t> samples;  // first channel
  // The samples of the original signal: delay and padding cut off (the padding only when
  // an info frame tells it).
  std::span<const std::int16_t> Signal() const;
};

// Decodes with libmp3lame's own decoder (hip), available in both builds.
DecodedMp3 DecodeMp3(std::span<const std::uint8_t> audio);

// Amplitude of the `hz` component (Goertzel), in sample units.
double ToneAmplitude(std::span<const std::int16_t> samples, int rate, double hz);
// Frequency estimated from zero crossings.
double ZeroCrossingHz(std::span<const std::int16_t> samples, int rate);
double Rms(std::span<const std::int16_t> samples);

// --- The program ---

// How a Windows program splits its command line into arguments (the C runtime's rules).
std::vector<std::string> ParseWindowsArguments(std::string_view command_line);

struct RunResult {
  int exit_code = -1;
  bool captured = false;  // output is captured natively only
  std::string out;
  std::string err;
};

// Runs Wav2Mp3 with an argument string as the add-in passes it: under Windows as a real
// command line; natively split by ParseWindowsArguments.
RunResult RunWav2Mp3Line(const std::string& arguments);
// Runs Wav2Mp3 with each argument quoted by QuoteArgument.
RunResult RunWav2Mp3(const std::vector<std::string>& args);

// A file the build made on the host, as this program sees it.
std::string HostPath(const char* path);

}  // namespace voxtrel::test
