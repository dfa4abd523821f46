#include "mailwindow/mail_window.h"
#include "mailwindow/product_site.h"
#include "options/frm_install.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

}  // namespace

void MailWindow::btnVoxtrel_Click([[maybe_unused]] bool& CancelDefault) {
  const std::uintptr_t owner = frmInstall::Instance().hWnd();
  platform::Current().shell.OpenWithShell(owner, ProductSiteUrl, "c:\\", kShowNormal);
}

void MailWindow::btnProperties_Click([[maybe_unused]] bool& CancelDefault) {
  frmInstall::Instance().Show();
}

}  // namespace voxtrel
