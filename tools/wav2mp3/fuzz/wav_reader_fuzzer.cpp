// libFuzzer entry: any byte string must be read or refused with WavError, nothing else.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace voxtrel::wav2mp3;
  MemorySource source(std::as_bytes(std::span(data, size)));
  try {
    WavReader reader(source);
    std::vector<std::int16_t> samples(4096);
    std::uint64_t total = 0;
    while (const std::size_t frames = reader.ReadMono(samples)) total += frames;
    if (total != reader.frame_count()) __builtin_trap();
  } catch (const WavError&) {
  }
  return 0;
}
