#pragma once

#include <cstdint>

namespace voxtrel::platform {

// WAVEFORMATEX.
struct WaveFormat {
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t samplesPerSec = 0;
  std::uint32_t avgBytesPerSec = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bitsPerSample = 0;
  std::uint16_t cbSize = 0;
};

// The fields of a WAVEHDR that the caller sets and reads. The buffer belongs to the caller
// and must outlive the header's time in the device's queue.
struct WaveHeader {
  std::uint8_t* data = nullptr;
  std::uint32_t bufferLength = 0;
  std::uint32_t bytesRecorded = 0;
  std::uint32_t flags = 0;
};

inline constexpr std::uint32_t kWhdrDone = 0x01;
inline constexpr std::uint32_t kWhdrPrepared = 0x02;
inline constexpr std::uint32_t kWhdrInQueue = 0x10;

// MMRESULT values.
inline constexpr std::uint32_t kMmsyserrNoError = 0;
inline constexpr std::uint32_t kMmsyserrBadDeviceId = 2;
inline constexpr std::uint32_t kMmsyserrAllocated = 4;
inline constexpr std::uint32_t kMmsyserrInvalidHandle = 5;
inline constexpr std::uint32_t kMmsyserrInvalidParam = 11;
inline constexpr std::uint32_t kWaverrStillPlaying = 33;
inline constexpr std::uint32_t kWaverrUnprepared = 34;

// A wave-input stream handle; 0 is none.
using WaveInHandle = std::uintptr_t;

// Wave input as winmm offers it, opened without a callback. Every call returns an MMRESULT;
// calls on handle 0 fail with kMmsyserrInvalidHandle. The implementation keeps `flags` and
// `bytesRecorded` of a header up to date at every call that takes the header.
class IWaveIn {
 public:
  virtual ~IWaveIn() = default;
  virtual std::uint32_t Open(WaveInHandle* handle, std::uint32_t deviceId,
                             const WaveFormat& format) = 0;
  virtual std::uint32_t PrepareHeader(WaveInHandle handle, WaveHeader& header) = 0;
  virtual std::uint32_t AddBuffer(WaveInHandle handle, WaveHeader& header) = 0;
  virtual std::uint32_t Start(WaveInHandle handle) = 0;
  virtual std::uint32_t UnprepareHeader(WaveInHandle handle, WaveHeader& header) = 0;
  virtual std::uint32_t Reset(WaveInHandle handle) = 0;
  virtual std::uint32_t Close(WaveInHandle handle) = 0;
  // Blocks, without pumping events and without spinning, until the device has filled the
  // header (kWhdrDone set) or `timeoutMs` passed. True when done. Returns false at once for
  // handle 0 or a header that is not in the device's queue.
  virtual bool WaitForBuffer(WaveInHandle handle, WaveHeader& header, std::uint32_t timeoutMs) = 0;
};

}  // namespace voxtrel::platform
