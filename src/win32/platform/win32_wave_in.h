#pragma once

#include <map>
#include <memory>

#include "platform/wave_in.h"

namespace voxtrel::win32 {

// winmm wave input. Each stream signals an event of its own (CALLBACK_EVENT), so waiting for
// a buffer blocks on the device. The device fills a real WAVEHDR kept per caller header,
// which lives as long as the stream may touch it; its flags and byte count are copied back
// to the caller's header at every call that takes it, and to queued headers at a reset.
class Win32WaveIn final : public platform::IWaveIn {
 public:
  Win32WaveIn();
  ~Win32WaveIn() override;
  Win32WaveIn(const Win32WaveIn&) = delete;
  Win32WaveIn& operator=(const Win32WaveIn&) = delete;

  std::uint32_t Open(platform::WaveInHandle* handle, std::uint32_t deviceId,
                     const platform::WaveFormat& format) override;
  std::uint32_t PrepareHeader(platform::WaveInHandle handle, platform::WaveHeader& header) override;
  std::uint32_t AddBuffer(platform::WaveInHandle handle, platform::WaveHeader& header) override;
  std::uint32_t Start(platform::WaveInHandle handle) override;
  std::uint32_t UnprepareHeader(platform::WaveInHandle handle,
                                platform::WaveHeader& header) override;
  std::uint32_t Reset(platform::WaveInHandle handle) override;
  std::uint32_t Close(platform::WaveInHandle handle) override;
  bool WaitForBuffer(platform::WaveInHandle handle, platform::WaveHeader& header,
                     std::uint32_t timeoutMs) override;

  class Stream;

 private:
  Stream* Find(platform::WaveInHandle handle);

  std::map<platform::WaveInHandle, std::unique_ptr<Stream>> streams_;
};

}  // namespace voxtrel::win32
