#pragma once

namespace voxtrel::win32::com {

// Installs the Win32 ports for the calling thread on its first call; they stay until
// ReleaseThreadPlatform, since the core's windows and timers live on the thread, not on one
// object. A thread that ends with them leaves them to the system: nothing of ours is torn down
// under the loader lock.
void EnsureThreadPlatform();

// Ends the calling thread's ports and the cores waiting to end on them. Call it only where no
// code of this module is on the stack (DllCanUnloadNow).
void ReleaseThreadPlatform() noexcept;

// Whether some thread still holds ports whose windows would call into this module.
bool ThreadPlatformsAlive();

}  // namespace voxtrel::win32::com
