#include "automation/voxtrel_inst.h"

#include "audio/mod_utils.h"
#include "common/error.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr int kRecordError = 1011;
constexpr int kPlayError = 1012;
constexpr int kPauseError = 1013;
constexpr int kNoFileError = 1014;

void OpenTraceLog() {
  try {
    modTraceWrite::TraceOpen(VoxtrelInst::kTracePath);
  } catch (const Error&) {
    // A standard user may not create files in the root of C: on current Windows.
    modTraceWrite::TraceOpen(platform::Current().system.TempPath() + "\\" +
                             VoxtrelInst::kFallbackTraceName);
  }
}

// The method's error handler: whatever failed reaches the client under the method's own
// number and source, with the original description.
template <typename Body>
void TranslateErrors(int number, const char* source, Body&& body) {
  try {
    body();
  } catch (...) {
    throw Error(number, source, CurrentErrorDescription());
  }
}

}  // namespace

std::shared_ptr<VoxtrelInst> VoxtrelInst::Create() {
  OpenTraceLog();
  return std::shared_ptr<VoxtrelInst>(new VoxtrelInst());
}

VoxtrelInst::VoxtrelInst() : mvarAudio(std::make_unique<Audio>()) {
  audioEvents_ = mvarAudio->finishedPlayingEvent.Connect([this] { mvarAudio_finishedPlaying(); });
}

VoxtrelInst::~VoxtrelInst() = default;

std::string VoxtrelInst::fileName() const {
  return mvarAudio->fileName();
}

void VoxtrelInst::fileName(const std::string& vData) {
  mvarAudio->fileName(vData);
}

void VoxtrelInst::recordMp3(const std::string& sID3Tag) {
  TranslateErrors(kRecordError, "VoxtrelInst.recordMp3", [&] {
    mvarAudio->Creator = shared_from_this();
    mvarAudio->Record(true, sID3Tag);
    // The audio object only traces it; a script must hear that no recording started or ended.
    if (const auto& failure = mvarAudio->recordFailure()) {
      throw Error(kRecordError, "VoxtrelInst.recordMp3", *failure);
    }
  });
}

void VoxtrelInst::playMp3() {
  TranslateErrors(kPlayError, "VoxtrelInst.playMP3", [&] {
    mvarAudio->Creator = shared_from_this();
    if (!modUtils::FileExists(mvarAudio->fileName())) {
      throw Error(kNoFileError, "VoxtrelInst.playMP3", "There is no file to play back.");
    }
    mvarAudio->Play(true);
  });
}

void VoxtrelInst::pauseMP3() {
  TranslateErrors(kPauseError, "VoxtrelInst.pause", [&] { mvarAudio->Pause(true); });
}

void VoxtrelInst::mvarAudio_finishedPlaying() {
  finishedPlaying.Raise();
}

void VoxtrelInst::ClientReleased() {
  mvarAudio->Creator.reset();
}

}  // namespace voxtrel
