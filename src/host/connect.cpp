#include "host/connect.h"

#include <cstdint>
#include <string>
#include <variant>

#include "audio/working_folders.h"
#include "common/error.h"
#include "common/version.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "host/registry.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/required.h"
#include "platform/platform.h"
#include "ribbon/custom_ui_xml.h"

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

// A recording reads "AQ", which only the installer writes: an add-in registered any other way
// would fail its first recording without it.
void EnsureAudioQuality() {
  constexpr char kAudioQuality[] = "AQ";
  const classic::Variant value =
      Registry::GetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, kAudioQuality);
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr || !text->empty()) return;
  Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, kAudioQuality,
                     std::string("1"));
}

// The first selected item as a mail item when the explorer shows a mail folder with items and
// something is selected; empty otherwise. A selected item that is not mail fails the call.
std::shared_ptr<outlook::IMailItem> SelectedMailItem(outlook::IExplorer& explorer) {
  const auto folder = explorer.CurrentFolder();
  if (Required(Required(folder).Items()).Count() < 1) return nullptr;
  if (folder->DefaultItemType() != outlook::kMailItemType) return nullptr;
  const auto selection = explorer.Selection();
  if (Required(selection).Count() < 1) return nullptr;
  return Required(selection->Item(1)).AsMailItem();
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
  // Outlook 2010 and later end without releasing the add-in: what an ended run left goes now.
  RemoveLeftWorkingFolders();
  EnsureAudioQuality();
  TraceErrors("Connect.AddinInstance_OnConnection ERROR: ", [&] {
    if (!Application) throw Error(errnum::kTypeMismatch);
    oApp = std::move(Application);
    TraceWrite("Using Windows: " + std::to_string(static_cast<std::int32_t>(
                                       platform::Current().system.WindowsVersion())));
    const std::string version = oApp->Version();
    TraceWrite("Using Outlook: " + version);
    outlookVersion = MajorVersion(version);
    releaseAtLastWindow = outlookVersion < 12;
    SubscribeExplorer(oApp->ActiveExplorer());
    SubscribeInspectors(oApp->Inspectors());
    TraceWrite("Connect: Opened No Problem!");
  });
  // With neither window source to follow, nothing would ever let go of the application.
  if (!OLExplorer && !OLInspectors) ReleaseAll();
}

void Connect::AddinInstance_OnDisconnection() {
  TraceWrite("ENTER AddinInstance_OnDisconnection()");
  AddinInstance_Terminate();
  TraceWrite("EXIT AddinInstance_OnDisconnection()");
}

// Outlook 2000 to 2003 stay in memory if the add-in misses its explorer's Close: when the
// connection could not follow the explorer, it tries once more now that Outlook has started.
void Connect::AddinInstance_OnStartupComplete() {
  if (!oApp || OLExplorer) return;
  TraceErrors("Connect.AddinInstance_OnStartupComplete ERROR: ",
              [&] { SubscribeExplorer(oApp->ActiveExplorer()); });
}

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
  ReleaseAll();
  TraceWrite("-> EXT  AddinInstance_Terminate()");
}

void Connect::ReleaseAll() noexcept {
  iMailWindow.reset();
  iMailView.reset();
  ribbonUis.clear();
  // Windows whose audio object still holds them would outlive the connection.
  MailWindow::EndAll();
  oApp.reset();
  openInspectors.clear();
  SubscribeInspectors(nullptr);
  SubscribeExplorer(nullptr);
}

std::shared_ptr<MailWindow> Connect::NewMailWindow(bool onRibbon) {
  auto window = std::make_shared<MailWindow>(++mailWindowsMade, outlookVersion);
  if (onRibbon) {
    window->UseRibbon(std::make_shared<ribbon::RibbonWindow>(
        [this](const std::string& id) { InvalidateRibbonControl(id); }));
  }
  return window;
}

void Connect::SubscribeExplorer(std::shared_ptr<outlook::IExplorer> explorer) {
  OLExplorerClose.reset();
  OLExplorerSelectionChange.reset();
  OLExplorerInlineResponse.reset();
  OLExplorerInlineResponseClose.reset();
  OLExplorer.reset();
  if (!explorer) return;
  try {
    OLExplorerClose = Required(explorer->SubscribeClose([this] {
      HandleEvent("Connect.OLExplorer_Close ERROR: ", [this] { OLExplorer_Close(); });
    }));
    OLExplorerSelectionChange =
        Required(explorer->SubscribeSelectionChange([this] { OLExplorer_SelectionChange(); }));
    if (ribbon::ServesInlineResponses(outlookVersion)) {
      OLExplorerInlineResponse = Required(
          explorer->SubscribeInlineResponse([this](const std::shared_ptr<outlook::IItem>& Item) {
            HandleEvent("Connect.OLExplorer_InlineResponse ERROR: ",
                        [&] { OLExplorer_InlineResponse(Item); });
          }));
      OLExplorerInlineResponseClose = Required(explorer->SubscribeInlineResponseClose([this] {
        HandleEvent("Connect.OLExplorer_InlineResponseClose ERROR: ",
                    [this] { OLExplorer_InlineResponseClose(); });
      }));
    }
  } catch (...) {
    OLExplorerClose.reset();
    OLExplorerSelectionChange.reset();
    OLExplorerInlineResponse.reset();
    OLExplorerInlineResponseClose.reset();
    throw;
  }
  OLExplorer = std::move(explorer);
}

