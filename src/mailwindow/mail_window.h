#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/audio.h"
#include "common/event.h"
#include "outlook/command_bars.h"
#include "outlook/object_model.h"
#include "outlook/subscription.h"
#include "ribbon/ribbon_window.h"

namespace voxtrel {

struct Picture;

// A voice attachment: its file name ends in "mp3", in lower case only.
bool IsVoiceAttachment(std::string_view fileName);

// Binds the add-in to one Outlook window, an inspector or the tracked explorer: finds or builds
// the window's "Vox Trel" bar, lists the mail item's voice attachments and shows the buttons
// that fit. Created and held as a shared_ptr: the audio object may hold it as its Creator.
class MailWindow final : public std::enable_shared_from_this<MailWindow> {
 public:
  static constexpr char kBarName[] = "Vox Trel";

  // Class_Initialize. The number sets this window's controls apart from other windows' (their
  // tags): Office raises a click on every control that shares the clicked one's tag. The
  // version is Office's first number (Outlook's Application.Version): 9 for 2000, 0 unknown.
  explicit MailWindow(int number = 0, int officeVersion = 0);
  ~MailWindow();  // Class_Terminate
  // Ends every mail window of this thread, those that a recording or playback keeps alive
  // through their audio object too, so that none outlives the add-in's connection.
  static void EndAll() noexcept;
  MailWindow(const MailWindow&) = delete;
  MailWindow& operator=(const MailWindow&) = delete;

  // The window's mail item; set before oInspector or oExplorer, which read it.
  const std::shared_ptr<outlook::IMailItem>& oMail() const { return oMail_; }
  void oMail(std::shared_ptr<outlook::IMailItem> vData);

  const std::shared_ptr<outlook::IInspector>& oInspector() const { return mvarInspector; }
  // Failures after the inspector is taken are traced, not raised.
  void oInspector(std::shared_ptr<outlook::IInspector> vData);
  const std::shared_ptr<outlook::IExplorer>& oExplorer() const { return mvarExplorer; }
  // Failures are raised to the caller.
  void oExplorer(std::shared_ptr<outlook::IExplorer> vData);
  // The explorer's selection changes: a playback of the item being left stops, a short list
  // hides. The connection object calls it around its rebinding too, so that the result does not
  // depend on which of the two hears the event first.
  void mvarExplorer_SelectionChange();

  // Where Office shows the Ribbon, the window's group stands in for its command bars. Set
  // before oInspector or oExplorer.
  void UseRibbon(std::shared_ptr<ribbon::RibbonWindow> group) { ribbonGroup = std::move(group); }
  ribbon::RibbonWindow* Ribbon() const { return ribbonGroup.get(); }
  // Bound to that inspector or explorer.
  bool Shows(outlook::WindowIdentity window) const;
  // The explorer's reading pane composes a reply (Outlook 2013 on): the bar serves it as a
  // compose window's serves its message, until it closes.
  void oInlineResponse(std::shared_ptr<outlook::IMailItem> reply);
  // The reply has left the reading pane (sent, or the user went to another message or folder):
  // its recording ends unsaved, as a compose window's does when it closes, and the explorer
  // offers no Record, which would attach to whatever message it shows next.
  void InlineResponseClosed();
  // The explorer's group serves a reply in the reading pane: a selection change meanwhile (Outlook
  // raises it more often than the selection changes) leaves the group with the reply.
  bool ServesInlineResponse() const { return bInlineResponse; }

