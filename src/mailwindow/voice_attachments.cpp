#include "host/error_trace.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"

namespace voxtrel {

bool IsVoiceAttachment(std::string_view fileName) {
  return fileName.ends_with("mp3");
}

bool MailWindow::BindMailItemOfWindow() {
  std::shared_ptr<outlook::IItem> item;
  if (mvarInspector) {
    item = mvarInspector->CurrentItem();
  } else if (mvarExplorer) {
    item = Required(mvarExplorer->Selection()).Item(1);
  } else {
    return false;
  }
  if (!Required(item).IsMailItem()) return false;
  oMail(item->AsMailItem());
  return true;
}

std::shared_ptr<outlook::IComboBox> MailWindow::RefreshComboList(
    std::shared_ptr<outlook::IComboBox> list) {
  TraceErrors("MailWindow.RefreshComboList} ERROR: ", [&] {
    if (!oMail_) {
      if (BindMailItemOfWindow()) list = RefreshComboList(list);
    } else {
      outlook::IComboBox& files = Required(list);
      files.Clear();
      listedAttachments.clear();
      listedAttachmentCount = 0;
      auto attachments = oMail_->Attachments();
      const std::int32_t count = Required(attachments).Count();
      listedAttachmentCount = count;
      for (std::int32_t position = 1; position <= count; ++position) {
        const std::string name = Required(attachments->Item(position)).FileName();
        if (!IsVoiceAttachment(name)) continue;
        files.AddItem(name);
        listedAttachments.push_back({position, name});
      }
      if (files.ListCount() > 1) files.Visible(true);
    }
    if (Required(list).ListCount() >= 1) list->ListIndex(1);
  });
  return list;
}

}  // namespace voxtrel
