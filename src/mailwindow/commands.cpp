#include "audio/mod_utils.h"
#include "common/classic.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

using modTraceWrite::TraceWrite;

constexpr char kNotStarted[] = "The recording could not be started";
constexpr char kNotAttached[] = "The recording could not be attached";

const char* TrueFalse(bool value) {
  return value ? "True" : "False";
}

}  // namespace

void MailWindow::ClickBanner(std::string_view title, std::string_view handler,
                             const std::string& caption) {
  TraceWrite("");
  TraceWrite(title);
  TraceWrite(handler);
  TraceWrite("Caption: " + caption);
}

// A window's recording and playback use its audio object's own folder, so two windows never
// overwrite each other's message.
std::string MailWindow::MessageFile() {
  return Required(iAudio).workingFile(Audio::kMessageFile);
}

// Writing back what was read marks the item changed, so Outlook saves the attachment change. A
// received message is left as it came: Outlook would ask to save changes nobody made.
void MailWindow::TouchMailItem() {
  outlook::IMailItem& mail = Required(oMail_);
  if (mail.Sent()) return;
  mail.BillingInformation(mail.BillingInformation());
}

void MailWindow::ShowRecordButton() {
  Required(btnRecord).Caption(kCaptionRecord);
  ChangePicture(*btnRecord, kFaceRecord);
  btnRecord->Visible(true);
  Required(btnPause).Visible(false);
  btnPause->Caption(kCaptionPause);
  ChangePicture(*btnPause, kFacePause);
  Required(btnPlay).Visible(Required(cmbFiles).ListCount() > 0);
}

// The user may try again at once; a message box says why nothing was attached, as the trace
// is not where a user looks.
void MailWindow::RecordingFailed(const std::string& what, const std::string& why) {
  const std::string reason = classic::Trim(why);
  TraceWrite("MailWindow.btnRecord: " + what + ": " + reason);
  ShowRecordButton();
  platform::Current().shell.ShowMessageBox(what + ".\r\n" + reason, modUtils::kAppTitle);
}

// Discarded unsaved: a paused recording that Delete ends is not the user's message.
void MailWindow::EndPausedRecording(Audio& audio) {
  audio.Abandon();
  TraceWrite("MailWindow.btnDelete_Click: the paused recording is discarded");
  ShowRecordButton();
}

// Record has returned with the caption "Stop": a recording that could not start, or made no
// new message, gives the bar back; a finished one is attached; one that runs keeps the bar.
void MailWindow::AfterRecord(Audio& audio, bool starting) {
  if (const std::optional<std::string> failure = audio.recordFailure()) {
    // When it was stopping, the message file there is an older one, or none.
    RecordingFailed(starting ? kNotStarted : kNotAttached, *failure);
  } else if (audio.bFinishedRecording) {
    if (const std::optional<std::string> refused = AddAttachment(MessageFile())) {
      RecordingFailed(kNotAttached, *refused);
    } else {
      RecordingAttached();
    }
  }
}

void MailWindow::RecordingAttached() {
  // Outlook appends it: the new recording is the last voice attachment.
  if (cmbFiles && cmbFiles->ListCount() > 1) cmbFiles->ListIndex(cmbFiles->ListCount());
  TraceWrite("Mailwindow.btnRecord: Attachment added");
  Required(btnRecord).Caption(kCaptionRecord);
  ChangePicture(*btnRecord, kFaceRecord);
  btnRecord->Visible(false);
  Required(btnPause).Visible(false);
  btnPause->Caption(kCaptionPause);
  ChangePicture(*btnPause, kFacePause);
  Required(btnPlay).Visible(true);
  Required(btnDelete).Visible(true);
  bHasAttachments = true;
  TouchMailItem();
}

void MailWindow::btnRecord_Click(outlook::IButton& Ctrl, bool&) {
  // A close inside the pumps releases the members; the click finishes on what it started with.
  const auto self = shared_from_this();
  const std::shared_ptr<Audio> audio = iAudio;
  ClickBanner("--- RECORD ----", "btnRecord_Click", Ctrl.Caption());
  TraceErrors("MailWindow.btnRecord_Click } ERROR: ", [&] {
    Required(btnPlay).Visible(false);
    const bool starting = Required(btnRecord).Caption() == kCaptionRecord;
    if (starting) {
      Required(audio).Creator = self;
      TraceWrite("Audio.Record: Creator Set");
      btnRecord->Caption(kCaptionStop);
      ChangePicture(*btnRecord, kFaceStop);
      Required(btnPause).Visible(true);
      PositionAudioForm();
    }
    audio->fileName(MessageFile());
    audio->Record(false, "");
    TraceWrite("MailWindow.btnRecord: Back from iAudio");
    const std::string caption = Required(btnRecord).Caption();
    TraceWrite("MailWindow.btnRecord: btnRecord.Caption = '" + caption +
               "' bFinishedRecording = " + TrueFalse(audio->bFinishedRecording));
    if (caption == kCaptionStop) AfterRecord(*audio, starting);
    TraceWrite("---------------------------");
  });
}

