// How much of the user-interface thread the encoder wait takes: the processor time of the
// waiting thread as a share of the wait, for a minute of audio, with and without the progress
// window. Prints figures; never fails on speed. Runs under Wine: scripts/wine-harness.sh run
// build/windows/bin/encoder_wait_bench.exe
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <utility>

#include "audio/mod_utils.h"
#include "common/wav_format.h"
#include "host/mod_trace_write.h"
#include "win32/platform/win32_platform.h"
#include "win32/thread_times.h"

namespace {

using voxtrel::TopmostForm;

class FixedPlace final : public voxtrel::FormPositioner {
 public:
  void setFormVizPos(std::int16_t&, std::int16_t&, TopmostForm* f) override {
    if (f != nullptr) f->PlaceTopmost(100, 100);
  }
};

// A changing tone at 11025 Hz, 16-bit mono: what the recorder saves.
void WriteAudio(const std::string& path, std::uint32_t seconds) {
  constexpr std::uint32_t kRate = 11025;
  std::string samples;
  for (std::uint32_t i = 0; i < kRate * seconds; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double sample = 9000 * std::sin(2 * std::numbers::pi * (300 + 200 * std::sin(t)) * t);
    voxtrel::wav::PutLe(samples, static_cast<std::uint16_t>(std::lround(sample)), 2);
  }
  std::ofstream(path, std::ios::binary)
      << voxtrel::wav::File(voxtrel::wav::Pcm(1, kRate, 16), samples);
}

void Measure(const std::string& label, const std::string& rate, bool isStandAlone,
             const voxtrel::platform::Services& ports, const std::string& folder) {
  FixedPlace place;
  const std::string program = voxtrel::modUtils::GetShortPath(folder + "\\Wav2Mp3.exe");
  const std::string arguments = " -s " + rate + " -m m -a --quiet --tt \"bench\" -p -o " +
                                voxtrel::modUtils::GetShortPath(folder) + "\\bench.wav " +
                                voxtrel::modUtils::GetShortPath(folder) + "\\bench.mp3";
  const std::uint64_t cpuBefore = voxtrel::win32::testing::CurrentThreadCpuMicroseconds();
  const std::uint64_t start = ports.events.TickCount();
  voxtrel::modUtils::ShellAndWait(program, arguments, isStandAlone, place, 600000);
  const std::uint64_t waitMs = ports.events.TickCount() - start;
  const double cpuMs =
      static_cast<double>(voxtrel::win32::testing::CurrentThreadCpuMicroseconds() - cpuBefore) /
      1000.0;
  std::printf("%-40s wait %6llu ms, UI thread CPU %7.1f ms = %5.1f%% of the wait\n", label.c_str(),
              static_cast<unsigned long long>(waitMs), cpuMs,
              waitMs == 0 ? 0.0 : 100.0 * cpuMs / static_cast<double>(waitMs));
}

}  // namespace

int main() {
  voxtrel::win32::Win32Platform platform;
  const auto& ports = platform.services();
  const std::string folder = ports.system.AppPath();
  voxtrel::modTraceWrite::TraceOpen(folder + "\\encoder-wait-bench.log");
  std::printf("UI thread during the encoder wait (goal: at most 5%% of the wait)\n");
  // A minute as a user records it, and ten at the slowest rate for a wait long enough to
  // measure well (thread times tick in 10 to 16 ms steps).
  for (const auto& [seconds, rate] : {std::pair{60u, "11025"}, std::pair{600u, "44100"}}) {
    WriteAudio(folder + "\\bench.wav", seconds);
    const std::string audio = std::to_string(seconds) + " s to " + rate + " Hz, ";
    for (int run = 0; run < 2; ++run) {
      Measure(audio + "progress window", rate, false, ports, folder);
      Measure(audio + "standalone", rate, true, ports, folder);
    }
  }
  std::remove((folder + "\\bench.wav").c_str());
  std::remove((folder + "\\bench.mp3").c_str());
  std::printf("VOXTREL-TEST-END 0\n");
  return 0;
}
