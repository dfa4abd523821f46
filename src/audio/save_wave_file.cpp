// Turning the saved recording into the MP3 file with the encoder program.
#include <string>

#include "audio/audio.h"
#include "audio/mod_utils.h"
#include "common/classic.h"
#include "common/command_line.h"
#include "common/error.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "host/registry.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

using modTraceWrite::TraceWrite;

constexpr int kRecordFailure = 110;
constexpr char kSource[] = "Audio.SaveWaveFile";
constexpr std::int64_t kSmallestWav = 47;
// The encoder runs many times faster than real time; this leaves room for a slow machine.
constexpr std::uint32_t kEncoderBaseWaitMs = 60000;
constexpr std::uint32_t kEncoderWaitMsPerKilobyte = 500;

std::string RateText(std::int16_t quality) {
  switch (quality) {
    case 0:
      return "8000";
    case 2:
      return "22050";
    case 3:
      return "44100";
    default:
      return "11025";
  }
}

std::uint32_t EncoderBound(std::int64_t wavBytes) {
  return kEncoderBaseWaitMs +
         static_cast<std::uint32_t>(std::min<std::int64_t>(wavBytes / 1024, 1 << 20)) *
             kEncoderWaitMsPerKilobyte;
}

// A stopped encoder leaves its unfinished output beside the message.
void RemoveUnfinishedMp3(const std::string& mp3) {
  const std::string part = mp3 + Audio::kEncoderPartSuffix;
  try {
    if (modUtils::FileExists(part)) platform::Current().files.Kill(part);
  } catch (const Error&) {
    // Still held by the ending process: the next run writes over it.
  }
}

}  // namespace

void Audio::SaveWaveFile(bool isStandAlone, const std::string& title) {
  TraceRecordErrors("Audio.SaveWaveFile } ERROR: ", [&] {
    const platform::Services& services = platform::Current();
    scopeForm->WClose();

    const std::int16_t quality =
        isStandAlone ? std::int16_t{1}
                     : classic::CInt(Registry::GetValue(platform::kHkeyCurrentUser,
                                                        Registry::kSettingsKey, "AQ"));
    const std::string rate = RateText(quality);

    const std::string folder = services.system.AppPath();
    const std::string temp = workingFile(kTempWav);
    if (!modUtils::FileExists(temp)) {
      throw Error(kRecordFailure, kSource, " General Record Failure, no Temp.wav created.");
    }
    const std::int64_t wavBytes = services.files.FileLen(temp);
    if (wavBytes < kSmallestWav) {
      throw Error(kRecordFailure, kSource, " General Record Failure, Temp.wav too small.");
    }
    // Only now: a recording that fails before the encoder keeps the previous message.
    if (modUtils::FileExists(mvarFileName)) services.files.Kill(mvarFileName);

    const std::string input =
        QuoteArgument(modUtils::GetShortPath(workingFolder(), isStandAlone) + "\\Temp.wav") + " ";
    const auto slash = mvarFileName.rfind('\\');
    const std::string mp3Folder =
        slash == std::string::npos ? std::string() : mvarFileName.substr(0, slash + 1);
    const std::string mp3Name = mvarFileName.substr(mp3Folder.size());
    const std::string output =
        QuoteArgument(modUtils::GetShortPath(mp3Folder, isStandAlone) + mp3Name);

    // Windows reads the command line only up to a NUL.
    const std::string tag = title.substr(0, title.find('\0'));
    const std::string options =
        " -s " + rate + " -m m -a --quiet --tt " + QuoteArgument(tag) + " -p -o ";
    TraceWrite("SHELL: " + folder + "\\Wav2Mp3.exe" + options + input + output);
    const std::string program = modUtils::GetShortPath(folder + "\\Wav2Mp3.exe", isStandAlone);
    modUtils::ShellAndWait(program, options + input + output, isStandAlone, *this,
                           EncoderBound(wavBytes));
    TraceWrite("Audio.SaveWaveFile: Voxtrel.mp3 Exists");
    if (!modUtils::FileExists(mvarFileName)) {
      RemoveUnfinishedMp3(mvarFileName);
      throw Error(kRecordFailure, kSource,
                  "The encoder made no MP3 file at " + mvarFileName + "; the recording is lost.");
    }
  });
}

}  // namespace voxtrel