 private:
  void Class_Terminate();
  void ReleaseMembers() noexcept;
  void mvarInspector_Close();
  void mvarInspector_Activate();
  void mvarExplorer_Close();
  void mvarInspector_Deactivate();
  void oMail_Send(bool& Cancel);
  void btnVoxtrel_Click(bool& CancelDefault);
  void btnProperties_Click(bool& CancelDefault);
  void AddButtonsToBar();
  std::shared_ptr<outlook::IComboBox> RefreshComboList(std::shared_ptr<outlook::IComboBox> list);
  // The position of the selected entry's voice attachment when it still stands where and as it
  // was listed; 0 otherwise, for nothing selected too.
  std::int16_t SelectedAttachmentIndex();
  // The list no longer matches the mail item (the user changed its attachments): listed again,
  // with the buttons that fit it; nothing else is done.
  void RefreshStaleList(std::string_view routine);
  void ShowButtonsForList();
  // The command bar's buttons.
  void btnRecord_Click(outlook::IButton& Ctrl, bool& CancelDefault);
  void btnPause_Click(outlook::IButton& Ctrl, bool& CancelDefault);
  void btnDelete_Click(outlook::IButton& Ctrl, bool& CancelDefault);
  void btnPlay_Click(outlook::IButton& Ctrl, bool& CancelDefault);
  // Why the file was not attached; nothing when it was.
  std::optional<std::string> AddAttachment(const std::string& path);
  // A recording that could not start, or made nothing to attach: the bar goes back to Record and
  // the user is told why.
  void RecordingFailed(const std::string& what, const std::string& why);
  void AfterRecord(Audio& audio, bool starting);
  void RecordingAttached();
  void EndPausedRecording(Audio& audio);
  void ShowRecordButton();
  void PositionAudioForm();
  void iAudio_finishedPlaying();
  void TouchMailItem();
  // A click handler's first lines; written before its error handler, so a trace that cannot be
  // written goes back to Office.
  static void ClickBanner(std::string_view title, std::string_view handler,
                          const std::string& caption);
  // The captions the commands switch between: they are the state, compared as exact texts.
  static constexpr char kCaptionRecord[] = "Record";
  static constexpr char kCaptionPlay[] = "Play";
  static constexpr char kCaptionStop[] = "Stop";
  static constexpr char kCaptionPause[] = "Pause";
  static constexpr char kCaptionContinue[] = "Continue";
  // Where this window's recording is encoded and its attachments are saved for playing.
  std::string MessageFile();
  // Holds the button and its click subscription; empty clears both.
  void BindButton(std::shared_ptr<outlook::IButton>& member, outlook::Subscription& click,
                  std::shared_ptr<outlook::IButton> button,
                  void (MailWindow::*handler)(outlook::IButton&, bool&));
  bool BindMailItemOfWindow();
  void SetInspector(std::shared_ptr<outlook::IInspector> vData);
  void SetExplorer(std::shared_ptr<outlook::IExplorer> vData);
  void CreateBar(outlook::ICommandBars& bars, const std::string& name);
  // This window's tag for one of its controls, named by its member.
  std::string TagOf(std::string_view member) const;
  std::shared_ptr<outlook::IButton> AddButton(outlook::IControls& controls,
                                              const std::string& parameter,
                                              const std::string& caption, bool visible,
                                              std::int16_t faceSlot, std::string_view member);

  // Slots of the face table.
  static constexpr std::int16_t kFaceVoxtrel = 0;
  static constexpr std::int16_t kFaceRecord = 1;
  static constexpr std::int16_t kFacePlay = 2;
  static constexpr std::int16_t kFaceStop = 3;
  static constexpr std::int16_t kFacePause = 4;
  static constexpr std::int16_t kFaceDelete = 6;
  static constexpr std::int16_t kFaceProperties = 7;
  // Gives the button the face of the slot: its Picture and Mask from Office XP on, else through
  // the clipboard and PasteFace, leaving the user's clipboard as it was.
  void ChangePicture(outlook::IButton& ctl, std::int16_t index);
  // The face table: slots 0 to 7, loaded from the bitmap resources at creation; slot 5 is empty.
  using FaceTable = std::array<std::shared_ptr<const Picture>, 8>;
  static FaceTable LoadFaces();
  FaceTable picFaces;
  friend class ChangePictureTest;  // the face setter's tests call it directly

  int windowNumber;
  std::shared_ptr<ribbon::RibbonWindow> ribbonGroup;
  outlook::WindowIdentity windowIdentity = 0;
  int officeVersion;
  bool bComposing = false;
  bool bInlineResponse = false;
  bool bHasAttachments = false;
  // Word edits the window: its bar is one of Word's, which every Word-edited window shows.
  bool bWordMail = false;
  std::shared_ptr<outlook::ICommandBar> oBar;
  std::shared_ptr<outlook::IButton> btnVoxtrel;
  std::shared_ptr<outlook::IButton> btnPlay;
  std::shared_ptr<outlook::IButton> btnRecord;
  std::shared_ptr<outlook::IButton> btnDelete;
  std::shared_ptr<outlook::IComboBox> cmbFiles;
  // What the Files list's entries stood for when they were listed: each voice attachment's
  // position and name, and how many attachments the mail item had then.
  struct ListedAttachment {
    std::int32_t position;
    std::string name;
  };
  std::vector<ListedAttachment> listedAttachments;
  std::int32_t listedAttachmentCount = 0;
  std::shared_ptr<outlook::IButton> btnPause;
  std::shared_ptr<outlook::IButton> btnProperties;
  outlook::Subscription btnPlayClick;
  outlook::Subscription btnRecordClick;
  outlook::Subscription btnDeleteClick;
  outlook::Subscription btnPauseClick;
  std::shared_ptr<Audio> iAudio;
  Event<>::Connection iAudioFinishedPlaying;
  std::shared_ptr<outlook::IInspector> mvarInspector;
  outlook::Subscription mvarInspectorClose;
  outlook::Subscription mvarInspectorActivate;
  outlook::Subscription mvarInspectorDeactivate;
  std::shared_ptr<outlook::IExplorer> mvarExplorer;
  outlook::Subscription mvarExplorerSelectionChange;
  outlook::Subscription mvarExplorerClose;
  std::shared_ptr<outlook::IMailItem> oMail_;
  outlook::Subscription oMailSend;
  outlook::Subscription btnVoxtrelClick;
  outlook::Subscription btnPropertiesClick;
};

}  // namespace voxtrel
