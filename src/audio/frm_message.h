#pragma once

#include <memory>
#include <string>

#include "audio/topmost_form.h"
#include "platform/event_loop.h"
#include "platform/forms.h"

namespace voxtrel {

// The progress window of one encoder run: animates "Creating MP3" with zero to three dots
// while events are pumped, and closes with "Done".
class frmMessage final : public TopmostForm {
 public:
  static constexpr std::uint32_t kMoveMs = 500;

  frmMessage();
  ~frmMessage();
  frmMessage(const frmMessage&) = delete;
  frmMessage& operator=(const frmMessage&) = delete;

  void Show();
  void PlaceTopmost(int x, int y) override;
  void advanceStep(bool bFinished);
  const std::string& lblStat() const { return caption_; }

  static platform::FormDesign Design();

 private:
  void tmrMove_Timer();

  std::unique_ptr<platform::IForm> window_;
  std::unique_ptr<platform::ITimer> tmrMove;
  std::string caption_;
};

}  // namespace voxtrel
