#include "host/error_trace.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"

namespace voxtrel {

std::shared_ptr<outlook::IButton> MailWindow::AddButton(outlook::IControls& controls,
                                                        const std::string& parameter,
                                                        const std::string& caption, bool visible,
                                                        std::int16_t faceSlot) {
  auto button = controls.AddButton(parameter);
  outlook::IButton& control = Required(button);
  control.Caption(caption);
  control.Style(outlook::kButtonIconAndCaption);
  control.Visible(visible);
  ChangePicture(control, faceSlot);
  return button;
}

void MailWindow::AddButtonsToBar() {
  TraceErrors("MailWindow.AddButtonsToBar} ERROR: ", [&] {
    auto controls = Required(oBar).Controls();
    outlook::IControls& bar = Required(controls);
    btnVoxtrel = AddButton(bar, "Vox Trel", "Voxtrel", true, kFaceVoxtrel);
    btnVoxtrelClick = btnVoxtrel->SubscribeClick([this](bool& c) { btnVoxtrel_Click(c); });
    btnRecord = AddButton(bar, "Record", "Record", bComposing, kFaceRecord);
    btnPlay = AddButton(bar, "Play", "Play", bHasAttachments, kFacePlay);
    btnPause = AddButton(bar, "Pause", "Pause", false, kFacePause);

    auto files = bar.AddComboBox("Files");
    Required(files).Caption("Files");
    files->Style(outlook::kComboLabel);
    files->Visible(false);
    cmbFiles = files;

    btnDelete = AddButton(bar, "Delete", "Delete", bComposing && bHasAttachments, kFaceDelete);

    // Office's own caption stays: the face and the tooltip name this button.
    auto properties = bar.AddButton("Properties");
    Required(properties).Style(outlook::kButtonIconAndCaption);
    properties->Visible(true);
    properties->ToolTipText("Voxtrel Properties");
    ChangePicture(*properties, kFaceProperties);
    btnProperties = properties;
    btnPropertiesClick = properties->SubscribeClick([this](bool& c) { btnProperties_Click(c); });

    oBar->Position(outlook::kBarTop);
    oBar->Visible(true);
  });
}

}  // namespace voxtrel
