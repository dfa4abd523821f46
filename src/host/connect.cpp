#include "host/connect.h"

#include <cstdint>
#include <string>

#include "common/error.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "platform/platform.h"

namespace voxtrel {
namespace {

using modTraceWrite::TraceWrite;

// A standard user may not write to the add-in's folder when an administrator installed it, and
// a log that cannot be created must not cost the user the add-in.
void OpenTraceLog() {
  platform::ISystemInfo& system = platform::Current().system;
  try {
    modTraceWrite::TraceOpen(system.AppPath() + "\\" + Connect::kTraceName);
  } catch (const Error&) {
    modTraceWrite::TraceOpen(system.TempPath() + "\\" + Connect::kFallbackTraceName);
  }
}

// The first selected item as a mail item when the explorer shows a mail folder with items and
// something is selected; empty otherwise. A selected item that is not mail fails the call.
std::shared_ptr<outlook::IMailItem> SelectedMailItem(outlook::IExplorer& explorer) {
  const auto folder = explorer.CurrentFolder();
  if (folder->Items()->Count() < 1) return nullptr;
  if (folder->DefaultItemType() != outlook::kMailItemType) return nullptr;
  const auto selection = explorer.Selection();
  if (selection->Count() < 1) return nullptr;
  return selection->Item(1)->AsMailItem();
}

}  // namespace

Connect::Connect() = default;

Connect::~Connect() {
  try {
    AddinInstance_Terminate();
  } catch (...) {
    // The final release has nobody to report to; what the handler left is released below.
  }
  ReleaseAll();
}

void Connect::AddinInstance_OnConnection(std::shared_ptr<outlook::IApplication> Application) {
  OpenTraceLog();
  TraceErrors("Connect.AddinInstance_OnConnection ERROR: ", [&] {
    if (!Application) throw Error(errnum::kTypeMismatch);
    oApp = std::move(Application);
    TraceWrite("Using Windows: " + std::to_string(static_cast<std::int32_t>(
                                       platform::Current().system.WindowsVersion())));
    TraceWrite("Using Outlook: " + oApp->Version());
    SubscribeExplorer(oApp->ActiveExplorer());
    SubscribeInspectors(oApp->Inspectors());
    TraceWrite("Connect: Opened No Problem!");
  });
}

void Connect::AddinInstance_OnDisconnection() {
  TraceWrite("ENTER AddinInstance_OnDisconnection()");
  AddinInstance_Terminate();
  TraceWrite("EXIT AddinInstance_OnDisconnection()");
}

void Connect::AddinInstance_OnStartupComplete() {}

void Connect::AddinInstance_OnBeginShutdown() {}

void Connect::AddinInstance_OnAddInsUpdate() {}

void Connect::AddinInstance_Terminate() {
  TraceWrite("-> ENT AddinInstance_Terminate()");
  if (iMailWindow) {
    TraceWrite("iMailWindow setting to Nothing");
    iMailWindow.reset();
  }
  if (iMailView) {
    TraceWrite("iMailView setting to Nothing");
    iMailView.reset();
  }
  // Windows whose audio object still holds them would outlive the connection.
  MailWindow::EndAll();
  oApp.reset();
  SubscribeInspectors(nullptr);
  SubscribeExplorer(nullptr);
  TraceWrite("-> EXT  AddinInstance_Terminate()");
}

void Connect::ReleaseAll() noexcept {
  iMailWindow.reset();
  iMailView.reset();
  oApp.reset();
  SubscribeInspectors(nullptr);
  SubscribeExplorer(nullptr);
}

void Connect::SubscribeExplorer(std::shared_ptr<outlook::IExplorer> explorer) {
  OLExplorerClose.reset();
  OLExplorerSelectionChange.reset();
  OLExplorer = std::move(explorer);
  if (!OLExplorer) return;
  OLExplorerClose = OLExplorer->SubscribeClose([this] { OLExplorer_Close(); });
  OLExplorerSelectionChange =
      OLExplorer->SubscribeSelectionChange([this] { OLExplorer_SelectionChange(); });
}

void Connect::SubscribeInspectors(std::shared_ptr<outlook::IInspectors> inspectors) {
  OLInspectorsNewInspector.reset();
  OLInspectors = std::move(inspectors);
  if (!OLInspectors) return;
  OLInspectorsNewInspector = OLInspectors->SubscribeNewInspector(
      [this](const std::shared_ptr<outlook::IInspector>& Inspector) {
        OLInspectors_NewInspector(Inspector);
      });
}

void Connect::OLExplorer_Close() {
  TraceWrite(" -> ENT Connect::OLExplorer_Close()");
  TraceWrite("iMailWindow setting to Nothing");
  iMailWindow.reset();
  TraceWrite("iMailView setting to Nothing");
  iMailView.reset();
  TraceWrite(" -> EXT Connect::OLExplorer_Close()");
}

void Connect::OLExplorer_SelectionChange() {
  try {
    if (!iMailView) iMailView = std::make_shared<MailWindow>();
    if (auto mail = SelectedMailItem(*OLExplorer)) iMailView->oMail(std::move(mail));
    iMailView->oExplorer(OLExplorer);
  } catch (...) {
    // The one error line of the add-in that carries the number, right after the description.
    TraceWrite("Connect.OLExplorer_SelectionChange ERROR: " + CurrentErrorDescription() +
               std::to_string(CurrentErrorNumber()));
  }
}

void Connect::OLInspectors_NewInspector(const std::shared_ptr<outlook::IInspector>& Inspector) {
  TraceErrors("Connect.OLInspectors_NewInspector ERROR: ", [&] {
    // The previous inspector's object ends before the new one exists.
    iMailWindow.reset();
    iMailWindow = std::make_shared<MailWindow>();
    const auto item = Inspector->CurrentItem();
    if (item->IsMailItem()) iMailWindow->oMail(item->AsMailItem());
    iMailWindow->oInspector(Inspector);
  });
}

}  // namespace voxtrel
