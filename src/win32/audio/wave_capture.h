#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "win32/audio/unique_wave_in.h"
#include "win32/base/unique_handle.h"

namespace voxtrel::win32 {

// Records from the default wave-input device with a worker thread of its own that re-queues
// the buffers, so capture goes on whatever the creating thread does (blocked or pumping).
// The worker only waits, appends and re-queues; opening, resetting and closing the device
// happen on the creating thread, never at the same time as the worker runs.
class WaveCapture {
 public:
  // About 50 ms each: a pause takes effect within one buffer.
  static constexpr int kBuffersPerSecond = 20;
  // A second of audio queued: covers any hiccup of the worker's scheduling.
  static constexpr int kBufferCount = 20;

  // A buffer as the device handed it back, and whether the recording kept it (it drops what
  // comes back while paused).
  struct DoneBuffer {
    std::span<const std::uint8_t> bytes;
    bool kept = false;
  };
  using DoneBufferObserver = std::function<void(const DoneBuffer&)>;

  // Sees every buffer that captures started from now on get back, in the device's order, on
  // the thread that takes it in; it must not throw. Empty to stop. What arrives from the
  // device is beyond our control, what becomes of it is not: this makes it observable.
  static void ObserveDoneBuffers(DoneBufferObserver observer);

  // Opens and starts the device; throws voxtrel::Error when it cannot.
  explicit WaveCapture(const WAVEFORMATEX& format);
  // Stops, discarding what was not taken.
  ~WaveCapture();
  WaveCapture(const WaveCapture&) = delete;
  WaveCapture& operator=(const WaveCapture&) = delete;

  // While paused, what the device delivers is dropped.
  void SetPaused(bool paused) { paused_.store(paused); }

  // Stops the device and hands over everything captured while not paused.
  std::vector<std::uint8_t> Finish();

 private:
  void Run() noexcept;
  void Harvest(bool requeue);
  void Take(const WAVEHDR& header);
  void Append(std::span<const std::uint8_t> bytes);
  void StopWorker();
  void Release();

  const DoneBufferObserver observer_;
  UniqueHandle bufferEvent_;
  UniqueHandle stopEvent_;
  std::vector<std::vector<std::uint8_t>> memory_;
  std::vector<WAVEHDR> headers_;
  std::vector<bool> queued_;
  // Declared after the buffers and their headers, so it closes before they go.
  UniqueWaveIn device_;
  std::size_t next_ = 0;  // buffers come back in queue order
  std::atomic<bool> paused_{false};
  std::atomic<bool> failed_{false};
  std::mutex mutex_;
  std::vector<std::uint8_t> captured_;
  std::thread worker_;
};

}  // namespace voxtrel::win32
