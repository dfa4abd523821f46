#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "outlook/object_model.h"
#include "outlook/subscription.h"

namespace voxtrel {

class MailWindow;

// The add-in as Outlook sees it: traces the versions, follows the explorer that was active at
// connection and every new inspector, and gives each of them a mail window object. One per
// connection; its destructor is the final release (runs AddinInstance_Terminate). Outlook 2000
// to 2003 stay in memory while an add-in holds anything of theirs after their last window has
// closed, so there it lets go of everything then.
class Connect {
 public:
  // The trace log in the add-in's folder, and its name in the user's temporary folder when the
  // add-in's folder is closed to the user (an administrator's install).
  static constexpr char kTraceName[] = "Debug.log";
  static constexpr char kFallbackTraceName[] = "Voxtrel Outlook debug.log";

  Connect();
  ~Connect();
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  void AddinInstance_OnConnection(std::shared_ptr<outlook::IApplication> Application);
  void AddinInstance_OnDisconnection();
  void AddinInstance_OnStartupComplete();
  void AddinInstance_OnBeginShutdown();  // does nothing
  void AddinInstance_OnAddInsUpdate();   // does nothing

 private:
  void AddinInstance_Terminate();
  void OLExplorer_Close();
  void OLExplorer_SelectionChange();
  void OLInspectors_NewInspector(const std::shared_ptr<outlook::IInspector>& Inspector);
  // An inspector Outlook opened has closed.
  void OpenInspector_Close(std::uint64_t inspector);
  // Each step may fail; what cannot be subscribed is not kept, so it can never be held for good.
  void SubscribeExplorer(std::shared_ptr<outlook::IExplorer> explorer);
  void SubscribeInspectors(std::shared_ptr<outlook::IInspectors> inspectors);
  void TrackInspector(std::shared_ptr<outlook::IInspector> inspector);
  std::shared_ptr<MailWindow> NewMailWindow();
  // Once Outlook 2000 to 2003 have no window left: lets go of all of Outlook's objects.
  void ReleaseIfLastWindowClosed();
  // Without trace lines: what the final release must end even when the log cannot be written.
  void ReleaseAll() noexcept;

  // An inspector Outlook has open, followed to its Close (a subscription holds its object,
  // as a COM connection point does).
  struct OpenInspector {
    std::uint64_t key;
    std::shared_ptr<outlook::IInspector> inspector;
    outlook::Subscription close;
  };

  std::shared_ptr<outlook::IApplication> oApp;
  std::shared_ptr<MailWindow> iMailWindow;
  std::shared_ptr<MailWindow> iMailView;
  std::shared_ptr<outlook::IExplorer> OLExplorer;
  outlook::Subscription OLExplorerClose;
  outlook::Subscription OLExplorerSelectionChange;
  std::shared_ptr<outlook::IInspectors> OLInspectors;
  outlook::Subscription OLInspectorsNewInspector;
  std::vector<OpenInspector> openInspectors;
  bool releaseAtLastWindow = false;  // Outlook 2000 to 2003
  int outlookVersion = 0;            // Application.Version's first number
  int mailWindowsMade = 0;           // numbers each window's controls apart
  std::uint64_t inspectorsTracked = 0;
};

}  // namespace voxtrel
