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

#include "mp3_encoder.h"
#include "wav_reader.h"

namespace {

using namespace voxtrel::wav2mp3;

constexpr double kSeconds = 60;
constexpr std::array<int, 4> kRates = {8000, 11025, 22050, 44100};
constexpr int kRuns = 3;

#ifdef VOXTREL_BENCH_SPEECH
constexpr const char* kDefaultSpeech = VOXTREL_BENCH_SPEECH;
#else
constexpr const char* kDefaultSpeech = "";
#endif

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The sample repeated up to kSeconds, as a 16-bit mono WAV in memory.
std::vector<std::uint8_t> SixtySeconds(const std::string& path, int& rate) {
  FileSource file(path);
  WavReader reader(file);
  rate = reader.format().sample_rate;
  std::vector<std::int16_t> speech(static_cast<std::size_t>(reader.frame_count()));
  speech.resize(reader.ReadMono(speech));
  if (speech.empty()) throw WavError("the speech sample is empty");
  const auto frames = static_cast<std::uint32_t>(kSeconds * rate);
  std::vector<std::uint8_t> wav;
  for (const char c : std::string("RIFF")) wav.push_back(static_cast<std::uint8_t>(c));
  PutLe(wav, 36 + 2 * frames, 4);
  for (const char c : std::string("WAVEfmt ")) wav.push_back(static_cast<std::uint8_t>(c));
  for (const std::uint32_t value : {16U, 1U, 1U}) PutLe(wav, value, value == 16 ? 4 : 2);
  PutLe(wav, static_cast<std::uint32_t>(rate), 4);
  PutLe(wav, static_cast<std::uint32_t>(rate) * 2, 4);
  PutLe(wav, 2, 2);
  PutLe(wav, 16, 2);
  for (const char c : std::string("data")) wav.push_back(static_cast<std::uint8_t>(c));
  PutLe(wav, 2 * frames, 4);
  for (std::uint32_t i = 0; i < frames; ++i) {
    PutLe(wav, static_cast<std::uint16_t>(speech[i % speech.size()]), 2);
  }
  return wav;
}

double EncodeSeconds(const std::vector<std::uint8_t>& wav, int rate, const std::string& out) {
  MemorySource source(std::as_bytes(std::span(wav)));
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
    const auto wav = SixtySeconds(speech, input_rate);
    const std::string out = (std::filesystem::temp_directory_path() / "wav2mp3_bench.mp3").string();
    std::printf("Wav2Mp3 encoder, %.0f s of speech (16-bit mono %d Hz), best of %d runs\n",
                kSeconds, input_rate, kRuns);
    for (const int rate : kRates) {
      double best = 1e9;
      for (int run = 0; run < kRuns; ++run) best = std::min(best, EncodeSeconds(wav, rate, out));
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
