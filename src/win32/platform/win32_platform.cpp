#include "win32/platform/win32_platform.h"

#include "win32/platform/win32_clipboard.h"
#include "win32/platform/win32_clock.h"
#include "win32/platform/win32_drawing.h"
#include "win32/platform/win32_event_loop.h"
#include "win32/platform/win32_file_system.h"
#include "win32/platform/win32_forms.h"
#include "win32/platform/win32_multimedia.h"
#include "win32/platform/win32_registry.h"
#include "win32/platform/win32_shell.h"
#include "win32/platform/win32_wave_in.h"

namespace voxtrel::win32 {

struct Win32Platform::Ports {
  Win32Registry registry;
  Win32FileSystem files;
  Win32Clock clock;
  Win32SystemInfo system;
  Win32EventLoop events;
  Win32Multimedia multimedia;
  Win32WaveIn waveIn;
  Win32Forms forms;
  Win32Shell shell;
  Win32Clipboard clipboard;
  Win32Drawing drawing;
  platform::Services services{registry, files, clock, system,    events, multimedia,
                              waveIn,   forms, shell, clipboard, drawing};
};

Win32Platform::Win32Platform()
    : ports_(std::make_unique<Ports>()),
      scope_(std::make_unique<platform::ScopedServices>(ports_->services)) {}

Win32Platform::~Win32Platform() = default;

const platform::Services& Win32Platform::services() const {
  return ports_->services;
}

}  // namespace voxtrel::win32
