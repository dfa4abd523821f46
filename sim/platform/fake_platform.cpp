#include "sim/platform/fake_platform.h"

#include "sim/platform/wav_bytes.h"

namespace voxtrel::sim {

FakePlatform::FakePlatform() : scope_(services_) {
  files.AddFolder(system.AppPath());
  files.AddFolder(system.TempPath());
  files.PutFile(AppFile("R.wav"), MakeWav(RecordingFormat(), ""));
  files.PutFile(AppFile("Wav2Mp3.exe"), "MZ");
}

std::string FakePlatform::AppFile(std::string_view name) const {
  return FixedSystemInfo::kAppPath + std::string("\\") + std::string(name);
}

}  // namespace voxtrel::sim
