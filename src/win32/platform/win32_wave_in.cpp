#include "win32/platform/win32_wave_in.h"

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <utility>
#include <vector>

#include "win32/audio/unique_wave_in.h"
#include "win32/base/unique_handle.h"

namespace voxtrel::win32 {
namespace {

using platform::WaveHeader;

// The device thread writes the header while the caller reads it.
DWORD LoadFlags(WAVEHDR& header) {
  return std::atomic_ref<DWORD>(header.dwFlags).load(std::memory_order_acquire);
}

void CopyBack(WAVEHDR& from, WaveHeader& to) {
  to.flags = LoadFlags(from);
  to.bytesRecorded = std::atomic_ref<DWORD>(from.dwBytesRecorded).load(std::memory_order_relaxed);
}

WAVEFORMATEX ToWaveFormatEx(const platform::WaveFormat& format) {
  WAVEFORMATEX result{};
  result.wFormatTag = format.formatTag;
  result.nChannels = format.channels;
  result.nSamplesPerSec = format.samplesPerSec;
  result.nAvgBytesPerSec = format.avgBytesPerSec;
  result.nBlockAlign = format.blockAlign;
  result.wBitsPerSample = format.bitsPerSample;
  result.cbSize = 0;  // PCM carries no extra bytes, and none follow this struct
  return result;
}

platform::WaveInHandle ToPortHandle(HWAVEIN handle) {
  return reinterpret_cast<platform::WaveInHandle>(handle);
}

}  // namespace

// One open device with its completion event and the WAVEHDRs it may write to.
class Win32WaveIn::Stream {
 public:
  Stream(UniqueHandle event, UniqueWaveIn device)
      : event_(std::move(event)), device_(std::move(device)) {}

  ~Stream() {
    // Return every buffer, then release the headers before the handle goes.
    waveInReset(device_.get());
    for (auto& [owner, header] : headers_) {
      if ((LoadFlags(*header) & WHDR_PREPARED) != 0) {
        waveInUnprepareHeader(device_.get(), header.get(), sizeof(WAVEHDR));
      }
    }
  }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  HWAVEIN device() const { return device_.get(); }
  HANDLE event() const { return event_.get(); }
  MMRESULT Close() { return CloseWithoutReset(device_); }

  WAVEHDR* Find(const WaveHeader& owner) {
    const auto found = headers_.find(&owner);
    return found == headers_.end() ? nullptr : found->second.get();
  }
  WAVEHDR& FindOrAdd(const WaveHeader& owner) {
    auto& header = headers_[&owner];
    if (!header) header = std::make_unique<WAVEHDR>();
    return *header;
  }
  void Forget(const WaveHeader& owner) { headers_.erase(&owner); }

  // The caller headers the device holds now: a reset hands them back.
  std::vector<std::pair<WaveHeader*, WAVEHDR*>> Queued() {
    std::vector<std::pair<WaveHeader*, WAVEHDR*>> queued;
    for (auto& [owner, header] : headers_) {
      if ((LoadFlags(*header) & WHDR_INQUEUE) != 0) {
        queued.emplace_back(const_cast<WaveHeader*>(owner), header.get());
      }
    }
    return queued;
  }

 private:
  // Declared before the device, so they outlive its close.
  std::map<const WaveHeader*, std::unique_ptr<WAVEHDR>> headers_;
  UniqueHandle event_;
  UniqueWaveIn device_;
};

Win32WaveIn::Win32WaveIn() = default;
Win32WaveIn::~Win32WaveIn() = default;

Win32WaveIn::Stream* Win32WaveIn::Find(platform::WaveInHandle handle) {
  const auto found = streams_.find(handle);
  return found == streams_.end() ? nullptr : found->second.get();
}

std::uint32_t Win32WaveIn::Open(platform::WaveInHandle* handle, std::uint32_t deviceId,
                                const platform::WaveFormat& format) {
  if (handle == nullptr) return MMSYSERR_INVALPARAM;
  *handle = 0;
  UniqueHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!event) return MMSYSERR_NOMEM;
  const WAVEFORMATEX waveFormat = ToWaveFormatEx(format);
  HWAVEIN device = nullptr;
  const MMRESULT result = waveInOpen(&device, deviceId, &waveFormat,
                                     reinterpret_cast<DWORD_PTR>(event.get()), 0, CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) return result;
  *handle = ToPortHandle(device);
  streams_[*handle] = std::make_unique<Stream>(std::move(event), UniqueWaveIn(device));
  return MMSYSERR_NOERROR;
}

