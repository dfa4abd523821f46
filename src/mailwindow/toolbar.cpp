#include "host/error_trace.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"

namespace voxtrel {

std::shared_ptr<outlook::IButton> MailWindow::AddButton(outlook::IControls& controls,
                                                        const std::string& parameter,
                                                        const std::string& caption, bool visible,
                                                        std::int16_t faceSlot,
                                                        std::string_view member) {
  auto button = controls.AddButton(parameter);
  outlook::IButton& control = Required(button);
  control.Tag(TagOf(member));
  control.Caption(caption);
  control.Style(outlook::kButtonIconAndCaption);
  control.Visible(visible);
  ChangePicture(control, faceSlot);
  return button;
}

// The handler gets the button it was clicked on, held for the click: a close inside it releases
// the members.
void MailWindow::BindButton(std::shared_ptr<outlook::IButton>& member, outlook::Subscription& click,
                            std::shared_ptr<outlook::IButton> button,
                            void (MailWindow::*handler)(outlook::IButton&, bool&)) {
  click.reset();
  member = std::move(button);
  if (!member) return;
  click = Required(member->SubscribeClick(
      [this, handler, weak = std::weak_ptr<outlook::IButton>(member)](bool& CancelDefault) {
        HandleEvent("MailWindow.Click ERROR: ", [&] {
          if (const auto ctl = weak.lock()) (this->*handler)(*ctl, CancelDefault);
        });
      }));
}

void MailWindow::AddButtonsToBar() {
  TraceErrors("MailWindow.AddButtonsToBar} ERROR: ", [&] {
    auto controls = Required(oBar).Controls();
    outlook::IControls& bar = Required(controls);
    btnVoxtrel = AddButton(bar, "Vox Trel", "Voxtrel", true, kFaceVoxtrel, "btnVoxtrel");
    btnVoxtrelClick = Required(btnVoxtrel->SubscribeClick([this](bool& c) {
      HandleEvent("MailWindow.btnVoxtrel_Click ERROR: ", [&] { btnVoxtrel_Click(c); });
    }));
    BindButton(btnRecord, btnRecordClick,
               AddButton(bar, "Record", kCaptionRecord, bComposing, kFaceRecord, "btnRecord"),
               &MailWindow::btnRecord_Click);
    BindButton(btnPlay, btnPlayClick,
               AddButton(bar, "Play", kCaptionPlay, bHasAttachments, kFacePlay, "btnPlay"),
               &MailWindow::btnPlay_Click);
    BindButton(btnPause, btnPauseClick,
               AddButton(bar, "Pause", kCaptionPause, false, kFacePause, "btnPause"),
               &MailWindow::btnPause_Click);

    auto files = bar.AddComboBox("Files");
    Required(files).Tag(TagOf("cmbFiles"));
    files->Caption("Files");
    files->Style(outlook::kComboLabel);
    files->Visible(false);
    cmbFiles = files;

    BindButton(
        btnDelete, btnDeleteClick,
        AddButton(bar, "Delete", "Delete", bComposing && bHasAttachments, kFaceDelete, "btnDelete"),
        &MailWindow::btnDelete_Click);

    // Office's own caption stays: the face and the tooltip name this button.
    auto properties = bar.AddButton("Properties");
    Required(properties).Tag(TagOf("btnProperties"));
    properties->Style(outlook::kButtonIconAndCaption);
    properties->Visible(true);
    properties->ToolTipText("Voxtrel Properties");
    ChangePicture(*properties, kFaceProperties);
    btnProperties = properties;
    btnPropertiesClick = Required(properties->SubscribeClick([this](bool& c) {
      HandleEvent("MailWindow.btnProperties_Click ERROR: ", [&] { btnProperties_Click(c); });
    }));

    oBar->Position(outlook::kBarTop);
    oBar->Visible(true);
  });
}

}  // namespace voxtrel
