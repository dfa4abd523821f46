#include "common/classic.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"

namespace voxtrel {

// Maps the Files list's selection to the attachment's position as it was listed. The user may
// have removed or added attachments in Outlook's own window since: then the position may hold
// another file, so only an unchanged count and the entry's own name there will do.
std::int16_t MailWindow::SelectedAttachmentIndex() {
  auto attachments = Required(oMail_).Attachments();
  const std::int32_t count = Required(attachments).Count();
  const std::int32_t selected = Required(cmbFiles).ListIndex();
  if (count != listedAttachmentCount || selected < 1 ||
      selected > static_cast<std::int32_t>(listedAttachments.size())) {
    return 0;
  }
  const ListedAttachment& entry = listedAttachments[static_cast<std::size_t>(selected - 1)];
  if (Required(attachments->Item(entry.position)).FileName() != entry.name) return 0;
  return classic::CInt(entry.position);
}

void MailWindow::RefreshStaleList(std::string_view routine) {
  modTraceWrite::TraceWrite(std::string(routine) +
                            ": the Files list no longer matches the attachments; listed again");
  cmbFiles = RefreshComboList(cmbFiles);
  ShowButtonsForList();
}

// Play and Delete only with an entry to act on; Record again in a message being written once
// its voice attachments are gone.
void MailWindow::ShowButtonsForList() {
  if (Required(cmbFiles).ListCount() == 0) {
    Required(btnPlay).Visible(false);
    Required(btnDelete).Visible(false);
    if (bComposing) Required(btnRecord).Visible(true);
  }
  if (cmbFiles->ListCount() < 2) cmbFiles->Visible(false);
}

void MailWindow::btnPlay_Click(outlook::IButton& Ctrl, bool&) {
  const auto self = shared_from_this();
  const std::shared_ptr<Audio> audio = iAudio;
  ClickBanner("--- PLAY ---", "btnPlay_Click", Ctrl.Caption());
  TraceErrors("MailWindow.btnPlay_Click } ERROR: ", [&] {
    // Only a voice attachment that is still the selected entry's is saved and played.
    std::int16_t position = 0;
    if (Required(audio).bFinishedPlaying) {
      position = SelectedAttachmentIndex();
      if (position == 0) {
        RefreshStaleList("MailWindow.btnPlay_Click");
        return;
      }
    }
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
      auto attachment = Required(Required(oMail_).Attachments()).Item(position);
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
