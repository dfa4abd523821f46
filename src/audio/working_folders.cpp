#include "audio/working_folders.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

#include "audio/audio.h"
#include "audio/mod_utils.h"
#include "common/error.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr int kMostWorkingFolders = 1000;
constexpr std::string_view kNamePrefix = "Voxtrel ";

std::string WorkingFolderName(std::uint32_t processId, int n) {
  return std::string(kNamePrefix) + std::to_string(processId) + "-" + std::to_string(n);
}

// The process whose working folder has this name, when it is exactly a name MakeWorkingFolder
// gives.
std::optional<std::uint32_t> ProcessOfWorkingFolder(std::string_view name) {
  if (!name.starts_with(kNamePrefix)) return std::nullopt;
  const char* const end = name.data() + name.size();
  std::uint32_t processId = 0;
  const auto [dash, idError] = std::from_chars(name.data() + kNamePrefix.size(), end, processId);
  if (idError != std::errc() || dash == end || *dash != '-') return std::nullopt;
  int n = 0;
  if (std::from_chars(dash + 1, end, n).ec != std::errc() || n < 1 || n > kMostWorkingFolders) {
    return std::nullopt;
  }
  // Our own spelling only: no leading zeros, nothing after the number.
  if (name != WorkingFolderName(processId, n)) return std::nullopt;
  return processId;
}

// Only a process that surely ended counts: none has the id, or it has exited.
bool HasEnded(std::uint32_t processId) noexcept {
  try {
    const auto process = platform::Current().shell.OpenProcess(processId);
    return !process || process->ExitCode() != platform::kStillActive;
  } catch (...) {
    return false;
  }
}

}  // namespace

std::string MakeWorkingFolder() {
  const platform::Services& ports = platform::Current();
  const std::string temp = ports.system.TempPath();
  const std::uint32_t processId = ports.system.ProcessId();
  for (int n = 1;; ++n) {
    const std::string candidate = temp + "\\" + WorkingFolderName(processId, n);
    try {
      ports.files.MkDir(candidate);
      return candidate;
    } catch (const Error&) {
      // Taken by another object, or left by an ended process that had the same id.
      if (n >= kMostWorkingFolders || !modUtils::FileExists(candidate)) throw;
    }
  }
}

void RemoveWorkingFolder(const std::string& folder) noexcept {
  try {
    const std::string message = folder + "\\" + Audio::kMessageFile;
    for (const std::string& file :
         {folder + "\\" + Audio::kTempWav, message, message + Audio::kEncoderPartSuffix}) {
      if (modUtils::FileExists(file)) platform::Current().files.Kill(file);
    }
    platform::Current().files.RmDir(folder);
  } catch (...) {
    // A folder in the temporary folder that stays behind harms nobody.
  }
}

void RemoveLeftWorkingFolders() noexcept {
  try {
    const platform::Services& ports = platform::Current();
    const std::string temp = ports.system.TempPath();
    const std::uint32_t self = ports.system.ProcessId();
    for (const std::string& name : ports.files.SubFolders(temp)) {
      const auto processId = ProcessOfWorkingFolder(name);
      if (processId && *processId != self && HasEnded(*processId)) {
        RemoveWorkingFolder(temp + "\\" + name);
      }
    }
  } catch (...) {
    // What could not be listed is tried again at the next connection.
  }
}

}  // namespace voxtrel