void MailWindow::btnPause_Click(outlook::IButton& Ctrl, bool&) {
  const auto self = shared_from_this();
  const std::shared_ptr<Audio> audio = iAudio;
  ClickBanner("--- PAUSE ---", "btnPause_Click", Ctrl.Caption());
  TraceErrors("MailWindow.btnPause_Click} ERROR: ", [&] {
    outlook::IButton& pause = Required(btnPause);
    if (pause.Caption() != kCaptionPause) {
      pause.Caption(kCaptionPause);
    } else {
      Required(audio).bPaused = true;
      pause.Caption(kCaptionContinue);
    }
    PositionAudioForm();
    Required(audio).Pause(false);
    TouchMailItem();
  });
}

void MailWindow::btnDelete_Click(outlook::IButton& Ctrl, bool& CancelDefault) {
  const auto self = shared_from_this();
  const std::shared_ptr<Audio> audio = iAudio;
  ClickBanner("---- DELETE ----", "btnDelete_Click", Ctrl.Caption());
  bool again = false;
  TraceErrors("MailWindow.btnDelete_Click} ERROR: ", [&] {
    outlook::IButton& pause = Required(btnPause);
    if (Required(btnRecord).Caption() == kCaptionStop && pause.Caption() == kCaptionContinue) {
      EndPausedRecording(Required(audio));
      return;
    }
    if (pause.Caption() == kCaptionContinue) {
      pause.Caption(kCaptionPause);
      ChangePicture(pause, kFacePause);
      Required(audio).Play(false);
    } else if (pause.Caption() == kCaptionPause && !Required(audio).bFinishedPlaying) {
      audio->Pause(false);
      audio->Play(false);
    }
    if (oMail_) {
      auto attachments = oMail_->Attachments();
      if (Required(attachments).Count() == 0 && listedAttachments.empty()) return;
      // Only a voice attachment that is still the selected entry's is removed.
      const std::int16_t position = SelectedAttachmentIndex();
      if (position == 0) {
        RefreshStaleList("MailWindow.btnDelete_Click");
        return;
      }
      attachments->Remove(position);
      cmbFiles = RefreshComboList(cmbFiles);
      if (Required(cmbFiles).ListCount() == 0) {
        Required(btnDelete).Visible(false);
        Required(btnPlay).Visible(false);
      }
      Required(btnRecord).Visible(true);
      if (cmbFiles->ListCount() < 2) cmbFiles->Visible(false);
    } else {
      again = BindMailItemOfWindow();
    }
  });
  if (again) btnDelete_Click(Ctrl, CancelDefault);
}

std::optional<std::string> MailWindow::AddAttachment(const std::string& path) {
  std::optional<std::string> failure = "The window shows no mail item.";
  bool again = false;
  try {
    if (oMail_) {
      Required(Required(oMail_->Attachments()).Add(path, 1));
      failure.reset();
      TraceWrite("MailWindow.AddAttachment: Voxtrel.mp3 Attached");
      cmbFiles = RefreshComboList(cmbFiles);
    } else if (mvarInspector) {
      TraceWrite("MailWindow.AddAttachment: mvarInspector");
      again = BindMailItemOfWindow();
    } else if (mvarExplorer) {
      TraceWrite("MailWindow.AddAttachment: mvarExplorer");
      again = BindMailItemOfWindow();
    }
  } catch (...) {
    const std::string description = CurrentErrorDescription();
    if (failure) failure = description;
    TraceErrorLine("MailWindow.AddAttachment} ERROR: ", description);
  }
  return again ? AddAttachment(path) : failure;
}

// Right of the bar's last visible control, on the row of its last control.
void MailWindow::PositionAudioForm() {
  std::int32_t x = mvarInspector ? mvarInspector->Left() : Required(mvarExplorer).Left() + 2;
  std::int32_t y = 0;
  auto controls = Required(oBar).Controls();
  const std::int32_t count = Required(controls).Count();
  for (std::int32_t index = 1; index <= count; ++index) {
    auto control = controls->Item(index);
    if (Required(control).Visible()) x = x + control->Width() + 5;
    y = control->Top();
  }
  x = x + 4;
  std::int16_t formX = classic::CInt(x);
  std::int16_t formY = classic::CInt(y);
  Required(iAudio).setFormVizPos(formX, formY, nullptr);
}

}  // namespace voxtrel
