#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/topmost_form.h"
#include "platform/forms.h"
#include "platform/multimedia.h"

namespace voxtrel {

class Audio;

// The audio control form of one audio object: the multimedia control WaveMe, the scope box,
// the elapsed-time label and four timers. It loads itself on first use and after an unload
// comes back with its design values.
class frmAudio final : public TopmostForm {
 public:
  static constexpr std::uint32_t kCallBackMs = 10;
  static constexpr std::uint32_t kSecondMs = 1000;
  static constexpr std::uint32_t kPauseDelayMs = 50;
  static constexpr std::uint32_t kEndRecordDesignMs = 50;
  static constexpr std::uint32_t kEndRecordDelayMs = 500;

  frmAudio();
  ~frmAudio();
  frmAudio(const frmAudio&) = delete;
  frmAudio& operator=(const frmAudio&) = delete;

  // The elapsed-time text being built.
  std::string sTime;
  // The audio object the timers and the control call back.
  Audio* Creator = nullptr;

  void WPlay(const std::string& WavFileName);
  void WRecord(const std::string& WavFileName);
  void WResume();
  void WClose();
  void WPause();
  std::int32_t WStatus();
  void WSave(const std::string& theFile);

  void Show();
  void Hide();
  // Closes the control and destroys the window and timers; a later use loads it afresh.
  void Unload();
  bool Loaded() const { return loaded_ != nullptr; }
  bool Visible() const;
  void PlaceTopmost(int x, int y) override;

  platform::IDrawingSurface& scopeBox();
  void EnableSecondCounter(bool enabled);
  void EnableCallBack(bool enabled);
  // The caption lblTime shows.
  std::string lblTime() const;

  static platform::FormDesign Design();

 private:
  struct LoadedState;

  LoadedState& Load();
  void Form_Unload();
  void tmPauseDelay_Timer();
  void tmEndRecordDelay_Timer();
  void tmrCallBack_Timer();
  void tmrSecondCounter_Timer();
  void WaveMe_Done(std::int16_t NotifyCode);
  template <typename Handler>
  void HandleEvent(const char* prefix, Handler handler);

  std::unique_ptr<LoadedState> loaded_;
  std::string saveFileName;
  std::int32_t elapsedMinutes = 0;
  std::int32_t elapsedSeconds = 0;
};

}  // namespace voxtrel
