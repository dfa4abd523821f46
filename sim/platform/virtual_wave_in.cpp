#include "sim/platform/virtual_wave_in.h"

#include <algorithm>

namespace voxtrel::sim {

using platform::kMmsyserrInvalidHandle;
using platform::kMmsyserrNoError;
using platform::kWhdrDone;
using platform::kWhdrInQueue;
using platform::kWhdrPrepared;

VirtualWaveIn::VirtualWaveIn(VirtualEventLoop& loop)
    : loop_(loop), pattern_([](std::uint64_t buffer, std::size_t index) {
        return static_cast<std::uint8_t>((buffer * 16 + index) & 0xff);
      }) {}

VirtualWaveIn::Stream* VirtualWaveIn::Find(platform::WaveInHandle handle) {
  const auto found = streams_.find(handle);
  return found == streams_.end() ? nullptr : &found->second;
}

std::uint32_t VirtualWaveIn::Open(platform::WaveInHandle* handle, std::uint32_t deviceId,
                                  const platform::WaveFormat& format) {
  *handle = 0;
  if (!available_ || deviceId != 0) return platform::kMmsyserrBadDeviceId;
  *handle = nextHandle_;
  nextHandle_ += 0x10;
  streams_[*handle] = Stream{};
  lastFormat_ = format;
  return kMmsyserrNoError;
}

std::uint32_t VirtualWaveIn::PrepareHeader(platform::WaveInHandle handle,
                                           platform::WaveHeader& header) {
  if (Find(handle) == nullptr) return kMmsyserrInvalidHandle;
  if ((header.flags & kWhdrInQueue) != 0) return platform::kWaverrStillPlaying;
  header.flags |= kWhdrPrepared;
  return kMmsyserrNoError;
}

std::uint32_t VirtualWaveIn::AddBuffer(platform::WaveInHandle handle,
                                       platform::WaveHeader& header) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return kMmsyserrInvalidHandle;
  CompleteDue(*stream);
  if ((header.flags & kWhdrInQueue) != 0) {
    ++doubleQueued_;
    return platform::kWaverrStillPlaying;
  }
  if ((header.flags & kWhdrPrepared) == 0) return platform::kWaverrUnprepared;
  header.flags = (header.flags | kWhdrInQueue) & ~kWhdrDone;
  header.bytesRecorded = 0;
  stream->queue.push_back({&header, loop_.Now()});
  return kMmsyserrNoError;
}

std::uint32_t VirtualWaveIn::Start(platform::WaveInHandle handle) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return kMmsyserrInvalidHandle;
  if (!stream->started) {
    stream->started = true;
    stream->startedAt = loop_.Now();
    stream->lastCompletion = loop_.Now();
  }
  return kMmsyserrNoError;
}

std::uint32_t VirtualWaveIn::UnprepareHeader(platform::WaveInHandle handle,
                                             platform::WaveHeader& header) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return kMmsyserrInvalidHandle;
  CompleteDue(*stream);
  if ((header.flags & kWhdrInQueue) != 0) return platform::kWaverrStillPlaying;
  header.flags &= ~kWhdrPrepared;
  return kMmsyserrNoError;
}

std::uint32_t VirtualWaveIn::Reset(platform::WaveInHandle handle) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return kMmsyserrInvalidHandle;
  CompleteDue(*stream);
  for (const Queued& queued : stream->queue) {
    queued.header->flags = (queued.header->flags | kWhdrDone) & ~kWhdrInQueue;
  }
  stream->queue.clear();
  stream->started = false;
  return kMmsyserrNoError;
}

std::uint32_t VirtualWaveIn::Close(platform::WaveInHandle handle) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return kMmsyserrInvalidHandle;
  CompleteDue(*stream);
  if (!stream->queue.empty()) return platform::kWaverrStillPlaying;
  streams_.erase(handle);
  return kMmsyserrNoError;
}

bool VirtualWaveIn::WaitForBuffer(platform::WaveInHandle handle, platform::WaveHeader& header,
                                  std::uint32_t timeoutMs) {
  Stream* stream = Find(handle);
  if (stream == nullptr) return false;
  CompleteDue(*stream);
  if ((header.flags & kWhdrDone) != 0) return true;
  const auto position = std::find_if(stream->queue.begin(), stream->queue.end(),
                                     [&](const Queued& q) { return q.header == &header; });
  if (position == stream->queue.end()) return false;
  const std::uint64_t deadline = loop_.Now() + timeoutMs;
  const std::uint64_t done =
      CompletionTime(*stream, static_cast<std::size_t>(position - stream->queue.begin()));
  if (stalled_ || !stream->started || done > deadline) {
    loop_.AdvanceTo(deadline);
    return false;
  }
  loop_.AdvanceTo(done);
  CompleteDue(*stream);
  return true;
}

std::uint64_t VirtualWaveIn::CompletionTime(const Stream& stream, std::size_t position) const {
  std::uint64_t time = stream.lastCompletion;
  for (std::size_t i = 0; i <= position; ++i) {
    time = std::max(time, stream.queue[i].queuedAt) + kBufferMs;
  }
  return time;
}

void VirtualWaveIn::CompleteDue(Stream& stream) {
  if (!stream.started || stalled_) return;
  while (!stream.queue.empty()) {
    const std::uint64_t done = CompletionTime(stream, 0);
    if (done > loop_.Now()) break;
    Fill(*stream.queue.front().header);
    stream.lastCompletion = done;
    stream.queue.erase(stream.queue.begin());
  }
}

void VirtualWaveIn::Fill(platform::WaveHeader& header) {
  for (std::size_t i = 0; i < header.bufferLength; ++i) header.data[i] = pattern_(filled_, i);
  ++filled_;
  header.bytesRecorded = header.bufferLength;
  header.flags = (header.flags | kWhdrDone) & ~kWhdrInQueue;
}

}  // namespace voxtrel::sim
