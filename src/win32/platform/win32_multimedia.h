#pragma once

#include "platform/multimedia.h"

namespace voxtrel::win32 {

// The multimedia control without the MCI control: recording through wave input on a worker
// thread of each control, playback through MCI with its end posted to a hidden window of the
// control. Create controls on the thread that pumps the events.
class Win32Multimedia final : public platform::IMultimedia {
 public:
  std::unique_ptr<platform::IMultimediaControl> CreateControl() override;
};

}  // namespace voxtrel::win32