std::uint32_t Win32WaveIn::PrepareHeader(platform::WaveInHandle handle, WaveHeader& header) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  if (header.data == nullptr || header.bufferLength == 0) return MMSYSERR_INVALPARAM;
  const bool known = stream->Find(header) != nullptr;
  WAVEHDR& device = stream->FindOrAdd(header);
  const DWORD flags = LoadFlags(device);
  if ((flags & WHDR_INQUEUE) != 0) {
    CopyBack(device, header);
    return WAVERR_STILLPLAYING;
  }
  if ((flags & WHDR_PREPARED) == 0) {
    device = WAVEHDR{};
    device.lpData = reinterpret_cast<LPSTR>(header.data);
    device.dwBufferLength = header.bufferLength;
  }
  const MMRESULT result = waveInPrepareHeader(stream->device(), &device, sizeof(WAVEHDR));
  CopyBack(device, header);
  if (result != MMSYSERR_NOERROR && !known) stream->Forget(header);
  return result;
}

std::uint32_t Win32WaveIn::AddBuffer(platform::WaveInHandle handle, WaveHeader& header) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  WAVEHDR* device = stream->Find(header);
  if (device == nullptr) return WAVERR_UNPREPARED;
  CopyBack(*device, header);
  // A header in the queue twice would be filled twice and returned once.
  if ((header.flags & WHDR_INQUEUE) != 0) return WAVERR_STILLPLAYING;
  if ((header.flags & WHDR_PREPARED) == 0) return WAVERR_UNPREPARED;
  const MMRESULT result = waveInAddBuffer(stream->device(), device, sizeof(WAVEHDR));
  CopyBack(*device, header);
  return result;
}

std::uint32_t Win32WaveIn::Start(platform::WaveInHandle handle) {
  Stream* stream = Find(handle);
  return stream == nullptr ? MMSYSERR_INVALHANDLE : waveInStart(stream->device());
}

std::uint32_t Win32WaveIn::UnprepareHeader(platform::WaveInHandle handle, WaveHeader& header) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  WAVEHDR* device = stream->Find(header);
  if (device == nullptr) {
    // winmm accepts a header that is not prepared.
    header.flags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
  }
  CopyBack(*device, header);
  if ((header.flags & WHDR_INQUEUE) != 0) return WAVERR_STILLPLAYING;
  const MMRESULT result = waveInUnprepareHeader(stream->device(), device, sizeof(WAVEHDR));
  CopyBack(*device, header);
  if (result == MMSYSERR_NOERROR) stream->Forget(header);
  return result;
}

std::uint32_t Win32WaveIn::Reset(platform::WaveInHandle handle) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  // Only headers in the queue must still be alive, as with winmm.
  const auto queued = stream->Queued();
  const MMRESULT result = waveInReset(stream->device());
  for (const auto& [owner, device] : queued) CopyBack(*device, *owner);
  return result;
}

std::uint32_t Win32WaveIn::Close(platform::WaveInHandle handle) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return MMSYSERR_INVALHANDLE;
  const MMRESULT result = stream->Close();
  if (result == MMSYSERR_NOERROR) streams_.erase(handle);
  return result;
}

bool Win32WaveIn::WaitForBuffer(platform::WaveInHandle handle, WaveHeader& header,
                                std::uint32_t timeoutMs) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return false;
  WAVEHDR* device = stream->Find(header);
  if (device == nullptr) return false;
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    CopyBack(*device, header);
    if ((header.flags & WHDR_DONE) != 0) return true;
    if ((header.flags & WHDR_INQUEUE) == 0) return false;
    const ULONGLONG now = GetTickCount64();
    if (timeoutMs != INFINITE && now >= deadline) return false;
    // The event also signals other buffers; the loop re-checks this one.
    const DWORD wait = timeoutMs == INFINITE ? INFINITE : static_cast<DWORD>(deadline - now);
    if (WaitForSingleObject(stream->event(), wait) == WAIT_FAILED) return false;
  }
}

}  // namespace voxtrel::win32
