#include "sim/platform/fake_encoder.h"

#include "common/command_line.h"
#include "common/error.h"
#include "sim/platform/wav_bytes.h"

namespace voxtrel::sim {

FakeEncoder::FakeEncoder(FakePlatform& platform, const std::string& path) : platform_(platform) {
  platform_.shell.InstallProgram(
      path, [this](const std::string& commandLine) { return Start(commandLine); });
}

FakeShell::Run FakeEncoder::Start(const std::string& commandLine) {
  Call call;
  call.arguments = voxtrel::SplitCommandLine(commandLine);
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < call.arguments.size(); ++i) {
    const std::string& argument = call.arguments[i];
    if (argument == "-s" && i + 1 < call.arguments.size()) {
      call.rate = call.arguments[++i];
    } else if (argument == "--tt" && i + 1 < call.arguments.size()) {
      call.title = call.arguments[++i];
    } else if (argument == "-m" && i + 1 < call.arguments.size()) {
      ++i;
    } else if (argument.empty() || argument.front() != '-') {
      positional.push_back(argument);
    }
  }
  if (positional.size() == 2) {
    call.input = platform_.shell.LongPath(positional[0]);
    call.output = platform_.shell.LongPath(positional[1]);
  }
  calls_.push_back(call);

  FakeShell::Run run;
  run.durationMs = startMs;
  run.exitCode = 1;
  std::optional<WavInfo> wav;
  if (platform_.files.Exists(call.input)) wav = ReadWavInfo(platform_.files.Contents(call.input));
  if (!wav || call.output.empty() || wav->format.avgBytesPerSec == 0) return run;
  const std::uint64_t audioMs = std::uint64_t{wav->dataBytes} * 1000 / wav->format.avgBytesPerSec;
  if (writesNothing) {
    run.exitCode = 2;
    return run;
  }
  // Like Wav2Mp3, it writes beside the output and renames when done.
  const std::string part = call.output + ".part";
  try {
    platform_.files.WriteFile(part, "FAKE-MP3 partial");
  } catch (const Error&) {
    return run;
  }
  run.exitCode = 0;
  run.durationMs = hangs ? UINT64_C(1) << 40 : startMs + audioMs * msPerAudioSecond / 1000;
  run.atExit = [this, audioMs, call, part] {
    platform_.files.Kill(part);
    platform_.files.WriteFile(call.output, "FAKE-MP3 ms=" + std::to_string(audioMs) +
                                               " rate=" + call.rate + " title=" + call.title);
  };
  return run;
}

}  // namespace voxtrel::sim
