#include "audio/audio.h"

#include "audio/mod_utils.h"
#include "audio/working_folders.h"
#include "common/classic.h"
#include "common/error.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

using modTraceWrite::TraceWrite;

constexpr std::uint32_t kScopeBufferBytes = 512;
constexpr int kAudioError = 1001;

bool IsBusy(std::int32_t mode) {
  return mode == platform::kMciModeRecord || mode == platform::kMciModePlay ||
         mode == platform::kMciModePause;
}

const platform::Services& Ports() {
  return platform::Current();
}

}  // namespace

Audio::Audio() {
  TraceWrite("Audio Created!");
  scopeForm = std::make_unique<frmAudio>();
  bFinishedPlaying = true;
  mvarFileName = AppFile("Voxtrel.mp3");
  hWaveIn = 0;
}

Audio::~Audio() {
  // The device must not keep filling a buffer this object no longer has.
  if (hWaveIn != 0) StopRecord();
  scopeForm.reset();
  if (!mvarWorkingFolder.empty()) RemoveWorkingFolder(mvarWorkingFolder);
}

const std::string& Audio::workingFolder() {
  if (mvarWorkingFolder.empty()) mvarWorkingFolder = MakeWorkingFolder();
  return mvarWorkingFolder;
}

void Audio::TraceRecordErrors(std::string_view prefix, const std::function<void()>& body) {
  try {
    body();
  } catch (...) {
    const std::string description = CurrentErrorDescription();
    if (!mvarRecordFailure) mvarRecordFailure = description;
    TraceErrorLine(prefix, description);
  }
}

std::string Audio::AppFile(const char* name) const {
  return Ports().system.AppPath() + "\\" + name;
}

bool Audio::Record(bool isStandAlone, const std::string& sID3Tag) {
  if (sID3Tag != kDefaultTag) mvarId3Title = sID3Tag;
  mvarRecordFailure.reset();
  TraceRecordErrors("Audio.Record} ERROR: ", [&] {
    TraceWrite("Audio.Record: Init");
    mvarState = scopeForm->WStatus();
    bPaused = false;
    if (IsBusy(mvarState)) {
      StopRecording(isStandAlone);
    } else {
      StartRecording(isStandAlone);
    }
  });
  return false;
}

void Audio::StartRecording(bool isStandAlone) {
  const std::string temp = workingFile(kTempWav);
  if (modUtils::FileExists(temp)) Ports().files.Kill(temp);
  bFinishedRecording = false;
  scopeForm->Creator = this;
  scopeForm->WClose();
  bDirection = true;
  scopeForm->WRecord(AppFile("R.wav"));
  OpenStream(hWaveIn, waveFormat, waveHdr);
  if (!isStandAlone) ShowScope();
}

void Audio::ShowScope() {
  std::int16_t zero = 0;
  setFormVizPos(zero, zero, nullptr);
  scopeForm->Show();
  scopeForm->EnableSecondCounter(true);
  scopeForm->EnableCallBack(true);
}

void Audio::StopRecording(bool isStandAlone) {
  struct Stopping {
    Stopping() { ++stopsInProgress; }
    ~Stopping() { --stopsInProgress; }
    Stopping(const Stopping&) = delete;
    Stopping& operator=(const Stopping&) = delete;
  } const stopping;
  if (!isStandAlone) OnClick_Stop();
  // Standalone too: an open capture stream would keep the microphone in use.
  StopRecord();
  Ports().events.DoEvents();
  scopeForm->WSave(workingFile(kTempWav));
  TraceWrite("Audio.Record: Saved Temp.Wav");
  WaitForTempWav();
  TraceWrite("Audio.Record: Temp.Wav Exists");
  Ports().events.DoEvents();
  SaveWaveFile(isStandAlone, mvarId3Title);
  TraceWrite("Audio.Record: Make MP3 (SaveWaveFile)");
  bFinishedRecording = true;
  TraceWrite("Audio.Record: FinishedRecording");
  scopeForm->Unload();
  Ports().events.DoEvents();
  Ports().files.Kill(workingFile(kTempWav));
}

