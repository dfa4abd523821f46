#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "platform/wave_in.h"
#include "sim/platform/virtual_event_loop.h"

namespace voxtrel::sim {

// Wave input on the virtual clock: a queued buffer of a started stream is filled 46 ms after
// it was queued (or after the start), in queue order, with a known pattern. Waiting for a
// buffer lets virtual time pass without pumping events.
class VirtualWaveIn final : public platform::IWaveIn {
 public:
  static constexpr std::uint64_t kBufferMs = 46;

  explicit VirtualWaveIn(VirtualEventLoop& loop);

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

  // The byte at `index` of the `buffer`-th buffer filled on any stream.
  using Pattern = std::function<std::uint8_t(std::uint64_t buffer, std::size_t index)>;
  void SetPattern(Pattern pattern) { pattern_ = std::move(pattern); }
  void SetDeviceAvailable(bool available) { available_ = available; }
  // A stalled device keeps its buffers forever.
  void SetStalled(bool stalled) { stalled_ = stalled; }

  std::size_t OpenStreams() const { return streams_.size(); }
  std::uint64_t BuffersFilled() const { return filled_; }
  // AddBuffer calls refused because the header was still in the queue.
  std::uint64_t DoubleQueueAttempts() const { return doubleQueued_; }
  const platform::WaveFormat& LastFormat() const { return lastFormat_; }

 private:
  struct Queued {
    platform::WaveHeader* header;
    std::uint64_t queuedAt;
  };
  struct Stream {
    bool started = false;
    std::uint64_t startedAt = 0;
    std::uint64_t lastCompletion = 0;
    std::vector<Queued> queue;
  };

  Stream* Find(platform::WaveInHandle handle);
  std::uint64_t CompletionTime(const Stream& stream, std::size_t position) const;
  void CompleteDue(Stream& stream);
  void Fill(platform::WaveHeader& header);

  VirtualEventLoop& loop_;
  std::map<platform::WaveInHandle, Stream> streams_;
  platform::WaveInHandle nextHandle_ = 0x100;
  Pattern pattern_;
  bool available_ = true;
  bool stalled_ = false;
  std::uint64_t filled_ = 0;
  std::uint64_t doubleQueued_ = 0;
  platform::WaveFormat lastFormat_;
};

}  // namespace voxtrel::sim
