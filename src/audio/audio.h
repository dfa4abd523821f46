#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "audio/frm_audio.h"
#include "audio/topmost_form.h"
#include "common/event.h"
#include "platform/wave_in.h"

namespace voxtrel {

// Records one voice message through the audio control form's multimedia control, keeps a
// wave-input stream open for the level display while recording or playing, and plays the
// MP3 file back. Record, Play and Pause toggle on the control's current mode. Windowed use
// (mail windows) shows the form; standalone use (scripts) shows nothing.
class Audio final : public FormPositioner, public std::enable_shared_from_this<Audio> {
 public:
  static constexpr char kDefaultTag[] = "Voxtrel Voice Message";
  // The saved recording, and the message file of an owner that keeps it in the working folder.
  static constexpr char kTempWav[] = "Temp.wav";
  static constexpr char kMessageFile[] = "Voxtrel.mp3";
  // The encoder writes its output under this suffix and renames it when complete.
  static constexpr char kEncoderPartSuffix[] = ".part";
  // Bounds of waits the device or the encoder could otherwise stretch forever.
  static constexpr std::uint32_t kTempWavWaitMs = 5000;
  // A loaded machine can hold the capture back for a second; events are pumped meanwhile.
  static constexpr std::uint32_t kBufferWaitMs = 5000;
  static constexpr std::uint32_t kBufferSliceMs = 100;
  static constexpr std::uint32_t kEventWaitMs = 50;

  Audio();
  ~Audio();
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  // The owner; held, never called.
  std::shared_ptr<void> Creator;
  bool bDirection = false;
  bool bFinishedRecording = false;
  bool bFinishedPlaying = true;
  bool bPaused = false;

  std::int32_t state() const { return mvarState; }
  void state(std::int32_t vData) { mvarState = vData; }
  const std::string& fileName() const { return mvarFileName; }
  void fileName(std::string vData) { mvarFileName = std::move(vData); }

  void CallBackLoop(frmAudio& frmCurrent);
  // False while some audio object of this thread is stopping a recording: a level display
  // started inside that stop's pumps would hold the stop until its own recording ends.
  static bool MayStartCallBackLoop() { return stopsInProgress == 0; }
  bool Record(bool isStandAlone = false, const std::string& sID3Tag = kDefaultTag);
  bool Play(bool isStandAlone = false);
  void Pause(bool isStandAlone = false);
  void finishedPlaying();
  void StopRecord();
  void setFormVizPos(std::int16_t& MinimumPositionForEQX, std::int16_t& MinimumPositionForEQY,
                     TopmostForm* f) override;
  void OnClick_Stop();
  // The owner lets go: a recording or playback still running stops unsaved, so that no loop
  // goes on for nobody while the object outlives its owner on the stack.
  void Abandon();

  // Raised when a playback ended, by running out or by a second Play.
  Event<> finishedPlayingEvent;

  // This object's own folder for its working files, under the user's temporary folder: made
  // on first use, removed with the object. Recordings of different objects never meet there.
  const std::string& workingFolder();
  std::string workingFile(std::string_view name) {
    return workingFolder() + "\\" + std::string(name);
  }
  // Why the last Record call started no recording or made no MP3, as it was traced.
  const std::optional<std::string>& recordFailure() const { return mvarRecordFailure; }

  // For tests and owners that look at the display.
  frmAudio& form() { return *scopeForm; }
  platform::WaveInHandle waveInHandle() const { return hWaveIn; }
  const std::string& id3Title() const { return mvarId3Title; }

 private:
  void StartRecording(bool isStandAlone);
  void StopRecording(bool isStandAlone);
  void WaitForTempWav();
  void ShowScope();
  std::int16_t OpenStream(platform::WaveInHandle& handle, platform::WaveFormat& format,
                          platform::WaveHeader& header);
  void ServiceOneBuffer(frmAudio& frmCurrent, std::uint64_t& drawCounter);
  bool WaitForLevelBuffer();
  void DrawScope(frmAudio& frmCurrent);
  void SaveWaveFile(bool isStandAlone, const std::string& title);
  // An error handler of the recording path: traces the error and keeps it as recordFailure.
  void TraceRecordErrors(std::string_view prefix, const std::function<void()>& body);
  std::string AppFile(const char* name) const;

  static thread_local inline int stopsInProgress = 0;
  std::unique_ptr<frmAudio> scopeForm;
  platform::WaveInHandle hWaveIn = 0;
  platform::WaveHeader waveHdr;
  std::array<std::uint8_t, 512> scopeBuffer{};
  platform::WaveFormat waveFormat;
  std::int32_t mvarState = 0;
  std::string mvarFileName;
  std::string mvarId3Title;
  std::string mvarWorkingFolder;
  std::optional<std::string> mvarRecordFailure;
  std::int16_t eqPosX = 0;
  std::int16_t eqPosY = 0;
};

}  // namespace voxtrel
