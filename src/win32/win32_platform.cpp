#include "win32/win32_platform.h"

#include "win32/win32_clock.h"
#include "win32/win32_event_loop.h"
#include "win32/win32_file_system.h"
#include "win32/win32_registry.h"

namespace voxtrel::win32 {

struct Win32Platform::Ports {
  Win32Registry registry;
  Win32FileSystem files;
  Win32Clock clock;
  Win32SystemInfo system;
  Win32EventLoop events;
  platform::Services services{registry, files, clock, system, events};
};

Win32Platform::Win32Platform()
    : ports_(std::make_unique<Ports>()),
      scope_(std::make_unique<platform::ScopedServices>(ports_->services)) {}

Win32Platform::~Win32Platform() = default;

const platform::Services& Win32Platform::services() const {
  return ports_->services;
}

}  // namespace voxtrel::win32
