#include "mailwindow/mail_window.h"

#include <algorithm>
#include <array>
#include <exception>
#include <set>
#include <vector>

#include "host/error_trace.h"
#include "host/mod_trace_write.h"
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

// The window's bar of that name, walked in the collection's order; empty when there is none.
std::shared_ptr<outlook::ICommandBar> FindBar(outlook::ICommandBars& bars,
                                              const std::string& name = MailWindow::kBarName) {
  for (std::int32_t index = 1; index <= bars.Count(); ++index) {
    auto bar = bars.Item(index);
    if (Required(bar).Name() == name) return bar;
  }
  return nullptr;
}

// Word's bars are shared by all the windows it edits, and Office refuses a name twice: each
// window's bar takes the first of "Vox Trel", "Vox Trel (2)", ... that is free.
std::string FreeBarName(outlook::ICommandBars& bars) {
  std::string name = MailWindow::kBarName;
  for (int n = 2; FindBar(bars, name); ++n) {
    name = std::string(MailWindow::kBarName) + " (" + std::to_string(n) + ")";
  }
  return name;
}

thread_local std::set<MailWindow*> liveWindows;

// The windows alive now, held while a caller works through them.
std::vector<std::shared_ptr<MailWindow>> LiveWindows() {
  std::vector<std::shared_ptr<MailWindow>> windows;
  for (MailWindow* window : liveWindows) {
    if (auto held = window->weak_from_this().lock()) windows.push_back(std::move(held));
  }
  return windows;
}

}  // namespace

MailWindow::MailWindow(int number, int office)
    : windowNumber(number), officeVersion(office), iAudio(std::make_shared<Audio>()) {
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
  for (const auto& window : LiveWindows()) {
    try {
      window->Class_Terminate();
    } catch (...) {
      // The bar of a window Outlook already let go of; the rest is released regardless.
    }
  }
}

void MailWindow::oMail(std::shared_ptr<outlook::IMailItem> vData) {
  if (vData == oMail_) return;
  // The list's entries stood for the other item's attachments.
  listedAttachments.clear();
  oMailSend.reset();
  oMail_ = std::move(vData);
  if (!oMail_) return;
  oMailSend = oMail_->SubscribeSend([this](bool& Cancel) {
    HandleEvent("MailWindow.oMail_Send ERROR: ", [&] { oMail_Send(Cancel); });
  });
}

// Setting the same window again keeps the subscription, so that an event being delivered still
// reaches this object after the connection object's handler has rebound it.
// A window is kept only with its Close subscribed: without it this object could never let go.
void MailWindow::SetInspector(std::shared_ptr<outlook::IInspector> vData) {
  if (vData == mvarInspector) return;
  mvarInspectorClose.reset();
  mvarInspectorActivate.reset();
  mvarInspectorDeactivate.reset();
  mvarInspector.reset();
  if (!vData) return;
  windowIdentity = vData->Identity();
  mvarInspectorClose = Required(vData->SubscribeClose([this] {
    HandleEvent("MailWindow.mvarInspector_Close ERROR: ", [this] { mvarInspector_Close(); });
  }));
  mvarInspector = std::move(vData);
  mvarInspectorActivate = mvarInspector->SubscribeActivate([this] {
    HandleEvent("MailWindow.mvarInspector_Activate ERROR: ", [this] { mvarInspector_Activate(); });
  });
  mvarInspectorDeactivate =
      mvarInspector->SubscribeDeactivate([this] { mvarInspector_Deactivate(); });
}

void MailWindow::SetExplorer(std::shared_ptr<outlook::IExplorer> vData) {
  if (vData == mvarExplorer) return;
  mvarExplorerSelectionChange.reset();
  mvarExplorerClose.reset();
  mvarExplorer.reset();
  if (!vData) return;
  // A playback makes the audio object hold this object; only the window's end lets it go.
  windowIdentity = vData->Identity();
  mvarExplorerClose = Required(vData->SubscribeClose([this] {
    HandleEvent("MailWindow.mvarExplorer_Close ERROR: ", [this] { mvarExplorer_Close(); });
  }));
  mvarExplorer = std::move(vData);
  mvarExplorerSelectionChange = mvarExplorer->SubscribeSelectionChange([this] {
    HandleEvent("MailWindow.mvarExplorer_SelectionChange ERROR: ",
                [this] { mvarExplorer_SelectionChange(); });
  });
}

