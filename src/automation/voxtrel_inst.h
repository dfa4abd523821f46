#pragma once

#include <memory>
#include <string>

#include "audio/audio.h"
#include "common/event.h"

namespace voxtrel {

// The scriptable recorder: records a voice message to MP3, plays and pauses it, through its
// own audio object in standalone mode. Failures come out as automation errors 1011 to 1013.
class VoxtrelInst final : public std::enable_shared_from_this<VoxtrelInst> {
 public:
  static constexpr char kTracePath[] = "c:\\debug.log";
  // Where the log goes when the root of C: is closed to the user.
  static constexpr char kFallbackTraceName[] = "Voxtrel debug.log";

  // Starts the trace log and creates the audio object. Throws the file error when not even the
  // fallback log can be created.
  static std::shared_ptr<VoxtrelInst> Create();
  ~VoxtrelInst();
  VoxtrelInst(const VoxtrelInst&) = delete;
  VoxtrelInst& operator=(const VoxtrelInst&) = delete;

  std::string fileName() const;
  void fileName(const std::string& vData);
  void recordMp3(const std::string& sID3Tag = Audio::kDefaultTag);
  void playMp3();
  void pauseMP3();

  // Raised when playback of the voice file ends.
  Event<> finishedPlaying;

  // The last client reference is gone: the audio object lets go of its owner, so both end.
  void ClientReleased();

  Audio& audio() { return *mvarAudio; }

 private:
  VoxtrelInst();
  void mvarAudio_finishedPlaying();

  std::unique_ptr<Audio> mvarAudio;
  Event<>::Connection audioEvents_;
};

}  // namespace voxtrel
