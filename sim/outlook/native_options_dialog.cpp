#include "sim/outlook/native_options_dialog.h"

#include <algorithm>

namespace voxtrel::olsim {

std::vector<DialogView> NativeOptionsDialog::Views() {
  std::vector<DialogView> views;
  for (const auto& record : forms_.Dialogs()) {
    if (!record->loaded) continue;
    const auto& design = record->design;
    DialogView view{design.caption, "", "", record->visible};
    if (!design.labels.empty()) view.label = record->labels.at(design.labels.front().label.name);
    if (!design.checkBoxes.empty()) {
      const std::string& box = design.checkBoxes.front().name;
      view.box = design.checkBoxes.front().caption;
      view.boxState = record->boxValues.at(box);
      view.boxVisible = record->boxVisible.at(box);
    }
    views.push_back(view);
  }
  return views;
}

sim::DialogRecord& NativeOptionsDialog::Open() {
  const auto& dialogs = forms_.Dialogs();
  const auto open = std::find_if(dialogs.rbegin(), dialogs.rend(),
                                 [](const auto& record) { return record->loaded; });
  if (open == dialogs.rend()) throw ActionRefused("no options dialog is open");
  if (!(*open)->visible) throw ActionRefused("the options dialog is not shown");
  return **open;
}

// A click on the box: a ticked box clears, a clear or grey one ticks.
void NativeOptionsDialog::ClickBox() {
  sim::DialogRecord& dialog = Open();
  if (dialog.design.checkBoxes.empty()) throw ActionRefused("the dialog has no box");
  const std::string box = dialog.design.checkBoxes.front().name;
  if (!dialog.boxVisible.at(box)) throw ActionRefused("the box is hidden");
  int& state = dialog.boxValues.at(box);
  state = state == 1 ? 0 : 1;
  dialog.events->Click(box);
}

void NativeOptionsDialog::ClickOk() {
  sim::DialogRecord& dialog = Open();
  const auto& buttons = dialog.design.buttons;
  const auto ok = std::find_if(buttons.begin(), buttons.end(),
                               [](const auto& button) { return button.caption == "OK"; });
  if (ok == buttons.end()) throw ActionRefused("the dialog has no OK button");
  dialog.events->Click(ok->name);
}

// The design's cancel button takes Esc.
void NativeOptionsDialog::PressEscape() {
  sim::DialogRecord& dialog = Open();
  const auto& buttons = dialog.design.buttons;
  const auto cancel = std::find_if(buttons.begin(), buttons.end(),
                                   [](const auto& button) { return button.cancel; });
  if (cancel != buttons.end()) dialog.events->Click(cancel->name);
}

void NativeOptionsDialog::ClickCloseBox() {
  Open().events->CloseBox();
}

}  // namespace voxtrel::olsim