void Audio::WaitForTempWav() {
  platform::IEventLoop& events = Ports().events;
  const std::string temp = workingFile("temp.wav");
  const std::uint64_t start = events.TickCount();
  for (;;) {
    events.DoEvents();
    if (modUtils::FileExists(temp)) return;
    if (events.TickCount() - start > kTempWavWaitMs) break;
    events.WaitForEvents(kEventWaitMs);
  }
  // The control never saved: give up the recording rather than wait forever.
  scopeForm->Unload();
  throw Error(kAudioError, "Audio.Record",
              "Temp.wav was not saved within " + std::to_string(kTempWavWaitMs / 1000) +
                  " seconds; the recording is lost.");
}

bool Audio::Play(bool isStandAlone) {
  TraceErrors("Audio.Play} ERROR: ", [&] {
    mvarState = scopeForm->WStatus();
    bPaused = false;
    if (IsBusy(mvarState)) {
      scopeForm->WClose();
      if (!isStandAlone) scopeForm->EnableSecondCounter(false);
      finishedPlaying();
      scopeForm->Unload();
      return;
    }
    bDirection = true;
    scopeForm->Creator = this;
    platform::WaveFormat playbackFormat;
    OpenStream(hWaveIn, playbackFormat, waveHdr);
    if (modUtils::FileExists(mvarFileName)) {
      bFinishedPlaying = false;
      scopeForm->WPlay(mvarFileName);
    }
    if (!isStandAlone) ShowScope();
  });
  return false;
}

void Audio::Pause(bool isStandAlone) {
  TraceErrors("Audio.Pause} ERROR: ", [&] {
    mvarState = scopeForm->WStatus();
    if (mvarState == platform::kMciModePause) {
      bPaused = false;
      scopeForm->EnableSecondCounter(true);
      scopeForm->WResume();
    } else {
      bPaused = true;
      scopeForm->WPause();
      if (!isStandAlone) scopeForm->EnableSecondCounter(false);
    }
  });
}

void Audio::finishedPlaying() {
  TraceErrors("Audio.FinishedPlaying} ERROR: ", [&] {
    scopeForm->WClose();
    scopeForm->Unload();
    StopRecord();
    bFinishedPlaying = true;
    finishedPlayingEvent.Raise();
  });
}

void Audio::setFormVizPos(std::int16_t& MinimumPositionForEQX, std::int16_t& MinimumPositionForEQY,
                          TopmostForm* f) {
  TopmostForm& target = f != nullptr ? *f : static_cast<TopmostForm&>(*scopeForm);
  if (MinimumPositionForEQX != 0 || MinimumPositionForEQY != 0) {
    eqPosX = MinimumPositionForEQX;
    eqPosY = MinimumPositionForEQY;
  }
  target.PlaceTopmost(eqPosX, eqPosY);
}

void Audio::Abandon() {
  TraceErrors("Audio.Abandon} ERROR: ", [&] {
    if (hWaveIn != 0) StopRecord();
    if (scopeForm->Loaded()) {
      scopeForm->WClose();
      scopeForm->Unload();
    }
    bFinishedPlaying = true;
  });
}

void Audio::OnClick_Stop() {
  scopeForm->Hide();
  TraceWrite("Audio.Record: Stopping");
  scopeForm->EnableSecondCounter(false);
}

std::int16_t Audio::OpenStream(platform::WaveInHandle& handle, platform::WaveFormat& format,
                               platform::WaveHeader&) {
  std::uint32_t status = 0;
  TraceErrors("Audio.OpenStream} ERROR: ", [&] {
    // A stream still open from an earlier start would be lost with its queued buffer.
    if (handle != 0) StopRecord();
    handle = 0;
    format = {.formatTag = 1,
              .channels = 1,
              .samplesPerSec = 11025,
              .avgBytesPerSec = 11025,
              .blockAlign = 1,
              .bitsPerSample = 8,
              .cbSize = 0};
    platform::IWaveIn& waveIn = Ports().waveIn;
    waveIn.Open(&handle, 0, format);
    // Only the service loop queues the header, so it is never in the device's queue twice.
    status = waveIn.Start(handle);
  });
  return static_cast<std::int16_t>(status);
}

