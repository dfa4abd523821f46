#pragma once

#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/drawing.h"
#include "platform/event_loop.h"
#include "platform/file_system.h"
#include "platform/forms.h"
#include "platform/multimedia.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/wave_in.h"

namespace voxtrel::platform {

// The ports one thread's code runs against. The add-in's module-level routines (the trace
// log, the settings store) find them here, as they would find the Windows API.
struct Services {
  IRegistry& registry;
  IFileSystem& files;
  IClock& clock;
  ISystemInfo& system;
  IEventLoop& events;
  IMultimedia& multimedia;
  IWaveIn& waveIn;
  IForms& forms;
  IShell& shell;
  IClipboard& clipboard;
  IDrawing& drawing;
};

// The services installed for the calling thread; throws std::logic_error when none are.
const Services& Current();

// Installs services for the calling thread for its lifetime, restoring the previous ones.
class ScopedServices {
 public:
  explicit ScopedServices(const Services& services);
  ~ScopedServices();
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  const Services* previous_;
};

}  // namespace voxtrel::platform
