// Wav2Mp3: turns a recorded WAV file into the mono MP3 voice message, with LAME's options.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "mp3_encoder.h"
#include "options.h"
#include "wav_reader.h"

namespace {

using voxtrel::wav2mp3::Options;

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "Wav2Mp3: %s\n", message.c_str());
  return code;
}

// Writing over the input would truncate it before it is read. Best effort: on Windows,
// std::filesystem takes narrow paths as UTF-8, not in the ANSI code page argv uses.
bool SameFile(const std::string& input, const std::string& output) {
  try {
    std::error_code error;
    return std::filesystem::equivalent(input, output, error);
  } catch (const std::exception&) {
    return false;
  }
}

int Encode(const Options& options) {
  using namespace voxtrel::wav2mp3;
  FileSource source(options.input);
  WavReader reader(source);
  if (SameFile(options.input, options.output)) return Fail(kFailed, "output is the input file");
  OutputFile output(options.output);
  EncodeMp3(reader, {options.output_rate, options.title, options.crc, options.copy}, output);
  if (!options.quiet) {
    const auto& format = reader.format();
    std::printf("%s: %d Hz, %d channel(s), %d bit, %.1f s -> %s\n", options.input.c_str(),
                format.sample_rate, format.channels, format.bits_per_sample, reader.seconds(),
                options.output.c_str());
  }
  return std::fflush(stdout) == 0 ? 0 : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  Options options;
  try {
    options = voxtrel::wav2mp3::ParseOptions(args);
  } catch (const voxtrel::wav2mp3::UsageError& error) {
    return Fail(kBadUsage,
                std::string(error.what()) + " (" + std::string(voxtrel::wav2mp3::kUsage) + ")");
  }
  if (options.help) {
    std::printf("%s\n", voxtrel::wav2mp3::kUsage.data());
    return 0;
  }
  try {
    return Encode(options);
  } catch (const std::exception& error) {
    return Fail(kFailed, error.what());
  }
}