void Audio::StopRecord() {
  platform::IWaveIn& waveIn = Ports().waveIn;
  waveIn.Reset(hWaveIn);
  waveIn.Close(hWaveIn);
  hWaveIn = 0;
}

void Audio::CallBackLoop(frmAudio& frmCurrent) {
  TraceErrors("Audio.CallBackLoop} ERROR: ", [&] {
    TraceWrite("#");
    waveHdr.data = scopeBuffer.data();
    waveHdr.bufferLength = kScopeBufferBytes;
    waveHdr.flags = 0;
    std::uint64_t drawCounter = 0;
    do {
      ServiceOneBuffer(frmCurrent, drawCounter);
    } while (hWaveIn != 0);
  });
}

void Audio::ServiceOneBuffer(frmAudio& frmCurrent, std::uint64_t& drawCounter) {
  platform::IWaveIn& waveIn = Ports().waveIn;
  platform::IEventLoop& events = Ports().events;
  waveIn.PrepareHeader(hWaveIn, waveHdr);
  waveIn.AddBuffer(hWaveIn, waveHdr);
  events.DoEvents();
  if (!WaitForLevelBuffer() && hWaveIn != 0) {
    if ((waveHdr.flags & platform::kWhdrInQueue) != 0) {
      throw Error(kAudioError, "Audio.CallBackLoop",
                  "The wave input device delivered no sound for " +
                      std::to_string(kBufferWaitMs / 1000) + " seconds.");
    }
    // The device refused the buffer; try again after a pause instead of spinning.
    events.WaitForEvents(kEventWaitMs);
  }
  if (!bPaused) {
    if (drawCounter % 3 == 0) DrawScope(frmCurrent);
    ++drawCounter;
  }
  events.DoEvents();
  waveIn.UnprepareHeader(hWaveIn, waveHdr);
  events.DoEvents();
  events.DoEvents();
}

// Waits in short slices with events pumped between them, so a device that holds the buffer back
// for a while neither freezes the window nor ends the level display.
bool Audio::WaitForLevelBuffer() {
  platform::IWaveIn& waveIn = Ports().waveIn;
  platform::IEventLoop& events = Ports().events;
  const std::uint64_t start = events.TickCount();
  for (;;) {
    if (waveIn.WaitForBuffer(hWaveIn, waveHdr, kBufferSliceMs)) return true;
    // Closed by a stop inside the pump, or refused by the device: nothing to wait for.
    if (hWaveIn == 0 || (waveHdr.flags & platform::kWhdrInQueue) == 0) return false;
    if (events.TickCount() - start >= kBufferWaitMs) return false;
    events.DoEvents();
  }
}

void Audio::DrawScope(frmAudio& frmCurrent) {
  // A stop inside the pumps may have unloaded the form; drawing would only load it again.
  if (!frmCurrent.Loaded()) return;
  platform::IDrawingSurface& box = frmCurrent.scopeBox();
  const std::int16_t h = classic::CInt(box.ScaleHeight());
  box.Cls();
  for (int i = 50; i <= 175; i += 5) {
    const double v = scopeBuffer[static_cast<std::size_t>(i + 5)];
    const double unit = h / 7.0;
    if (unit == 0.0) throw Error(11);  // Division by zero
    const auto y = static_cast<float>(h - v / unit);
    box.SetForeColor(0x00FFC0C0);
    box.FillBox(i + 1, h, i + 4, y);
    box.SetForeColor(0x00FF0000);
    box.DrawLine(i + 1, y - 1.0, i + 5, y - 1.0);
  }
}

}  // namespace voxtrel
