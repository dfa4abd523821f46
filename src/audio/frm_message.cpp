#include "audio/frm_message.h"

#include "host/error_trace.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr char kLblStat[] = "lblStat";
constexpr char kDesignCaption[] = "Creating MP3...";

}  // namespace

platform::FormDesign frmMessage::Design() {
  platform::FormDesign design;
  design.caption = "Voxtrel";
  design.clientWidth = 155;
  design.clientHeight = 24;
  design.labels.push_back({kLblStat, {8, 5, 81, 17}, kDesignCaption});
  return design;
}

frmMessage::frmMessage() : caption_(kDesignCaption) {
  const platform::Services& services = platform::Current();
  window_ = services.forms.Load(Design());
  tmrMove = services.events.CreateTimer(
      [this] { TraceErrors("frmMessage.tmrMove_Timer} ERROR: ", [this] { tmrMove_Timer(); }); });
  tmrMove->SetInterval(kMoveMs);
  tmrMove->SetEnabled(true);
}

frmMessage::~frmMessage() = default;

void frmMessage::Show() {
  if (window_) window_->Show();
}

void frmMessage::PlaceTopmost(int x, int y) {
  if (window_) window_->PlaceTopmost(x, y);
}

void frmMessage::advanceStep(bool bFinished) {
  if (!window_) return;
  if (bFinished) {
    caption_ = "Done";
    window_->SetLabelCaption(kLblStat, caption_);
    tmrMove.reset();
    window_.reset();
    return;
  }
  if (caption_ == "Creating MP3" || caption_ == "Creating MP3." || caption_ == "Creating MP3..") {
    caption_ += ".";
  } else if (caption_ == "Creating MP3...") {
    caption_ = "Creating MP3";
  } else {
    return;
  }
  window_->SetLabelCaption(kLblStat, caption_);
  window_->Refresh();
  platform::Current().events.DoEvents();
}

void frmMessage::tmrMove_Timer() {
  advanceStep(false);
}

}  // namespace voxtrel
