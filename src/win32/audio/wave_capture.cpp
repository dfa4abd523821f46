#include "win32/audio/wave_capture.h"

#include <algorithm>
#include <atomic>
#include <system_error>

#include "common/error.h"
#include "win32/audio/multimedia_errors.h"

namespace voxtrel::win32 {
namespace {

DWORD BufferBytes(const WAVEFORMATEX& format) {
  const DWORD block = std::max<DWORD>(format.nBlockAlign, 1);
  const DWORD bytes = format.nAvgBytesPerSec / WaveCapture::kBuffersPerSecond;
  return std::max(block, bytes - bytes % block);
}

bool IsDone(WAVEHDR& header) {
  return (std::atomic_ref<DWORD>(header.dwFlags).load(std::memory_order_acquire) & WHDR_DONE) != 0;
}

struct ObserverSlot {
  std::mutex mutex;
  WaveCapture::DoneBufferObserver observer;
};

ObserverSlot& Observer() {
  static ObserverSlot slot;
  return slot;
}

WaveCapture::DoneBufferObserver CurrentObserver() {
  ObserverSlot& slot = Observer();
  std::lock_guard lock(slot.mutex);
  return slot.observer;
}

}  // namespace

void WaveCapture::ObserveDoneBuffers(DoneBufferObserver observer) {
  ObserverSlot& slot = Observer();
  std::lock_guard lock(slot.mutex);
  slot.observer = std::move(observer);
}

WaveCapture::WaveCapture(const WAVEFORMATEX& format)
    : observer_(CurrentObserver()),
      bufferEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!bufferEvent_ || !stopEvent_) throw Error(7, kMultimediaSource);
  HWAVEIN device = nullptr;
  const MMRESULT opened =
      waveInOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(bufferEvent_.get()), 0,
                 CALLBACK_EVENT);
  if (opened != MMSYSERR_NOERROR) throw WaveInError(opened);
  device_.reset(device);

  const DWORD bytes = BufferBytes(format);
  memory_.assign(kBufferCount, std::vector<std::uint8_t>(bytes));
  headers_.assign(kBufferCount, WAVEHDR{});
  queued_.assign(kBufferCount, false);
  for (int i = 0; i < kBufferCount; ++i) {
    WAVEHDR& header = headers_[i];
    header.lpData = reinterpret_cast<LPSTR>(memory_[i].data());
    header.dwBufferLength = bytes;
    MMRESULT result = waveInPrepareHeader(device_.get(), &header, sizeof(WAVEHDR));
    if (result == MMSYSERR_NOERROR) {
      result = waveInAddBuffer(device_.get(), &header, sizeof(WAVEHDR));
    }
    if (result != MMSYSERR_NOERROR) {
      Release();
      throw WaveInError(result);
    }
    queued_[i] = true;
  }
  if (const MMRESULT started = waveInStart(device_.get()); started != MMSYSERR_NOERROR) {
    Release();
    throw WaveInError(started);
  }
  try {
    worker_ = std::thread(&WaveCapture::Run, this);
  } catch (const std::system_error&) {
    Release();
    throw Error(7, kMultimediaSource);
  }
}

WaveCapture::~WaveCapture() {
  StopWorker();
  Release();
}

std::vector<std::uint8_t> WaveCapture::Finish() {
  StopWorker();
  if (device_) {
    // A reset returns every buffer, the partly filled one with what it holds.
    waveInReset(device_.get());
    Harvest(false);
  }
  Release();
  if (failed_) throw Error(7, kMultimediaSource);  // out of memory while recording
  std::lock_guard lock(mutex_);
  return std::move(captured_);
}

void WaveCapture::StopWorker() {
  if (!worker_.joinable()) return;
  SetEvent(stopEvent_.get());
  worker_.join();
}

void WaveCapture::Release() {
  if (!device_) return;
  waveInReset(device_.get());
  for (WAVEHDR& header : headers_) {
    if ((header.dwFlags & WHDR_PREPARED) != 0) {
      waveInUnprepareHeader(device_.get(), &header, sizeof(WAVEHDR));
    }
  }
  device_.reset();
}

void WaveCapture::Run() noexcept {
  const HANDLE events[] = {stopEvent_.get(), bufferEvent_.get()};
  while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    Harvest(true);
  }
}

void WaveCapture::Harvest(bool requeue) {
  for (std::size_t count = 0; count < headers_.size(); ++count) {
    WAVEHDR& header = headers_[next_];
    // A buffer the device refused to take back is skipped, so the others still come in.
    if (queued_[next_]) {
      if (!IsDone(header)) break;
      Take(header);
      queued_[next_] =
          requeue && waveInAddBuffer(device_.get(), &header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    }
    next_ = (next_ + 1) % headers_.size();
  }
}

void WaveCapture::Take(const WAVEHDR& header) {
  const std::span bytes(reinterpret_cast<const std::uint8_t*>(header.lpData),
                        header.dwBytesRecorded);
  const bool keep = !paused_.load() && !failed_.load();
  if (observer_) observer_({bytes, keep});
  if (keep) Append(bytes);
}

void WaveCapture::Append(std::span<const std::uint8_t> bytes) {
  try {
    std::lock_guard lock(mutex_);
    captured_.insert(captured_.end(), bytes.begin(), bytes.end());
  } catch (...) {
    failed_.store(true);  // nothing may leave the worker; Finish reports it
  }
}

}  // namespace voxtrel::win32
