#pragma once

#include <windows.h>

#include <mmsystem.h>

namespace voxtrel::win32 {

// Owns an open wave-input handle. Closing resets first: waveInClose refuses a device that
// still holds queued buffers, and a handle must never leak with the device claimed.
class UniqueWaveIn {
 public:
  UniqueWaveIn() = default;
  explicit UniqueWaveIn(HWAVEIN handle) : handle_(handle) {}
  ~UniqueWaveIn() { reset(); }
  UniqueWaveIn(UniqueWaveIn&& other) noexcept : handle_(other.release()) {}
  UniqueWaveIn& operator=(UniqueWaveIn&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueWaveIn(const UniqueWaveIn&) = delete;
  UniqueWaveIn& operator=(const UniqueWaveIn&) = delete;

  HWAVEIN get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  HWAVEIN release() {
    HWAVEIN handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset(HWAVEIN handle = nullptr) {
    if (handle_ != nullptr) {
      waveInReset(handle_);
      waveInClose(handle_);
    }
    handle_ = handle;
  }
  // Closes without resetting, as waveInClose does; keeps the handle when the device refuses.
  MMRESULT Close() {
    const MMRESULT result = waveInClose(handle_);
    if (result == MMSYSERR_NOERROR) handle_ = nullptr;
    return result;
  }

 private:
  HWAVEIN handle_ = nullptr;
};

}  // namespace voxtrel::win32