void Connect::SubscribeInspectors(std::shared_ptr<outlook::IInspectors> inspectors) {
  OLInspectorsNewInspector.reset();
  OLInspectors.reset();
  if (!inspectors) return;
  OLInspectorsNewInspector = Required(inspectors->SubscribeNewInspector(
      [this](const std::shared_ptr<outlook::IInspector>& Inspector) {
        OLInspectors_NewInspector(Inspector);
      }));
  OLInspectors = std::move(inspectors);
}

void Connect::TrackInspector(std::shared_ptr<outlook::IInspector> inspector) {
  const std::uint64_t key = ++inspectorsTracked;
  auto close = Required(Required(inspector).SubscribeClose([this, key] {
    HandleEvent("Connect.OLInspector_Close ERROR: ", [this, key] { OpenInspector_Close(key); });
  }));
  openInspectors.push_back({key, std::move(inspector), std::move(close), nullptr});
}

void Connect::OpenInspector_Close(std::uint64_t inspector) {
  // Out of the list first: the window's object may end here.
  std::vector<OpenInspector> closed;
  for (auto open = openInspectors.begin(); open != openInspectors.end();) {
    if (open->key == inspector) {
      closed.push_back(std::move(*open));
      open = openInspectors.erase(open);
    } else {
      ++open;
    }
  }
  closed.clear();
  ReleaseIfLastWindowClosed();
}

void Connect::ReleaseIfLastWindowClosed() {
  if (!releaseAtLastWindow || !oApp || OLExplorer || !openInspectors.empty()) return;
  TraceWrite("Connect: Outlook's last window has closed: releasing its objects");
  ReleaseAll();
}

void Connect::OLExplorer_Close() {
  TraceWrite(" -> ENT Connect::OLExplorer_Close()");
  // An inspector still open keeps its bar: Outlook runs on for it.
  if (openInspectors.empty()) {
    TraceWrite("iMailWindow setting to Nothing");
    iMailWindow.reset();
  }
  TraceWrite("iMailView setting to Nothing");
  iMailView.reset();
  SubscribeExplorer(nullptr);
  TraceWrite(" -> EXT Connect::OLExplorer_Close()");
  ReleaseIfLastWindowClosed();
}

void Connect::OLExplorer_SelectionChange() {
  HandleEvent("Connect.OLExplorer_SelectionChange ERROR: ", [&] {
    try {
      if (!iMailView) iMailView = NewMailWindow(ribbon::ServesExplorer(outlookVersion));
      if (iMailView->ServesInlineResponse()) return;
      // The explorer's own object hears the same event, before or after this one.
      iMailView->mvarExplorer_SelectionChange();
      if (auto mail = SelectedMailItem(Required(OLExplorer))) iMailView->oMail(std::move(mail));
      iMailView->oExplorer(OLExplorer);
      iMailView->mvarExplorer_SelectionChange();
    } catch (...) {
      // The one error line of the add-in that carries the number, right after the description.
      TraceWrite("Connect.OLExplorer_SelectionChange ERROR: " + CurrentErrorDescription() +
                 std::to_string(CurrentErrorNumber()));
    }
  });
}

void Connect::OLInspectors_NewInspector(const std::shared_ptr<outlook::IInspector>& Inspector) {
  HandleEvent("Connect.OLInspectors_NewInspector ERROR: ", [&] {
    try {
      TrackInspector(Inspector);
    } catch (...) {
      // A window whose Close goes unheard: with nothing else to follow, nothing would ever let
      // go of Outlook's objects.
      if (releaseAtLastWindow && !OLExplorer && openInspectors.empty()) ReleaseAll();
      throw;
    }
    const bool onRibbon = ribbon::ServesInspectors(outlookVersion);
    // The previous inspector's object ends before the new one exists; where the Ribbon serves
    // inspectors, every open one keeps its own.
    iMailWindow.reset();
    iMailWindow = NewMailWindow(onRibbon);
    if (onRibbon) openInspectors.back().window = iMailWindow;
    const auto item = Inspector->CurrentItem();
    if (Required(item).IsMailItem()) iMailWindow->oMail(item->AsMailItem());
    iMailWindow->oInspector(Inspector);
  });
}

}  // namespace voxtrel
