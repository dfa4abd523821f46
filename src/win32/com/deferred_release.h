#pragma once

#include <memory>

#include "automation/voxtrel_inst.h"

namespace voxtrel::win32::com {

// Ends a core object on the thread's next pump of events instead of now: its last client let
// go while the core itself was on the stack, raising an event. Without a pump it ends with the
// thread's ports (thread_platform.cpp keeps them together).
void ReleaseWhenIdle(std::shared_ptr<voxtrel::VoxtrelInst> core) noexcept;

}  // namespace voxtrel::win32::com
