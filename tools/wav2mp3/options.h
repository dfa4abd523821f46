#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace voxtrel::wav2mp3 {

// A command line the program cannot act on.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kUsage =
    "usage: Wav2Mp3 [-s RATE] [-m m] [-a] [--quiet] [--tt TITLE] [-p] [-o] INPUT.wav OUTPUT.mp3";

// LAME's option syntax, limited to what a voice message needs.
struct Options {
  int output_rate = 0;  // 0: LAME picks one from the input rate
  std::string title;
  bool crc = false;   // -p
  bool copy = false;  // -o: the "original" bit cleared
  bool quiet = false;
  bool help = false;
  std::string input;
  std::string output;
};

// Parses the arguments after the program name; throws UsageError.
Options ParseOptions(std::span<const std::string_view> args);

// LAME's reading of "-s": kHz or Hz ("11.025", "11025"), mapped to an MPEG rate; 0 when
// the text names none.
int ParseMpegRate(std::string_view text);

}  // namespace voxtrel::wav2mp3
