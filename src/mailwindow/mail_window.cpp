#include "mailwindow/mail_window.h"

#include <algorithm>
#include <array>
#include <exception>
#include <set>
#include <vector>

#include "host/error_trace.h"
#include "mailwindow/mod_mask_functions.h"
#include "mailwindow/required.h"

namespace voxtrel {
namespace {

// Explorer captions of the folders where a voice message has no place; the caption is the
// only test, so other languages and folder names keep the bar.
constexpr std::array<std::string_view, 4> kFoldersWithoutBar = {
    "Calendar - Microsoft Outlook", "Contacts - Microsoft Outlook", "Tasks - Microsoft Outlook",
    "Notes - Microsoft Outlook"};

bool ShowsNoMail(const std::string& caption) {
  return std::ranges::find(kFoldersWithoutBar, caption) != kFoldersWithoutBar.end();
}

// The window's bar of our name, walked in the collection's order; empty when there is none.
std::shared_ptr<outlook::ICommandBar> FindBar(outlook::ICommandBars& bars) {
  for (std::int32_t index = 1; index <= bars.Count(); ++index) {
    auto bar = bars.Item(index);
    if (Required(bar).Name() == MailWindow::kBarName) return bar;
  }
  return nullptr;
}

thread_local std::set<MailWindow*> liveWindows;

}  // namespace

MailWindow::MailWindow() : iAudio(std::make_shared<Audio>()) {
  liveWindows.insert(this);
  picFaces = LoadFaces();
  iAudioFinishedPlaying =
      iAudio->finishedPlayingEvent.Connect([this] { iAudio_finishedPlaying(); });
}

MailWindow::~MailWindow() {
  liveWindows.erase(this);
  try {
    Class_Terminate();
  } catch (...) {
    // A terminate handler's failure has nobody to go back to.
  }
}

void MailWindow::EndAll() noexcept {
  std::vector<std::shared_ptr<MailWindow>> windows;
  for (MailWindow* window : liveWindows) {
    if (auto held = window->weak_from_this().lock()) windows.push_back(std::move(held));
  }
  for (const auto& window : windows) {
    try {
      window->Class_Terminate();
    } catch (...) {
      // The bar of a window Outlook already let go of; the rest is released regardless.
    }
  }
}

void MailWindow::oMail(std::shared_ptr<outlook::IMailItem> vData) {
  if (vData == oMail_) return;
  oMailSend.reset();
  oMail_ = std::move(vData);
  if (oMail_) oMailSend = oMail_->SubscribeSend([this](bool& Cancel) { oMail_Send(Cancel); });
}

// Setting the same window again keeps the subscription, so that an event being delivered still
// reaches this object after the connection object's handler has rebound it.
void MailWindow::SetInspector(std::shared_ptr<outlook::IInspector> vData) {
  if (vData == mvarInspector) return;
  mvarInspectorClose.reset();
  mvarInspectorDeactivate.reset();
  mvarInspector = std::move(vData);
  if (!mvarInspector) return;
  mvarInspectorClose = mvarInspector->SubscribeClose([this] { mvarInspector_Close(); });
  mvarInspectorDeactivate =
      mvarInspector->SubscribeDeactivate([this] { mvarInspector_Deactivate(); });
}

void MailWindow::SetExplorer(std::shared_ptr<outlook::IExplorer> vData) {
  if (vData == mvarExplorer) return;
  mvarExplorerSelectionChange.reset();
  mvarExplorerClose.reset();
  mvarExplorer = std::move(vData);
  if (!mvarExplorer) return;
  mvarExplorerSelectionChange =
      mvarExplorer->SubscribeSelectionChange([this] { mvarExplorer_SelectionChange(); });
  // A playback makes the audio object hold this object; only the window's end lets it go.
  mvarExplorerClose = mvarExplorer->SubscribeClose([this] { mvarExplorer_Close(); });
}

void MailWindow::CreateBar(outlook::ICommandBars& bars) {
  oBar = bars.Add(kBarName, outlook::kBarTop, true);
  AddButtonsToBar();
}

void MailWindow::oInspector(std::shared_ptr<outlook::IInspector> vData) {
  SetInspector(std::move(vData));
  TraceErrors("MailWindow.Set oInspector ERROR: ", [&] {
    bComposing = false;
    bHasAttachments = false;
    outlook::IInspector& inspector = Required(mvarInspector);
    if (oMail_) {
      bComposing = !oMail_->Sent();
      bHasAttachments = oMail_->Attachments()->Count() > 0;
    } else if (auto item = inspector.CurrentItem(); Required(item).IsMailItem()) {
      oMail(item->AsMailItem());
    }
    if (!Required(inspector.CurrentItem()).IsMailItem()) return;
    auto bars = inspector.CommandBars();
    oBar = FindBar(Required(bars));
    if (!oBar) CreateBar(*bars);
    cmbFiles = RefreshComboList(cmbFiles);
  });
}

void MailWindow::oExplorer(std::shared_ptr<outlook::IExplorer> vData) {
  SetExplorer(std::move(vData));
  bComposing = false;
  bHasAttachments = false;
  if (oMail_ && oMail_->Attachments()->Count() > 0) bHasAttachments = true;
  if (!mvarExplorer || !oMail_) return;
  const bool showBar = !ShowsNoMail(mvarExplorer->Caption());
  auto bars = mvarExplorer->CommandBars();
  oBar = FindBar(Required(bars));
  if (oBar) {
    oBar->Visible(showBar);
  } else if (showBar) {
    CreateBar(*bars);
  }
  cmbFiles = RefreshComboList(cmbFiles);
  if (Required(cmbFiles).ListCount() >= 1 && bHasAttachments) {
    Required(btnPlay).Visible(true);
    Required(btnDelete).Visible(false);
  } else {
    cmbFiles->Visible(false);
    Required(btnPlay).Visible(false);
    Required(btnDelete).Visible(false);
  }
}

void MailWindow::mvarExplorer_SelectionChange() {
  if (!iAudio->bFinishedPlaying) iAudio->Play(false);
  if (cmbFiles && cmbFiles->ListCount() < 2) cmbFiles->Visible(false);
}

void MailWindow::mvarInspector_Close() {
  // The audio object may hold the last reference, and lets go of it during the release.
  const auto self = weak_from_this().lock();
  Class_Terminate();
}

void MailWindow::mvarExplorer_Close() {
  const auto self = weak_from_this().lock();
  Class_Terminate();
}

void MailWindow::mvarInspector_Deactivate() {}

void MailWindow::Class_Terminate() {
  std::exception_ptr failure;
  if (oBar) {
    try {
      oBar->Delete();
    } catch (...) {
      // A bar that cannot be deleted must not keep the rest alive.
      failure = std::current_exception();
    }
    oBar.reset();
  }
  ReleaseMembers();
  if (failure) std::rethrow_exception(failure);
}

void MailWindow::ReleaseMembers() noexcept {
  iAudioFinishedPlaying.Disconnect();
  // A recording or playback left running would keep its loop going for nobody.
  if (iAudio) iAudio->Abandon();
  iAudio.reset();
  oMail(nullptr);
  SetInspector(nullptr);
  SetExplorer(nullptr);
  btnVoxtrelClick.reset();
  btnVoxtrel.reset();
  BindButton(btnPlay, btnPlayClick, nullptr, nullptr);
  BindButton(btnRecord, btnRecordClick, nullptr, nullptr);
  BindButton(btnPause, btnPauseClick, nullptr, nullptr);
  cmbFiles.reset();
  BindButton(btnDelete, btnDeleteClick, nullptr, nullptr);
  btnPropertiesClick.reset();
  btnProperties.reset();
}

}  // namespace voxtrel
