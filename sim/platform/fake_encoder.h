#pragma once

#include <string>
#include <vector>

#include "sim/platform/fake_platform.h"

namespace voxtrel::sim {

// Stands in for Wav2Mp3.exe: reads its arguments as the real encoder does and, when its input
// is a WAV file, leaves "FAKE-MP3 ms=<length> rate=<rate> title=<title>" at the output path.
class FakeEncoder {
 public:
  struct Call {
    std::vector<std::string> arguments;
    std::string rate;
    std::string title;
    std::string input;
    std::string output;
  };

  // Installs itself as the program at `path` of `platform`'s shell.
  FakeEncoder(FakePlatform& platform, const std::string& path);

  // Virtual run time: a fixed start plus a share of the audio's length.
  std::uint64_t startMs = 300;
  std::uint64_t msPerAudioSecond = 50;
  // A broken encoder: exits without writing, or never ends.
  bool writesNothing = false;
  bool hangs = false;

  const std::vector<Call>& Calls() const { return calls_; }

 private:
  FakeShell::Run Start(const std::string& commandLine);

  FakePlatform& platform_;
  std::vector<Call> calls_;
};

}  // namespace voxtrel::sim
