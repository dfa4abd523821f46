#pragma once

#include <windows.h>

#include <mmsystem.h>

#include "win32/base/unique_handle.h"

namespace voxtrel::win32 {

// Resets first: waveInClose refuses a device that still holds queued buffers, and a handle must
// never leak with the device claimed.
inline void ResetAndCloseWaveIn(HWAVEIN handle) noexcept {
  waveInReset(handle);
  waveInClose(handle);
}

using UniqueWaveIn = UniqueAny<HWAVEIN, &ResetAndCloseWaveIn>;

// Closes without resetting, as waveInClose does; keeps the handle when the device refuses.
inline MMRESULT CloseWithoutReset(UniqueWaveIn& device) noexcept {
  const MMRESULT result = waveInClose(device.get());
  if (result == MMSYSERR_NOERROR) static_cast<void>(device.release());
  return result;
}

}  // namespace voxtrel::win32
