#include "common/classic.h"
#include "host/error_trace.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"

namespace voxtrel {

// Maps the Files list's selection to the attachment's position: the list holds only the voice
// attachments, so unless every attachment is listed they are counted off in order.
std::int16_t MailWindow::SelectedAttachmentIndex() {
  auto attachments = Required(oMail_).Attachments();
  const std::int32_t n = Required(attachments).Count();
  const std::int32_t k = Required(cmbFiles).ListCount();
  if (k == n) return classic::CInt(cmbFiles->ListIndex());
  std::int32_t j = 1;
  for (std::int32_t position = 1; position <= n; ++position) {
    if (!IsVoiceAttachment(Required(attachments->Item(position)).FileName())) continue;
    if (j == cmbFiles->ListIndex()) return classic::CInt(position);
    ++j;
  }
  return 0;
}

void MailWindow::btnPlay_Click(outlook::IButton& Ctrl, bool&) {
  const auto self = shared_from_this();
  const std::shared_ptr<Audio> audio = iAudio;
  ClickBanner("--- PLAY ---", "btnPlay_Click", Ctrl.Caption());
  TraceErrors("MailWindow.btnPlay_Click } ERROR: ", [&] {
    if (Required(btnPlay).Caption() == kCaptionPlay) {
      Required(audio).Creator = self;
      Required(btnRecord).Visible(false);
      btnPlay->Caption(kCaptionStop);
      ChangePicture(*btnPlay, kFaceStop);
      Required(btnPause).Caption(kCaptionPause);
      ChangePicture(*btnPause, kFacePause);
      btnPause->Visible(true);
      PositionAudioForm();
    }
    audio->fileName(MessageFile());
    if (audio->bFinishedPlaying) {
      auto attachment = Required(Required(oMail_).Attachments()).Item(SelectedAttachmentIndex());
      Required(attachment).SaveAsFile(audio->fileName());
    }
    audio->Play(false);
    if (audio->bFinishedPlaying) {
      iAudio_finishedPlaying();
      TouchMailItem();
    }
  });
}

// Also raised by the audio object when a playback ends by itself.
void MailWindow::iAudio_finishedPlaying() {
  Required(btnPause).Visible(false);
  Required(btnPlay).Caption(kCaptionPlay);
  ChangePicture(*btnPlay, kFacePlay);
  TouchMailItem();
}

}  // namespace voxtrel
