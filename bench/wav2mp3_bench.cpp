// Prints how many times faster than real time the encoder turns 60 s of speech into MP3, at
// each rate the add-in uses. Figures only: it never fails on speed.
//
//   wav2mp3_bench [SPEECH.wav]     default: the espeak-ng sample made by the build

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "common/wav_format.h"
#include "mp3_encoder.h"
#include "wav_reader.h"

namespace {

using namespace voxtrel::wav2mp3;
namespace wav = voxtrel::wav;

constexpr double kSeconds = 60;
constexpr std::array<int, 4> kRates = {8000, 11025, 22050, 44100};
constexpr int kRuns = 3;

#ifdef VOXTREL_BENCH_SPEECH
constexpr const char* kDefaultSpeech = VOXTREL_BENCH_SPEECH;
#else
constexpr const char* kDefaultSpeech = "";
#endif

// The sample repeated up to kSeconds, as a 16-bit mono WAV in memory.
std::string SixtySeconds(const std::string& path, int& rate) {
  FileSource file(path);
  WavReader reader(file);
  rate = reader.format().sample_rate;
  std::vector<std::int16_t> speech(static_cast<std::size_t>(reader.frame_count()));
  speech.resize(reader.ReadMono(speech));
  if (speech.empty()) throw WavError("the speech sample is empty");
  const auto frames = static_cast<std::uint32_t>(kSeconds * rate);
  std::string samples;
  for (std::uint32_t i = 0; i < frames; ++i) {
    wav::PutLe(samples, static_cast<std::uint16_t>(speech[i % speech.size()]), 2);
  }
  return wav::File(wav::Pcm(1, static_cast<std::uint32_t>(rate), 16), samples);
}

double EncodeSeconds(const std::string& file, int rate, const std::string& out) {
  MemorySource source(wav::AsBytes(file));
  WavReader reader(source);
  OutputFile output(out);
  const auto start = std::chrono::steady_clock::now();
  EncodeMp3(reader, {rate, "Benchmark", true, true}, output);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string speech = argc > 1 ? argv[1] : kDefaultSpeech;
  if (speech.empty()) {
    std::fprintf(stderr, "usage: wav2mp3_bench SPEECH.wav (no espeak-ng sample was built)\n");
    return 2;
  }
  try {
    int input_rate = 0;
    const std::string file = SixtySeconds(speech, input_rate);
    const std::string out = (std::filesystem::temp_directory_path() / "wav2mp3_bench.mp3").string();
    std::printf("Wav2Mp3 encoder, %.0f s of speech (16-bit mono %d Hz), best of %d runs\n",
                kSeconds, input_rate, kRuns);
    for (const int rate : kRates) {
      double best = 1e9;
      for (int run = 0; run < kRuns; ++run) best = std::min(best, EncodeSeconds(file, rate, out));
      const auto bytes = std::filesystem::file_size(out);
      std::printf("  %5d Hz: %6.3f s  = %6.1fx real time  (%ju bytes of MP3)\n", rate, best,
                  kSeconds / best, static_cast<std::uintmax_t>(bytes));
    }
    std::filesystem::remove(out);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "wav2mp3_bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