void MailWindow::CreateBar(outlook::ICommandBars& bars, const std::string& name) {
  oBar = bars.Add(name, outlook::kBarTop, true);
  AddButtonsToBar();
}

std::string MailWindow::TagOf(std::string_view member) const {
  return "Voxtrel." + std::string(member) + "." + std::to_string(windowNumber);
}

void MailWindow::oInspector(std::shared_ptr<outlook::IInspector> vData) {
  SetInspector(std::move(vData));
  TraceErrors("MailWindow.Set oInspector ERROR: ", [&] {
    bComposing = false;
    bHasAttachments = false;
    outlook::IInspector& inspector = Required(mvarInspector);
    if (oMail_) {
      bComposing = !oMail_->Sent();
      bHasAttachments = Required(oMail_->Attachments()).Count() > 0;
    } else if (auto item = inspector.CurrentItem(); Required(item).IsMailItem()) {
      oMail(item->AsMailItem());
    }
    if (!Required(inspector.CurrentItem()).IsMailItem()) return;
    // The Ribbon's group is the window's own; Word's bars are every Word window's.
    bWordMail = !ribbonGroup && inspector.IsWordMail();
    const std::shared_ptr<outlook::ICommandBars> bars =
        ribbonGroup ? ribbonGroup : inspector.CommandBars();
    outlook::ICommandBars& windowBars = Required(bars);
    // A bar among Word's belongs to another window of Word's, or to none.
    oBar = bWordMail ? nullptr : FindBar(windowBars);
    if (!oBar) CreateBar(windowBars, bWordMail ? FreeBarName(windowBars) : kBarName);
    cmbFiles = RefreshComboList(cmbFiles);
  });
}

void MailWindow::oExplorer(std::shared_ptr<outlook::IExplorer> vData) {
  SetExplorer(std::move(vData));
  bComposing = false;
  bHasAttachments = false;
  if (oMail_ && Required(oMail_->Attachments()).Count() > 0) bHasAttachments = true;
  if (!mvarExplorer || !oMail_) return;
  const bool showBar = !ShowsNoMail(mvarExplorer->Caption());
  const std::shared_ptr<outlook::ICommandBars> bars =
      ribbonGroup ? ribbonGroup : mvarExplorer->CommandBars();
  oBar = FindBar(Required(bars));
  if (oBar) {
    oBar->Visible(showBar);
  } else if (showBar) {
    CreateBar(*bars, kBarName);
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

bool MailWindow::Shows(outlook::WindowIdentity window) const {
  return (mvarInspector || mvarExplorer) && windowIdentity == window;
}

void MailWindow::oInlineResponse(std::shared_ptr<outlook::IMailItem> reply) {
  oMail(std::move(reply));
  bComposing = oMail_ && !oMail_->Sent();
  bHasAttachments = oMail_ && Required(oMail_->Attachments()).Count() > 0;
  cmbFiles = RefreshComboList(cmbFiles);
  Required(btnRecord).Visible(bComposing);
  Required(btnPlay).Visible(bHasAttachments && Required(cmbFiles).ListCount() >= 1);
  Required(btnDelete).Visible(bComposing && btnPlay->Visible());
  bInlineResponse = true;
}

void MailWindow::InlineResponseClosed() {
  bInlineResponse = false;
  bComposing = false;
  if (!btnRecord) return;
  if (btnRecord->Caption() == kCaptionStop) {
    Required(iAudio).Abandon();
    modTraceWrite::TraceWrite("MailWindow.InlineResponseClosed: the recording is discarded");
    ShowRecordButton();
  }
  btnRecord->Visible(false);
  Required(btnDelete).Visible(false);
}

void MailWindow::mvarExplorer_SelectionChange() {
  if (bInlineResponse) return;
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

// Word shows its bars in every window it edits: only the active window's own bar may show.
void MailWindow::mvarInspector_Activate() {
  if (!bWordMail || !oBar) return;
  oBar->Visible(true);
  for (const auto& window : LiveWindows()) {
    if (window.get() != this && window->bWordMail && window->oBar) window->oBar->Visible(false);
  }
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
  bWordMail = false;
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
