#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "sim/platform/fake_forms.h"
#include "sim/platform/fake_shell.h"
#include "sim/platform/memory_clipboard.h"
#include "sim/platform/memory_drawing.h"
#include "sim/platform/memory_file_system.h"
#include "sim/platform/memory_registry.h"
#include "sim/platform/virtual_event_loop.h"
#include "sim/platform/virtual_multimedia.h"
#include "sim/platform/virtual_wave_in.h"

namespace voxtrel::sim {

// A clock whose text the test sets.
class FixedClock final : public platform::IClock {
 public:
  std::string NowText() override { return text_; }
  void Set(std::string text) { text_ = std::move(text); }

 private:
  std::string text_ = "12/5/2026 10:38:34 AM";
};

class FixedSystemInfo final : public platform::ISystemInfo {
 public:
  // Windows 7 SP1, build 7601: what Wine reports by default.
  static constexpr std::uint32_t kWindows7 = (7601u << 16) | (1u << 8) | 6u;
  static constexpr char kAppPath[] = "C:\\Program Files\\Voxtrel";

  std::uint32_t WindowsVersion() override { return version_; }
  static constexpr char kTempPath[] = "C:\\Users\\Ann\\AppData\\Local\\Temp";

  std::string AppPath() override { return appPath_; }
  std::string TempPath() override { return kTempPath; }
  static constexpr std::uint32_t kProcessId = 4242;
  std::uint32_t ProcessId() override { return kProcessId; }
  // voxtrel.dll's version resource.
  platform::AppVersionInfo AppVersion() override { return {1, 2, 0}; }
  void Set(std::uint32_t version) { version_ = version; }
  void SetAppPath(std::string path) { appPath_ = std::move(path); }

 private:
  std::uint32_t version_ = kWindows7;
  std::string appPath_ = kAppPath;
};

// Every port's double, installed for the creating thread while it lives. The add-in's folder
// holds what an installation puts there: "R.wav" and "Wav2Mp3.exe".
class FakePlatform {
 public:
  FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  MemoryRegistry registry;
  MemoryFileSystem files;
  FixedClock clock;
  FixedSystemInfo system;
  VirtualEventLoop events;
  VirtualMultimedia multimedia{events, files};
  VirtualWaveIn waveIn{events};
  FakeForms forms;
  FakeShell shell{events, files};
  MemoryClipboard clipboard;
  MemoryDrawing drawing;

  std::string AppFile(std::string_view name) const;
  const platform::Services& services() const { return services_; }

 private:
  platform::Services services_{registry, files, clock, system,    events, multimedia,
                               waveIn,   forms, shell, clipboard, drawing};
  platform::ScopedServices scope_;
};

}  // namespace voxtrel::sim
