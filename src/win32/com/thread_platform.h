#pragma once

namespace voxtrel::win32::com {

// Installs the Win32 ports for the calling thread on its first call; they stay until the
// thread ends, since the core's windows and timers live on the thread, not on one object.
void EnsureThreadPlatform();

// Whether some thread still holds ports whose windows would call into this module.
bool ThreadPlatformsAlive();

}  // namespace voxtrel::win32::com
