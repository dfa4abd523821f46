#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace voxtrel::win32 {

// A file opened for playback through MCI: waveaudio for .wav, mpegvideo for .mp3, else what
// MCI picks for the extension. Playing is asynchronous; its end is posted to the notify
// window as MM_MCINOTIFY with this device's id. Closing cancels the playback.
class MciPlayback {
 public:
  // Opens `path`; throws voxtrel::Error (MCI's number and text) when it cannot.
  MciPlayback(std::string_view path, HWND notifyWindow);
  ~MciPlayback();
  MciPlayback(const MciPlayback&) = delete;
  MciPlayback& operator=(const MciPlayback&) = delete;

  MCIDEVICEID id() const { return id_; }
  // MCI's mode (the MCI_MODE_* numbers are the control's).
  std::int32_t Mode() const;
  // Throws voxtrel::Error when MCI refuses.
  void Play();
  // Pauses a playback or resumes a paused one; anything else stays as it is.
  void TogglePause();
  void Stop();

 private:
  MCIERROR Send(UINT command, DWORD_PTR flags, void* parameters) const;

  std::string path_;
  HWND notifyWindow_;
  MCIDEVICEID id_ = 0;
};

}  // namespace voxtrel::win32
