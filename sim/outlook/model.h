#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "sim/outlook/clipboard_content.h"
#include "sim/outlook/faces.h"

// The simulated Outlook: one in-memory model of Outlook's windows, folders and items and of
// Office's command bars. Objects are plain structures named by ids, so that both the native
// ports and a COM face can wrap them by id. Calls the add-in makes (through a face) fail with
// voxtrel::Error as Outlook's do; user actions the model cannot carry out throw ActionRefused.
namespace voxtrel::olsim {

using Id = std::int32_t;

enum class FolderKind { kMail, kCalendar, kContacts, kTasks, kNotes, kJournal };
enum class ItemKind {
  kMail,
  kContact,
  kAppointment,
  kMeetingRequest,
  kReport,
  kTask,
  kNote,
  kPost
};
enum class ControlKind { kButton, kComboBox };
// OlBodyFormat: plain text 1, HTML 2, rich text 3.
enum class BodyFormat { kPlain = 1, kHtml = 2, kRtf = 3 };
enum class EventKind {
  kNewInspector,         // on the application; args.window is the new inspector
  kSelectionChange,      // on the explorer
  kClose,                // on a window
  kActivate,             // on an inspector
  kDeactivate,           // on an inspector
  kSend,                 // on a mail item; args.cancel is Cancel
  kClick,                // on a button; args.cancel is CancelDefault, args.control the one clicked
  kInlineResponse,       // on the explorer; args.item is the reply in the reading pane
  kInlineResponseClose,  // on the explorer
};

// A user action the model cannot carry out; the session stops with its reason.
class ActionRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the model's files live: natively the platform double's file system, later the disk.
class IModelFiles {
 public:
  virtual ~IModelFiles() = default;
  // Throws voxtrel::Error when the file cannot be read.
  virtual std::string Read(const std::string& path) = 0;
  virtual void Write(const std::string& path, const std::string& bytes) = 0;
};

struct Attachment {
  Id id = 0;
  std::string fileName;
  std::string bytes;
};

struct Item {
  Id id = 0;
  std::string name;  // the session's name for it
  ItemKind kind = ItemKind::kMail;
  bool sent = false;
  std::string subject, body, billing;
  std::string htmlBody;  // the HTML item's own; plain and rich text items have none
  BodyFormat format = BodyFormat::kPlain;
  bool shown = false;  // opened in an inspector: Outlook 2002 knows its format from then on
  std::vector<Attachment> attachments;
  bool refusesHtml = false;         // setting HTMLBody fails, as for a message Outlook has locked
  bool refusesAttachments = false;  // Attachments.Add fails, as for a message Outlook has locked
  // The add-in wrote to it (Body, HTMLBody, BillingInformation, an attachment added or removed):
  // Outlook asks whether to save it when it closes. The user's own changes do not count.
  bool changed = false;
};

struct Folder {
  Id id = 0;
  std::string name;
  FolderKind kind = FolderKind::kMail;
  std::vector<Id> items;
};

struct Control {
  Id id = 0;
  ControlKind kind = ControlKind::kButton;
  std::string parameter, caption, tooltip, tag;
  std::int32_t style = 0;
  bool visible = true;
  std::string face;         // a short identity of the face it shows; empty for none
  FacePixels facePixels;    // what the face shows, for a window that draws it
  platform::Bytes picture;  // the Picture set last, which a Mask applies to
  std::vector<std::string> entries;
  std::int32_t listIndex = 0;
};

struct Bar {
  Id id = 0;
  std::string name;
  std::int32_t position = 1;
  bool visible = true;
  bool temporary = false;
  std::vector<Control> controls;
};

// A control of the add-in's Ribbon group as a window shows it: Office's last answers, kept
// until the add-in invalidates them.
struct RibbonShown {
  std::string id, kind;  // kind: "button" or "dropDown"
  std::string label;
  bool visible = false, enabled = false;
  std::string image = "none";  // the face's name
  FacePixels pixels;
  std::vector<std::string> entries;
  std::int32_t selected = -1;  // from 0
  bool stale = true;
};

// The bars of one window, or Word's own, which every inspector Word edits shows.
struct BarSet {
  Id id = 0;
  std::vector<Bar> bars;
};

// The explorer (number 0) or an inspector (numbered from 1 in the order opened).
struct Window {
  Id id = 0;
  int number = 0;
  bool open = true;
  Id folder = 0;              // the explorer's current folder
  std::vector<Id> selection;  // the explorer's selection
  Id item = 0;                // an inspector's item
  Id barSet = 0;
  bool wordMail = false;            // edited in Word: it shows Word's bars
  Id inlineResponse = 0;            // the explorer's reply in the reading pane (Outlook 2013 on)
  std::string ribbonId;             // the Ribbon it shows (Outlook 2007 on); empty for none
  std::vector<RibbonShown> ribbon;  // the add-in's group on it
  bool IsExplorer() const { return number == 0; }
};

struct EventArgs {
  Id window = 0;
  bool cancel = false;
  Id control = 0;
  Id item = 0;
};

class Model {
 public:
  // The clipboard is the one the add-in writes to; by default the thread's platform's.
  explicit Model(IModelFiles& files);
  Model(IModelFiles& files, platform::IClipboard& clipboard);

  // What the session sets up.
  void SetVersion(std::string version) { version_ = std::move(version); }
  // Word edits the mail items opened later (Outlook 2002 and 2003 only).
  void SetWordEditor(bool word);
  // Events go to their subscribers last subscribed first.
  void SetReverseEvents(bool reverse) { reverseEvents_ = reverse; }
  // Called once Outlook's last window has closed, unless an automation client keeps Outlook.
  void OnLastWindowClosed(std::function<void()> handler) { lastWindowClosed_ = std::move(handler); }
  // Called when an inspector's window appears, after NewInspector.
  void OnInspectorShown(std::function<void(Id)> handler) { inspectorShown_ = std::move(handler); }
  Id AddFolder(const std::string& name, FolderKind kind);
  Id AddItem(const std::string& name, ItemKind kind, const std::string& folder);
  Item& ItemNamed(const std::string& name);
  void Attach(Id item, std::string fileName, std::string bytes);
  // A custom bar Office kept from an earlier run: every window opened later has it.
  void AddSavedBar(const std::string& name);

  // User actions, each raising Outlook's events in Outlook's order.
  // Without an explorer Outlook runs for an automation client, which keeps it running when
  // its last window closes.
  void Start(bool withExplorer);
  void ShowFirstSelection();
  void Goto(const std::string& folder);
  void Select(const std::vector<std::string>& items);
  // An item already open in an inspector: that inspector comes to the front, nothing opens.
  Id Open(const std::string& item);
  Id Compose(const std::string& name, BodyFormat format);
  void Activate(int number);
  void Click(const std::string& text);
  void Choose(std::int32_t index);
  // With `cancelledLater`, a handler after the add-in's (another add-in) cancels the send.
  void Send(bool cancelledLater = false);
  void CloseActive();
  void CloseExplorer();
  // A reply to the item composed in the explorer's reading pane (Outlook 2013 on), and its send.
  Id ReplyInline(const std::string& item);
  void SendInline();
  void SaveAttachmentAs(const std::string& item, std::int32_t index, const std::string& path);
  // One program's copy: the clipboard holds these formats, in this order, and nothing else.
  void SetClipboard(const std::vector<ClipboardEntry>& entries);
  // Quitting: the inspectors, then the explorer.
  void CloseAllWindows();
  bool AnyWindowOpen() const;

  // What the add-in reaches through a face.
  const std::string& Version() const { return version_; }
  // The version's first number: 9 for Outlook 2000, 11 for 2003, 12 for 2007 ...
  int MajorVersion() const;
  std::optional<Id> ActiveExplorer() const;
  Id ApplicationId() const { return kApplication; }
  Window& WindowById(Id id);
  std::string Caption(Id explorer);
  Folder& FolderById(Id id);
  Item& ItemById(Id id);
  Item& ItemOfAttachment(Id attachment);
  Attachment& AttachmentById(Id id);
  // Appends, as Outlook does; the position only places it inside a rich-text body.
  Id AddAttachment(Id item, const std::string& source, std::int32_t position);
  void RemoveAttachment(Id item, std::int32_t index);
  // The user removes an attachment in Outlook's own window.
  void Detach(const std::string& item, std::int32_t index);
  void SaveAttachment(Id attachment, const std::string& path);
  // HTMLBody: an HTML item's own; from Outlook 2003 a plain or rich-text item's reads as HTML
  // Outlook makes from its text. Setting it makes the item HTML (a rich-text item loses its
  // formatting) and its text the HTML's.
  std::string HtmlBodyOf(Id item);
  void SetHtmlBody(Id item, const std::string& html);
  // Setting the Body of an HTML item keeps it HTML, with the new text as all its content.
  void SetBody(Id item, const std::string& text);
  void SetBilling(Id item, const std::string& text);
  // BodyFormat, from Outlook 2002 (Office's error 438 before); Outlook 2002 reads 0 (unspecified)
  // until the item has been shown.
  std::int32_t BodyFormatOf(Id item);
  // IRibbonUI.InvalidateControl: every window of that Ribbon forgets the control's values.
  void InvalidateRibbonControl(const std::string& ribbonId, const std::string& control);
  // The explorer's reply in the reading pane: 0 for none. Outlook 2013 and later only (438).
  Id InlineResponseOf(Id explorer);
  // The bars an open window shows.
  std::vector<Bar>& Bars(Id window);
  Bar& BarById(Id id);
  Bar& BarOfControl(Id control);
  // "the explorer", "inspector N" or "Word" (whose bars the Word-edited inspectors share).
  std::string WindowName(Id window) const;
  std::string BarOwnerName(Id bar) const;
  Id AddBar(Id window, const std::string& name, std::int32_t position, bool temporary);
  void DeleteBar(Id bar);
  Control& ControlById(Id id);
  Id AddControl(Id bar, ControlKind kind, const std::string& parameter);
  void PasteFace(Id control);
  // Picture and Mask (Office XP and later; Office 2000 has no such member): the face is the
  // picture, then the picture with the mask's white pixels clear. A picture drops the mask.
  void SetFacePicture(Id control, const platform::Bytes& picture);
  void SetFaceMask(Id control, const platform::Bytes& mask);
  std::int32_t Left(Id window);
  std::int32_t Width(Id control) { return WidthOf(ControlById(control)); }
  // In the window that shows the bar: the active one when it does.
  std::int32_t Top(Id control);
  // The layout: a cascade of windows, bars docked in rows below the caption and the menu, each
  // control as wide as its face and caption.
  static std::int32_t WidthOf(const Control& control);
  static std::int32_t TopOf(const Window& window, const std::vector<Bar>& bars, const Bar& bar);

  using Handler = std::function<void(EventArgs&)>;
  std::uint64_t Subscribe(Id source, EventKind kind, Handler handler);
  void Unsubscribe(std::uint64_t token);

  // What the dump shows.
  const std::deque<Window>& Windows() const { return windows_; }
  const std::vector<Bar>& BarsShownBy(const Window& window) const;
  const std::deque<Item>& Items() const { return items_; }
  const std::deque<Folder>& Folders() const { return folders_; }
  // The clipboard's formats by name with a digest of each, and its Unicode text.
  struct ClipboardState {
    std::vector<ClipboardFormatView> formats;
    std::optional<std::string> text;
  };
  ClipboardState Clipboard() const;
  Id ActiveWindow() const { return active_; }

 private:
  static constexpr Id kApplication = 1;
  struct Subscriber {
    Id source;
    EventKind kind;
    std::shared_ptr<Handler> handler;
  };

  Id NewId() { return nextId_++; }
  // One event, to the subscribers of every source in the order they subscribed (reversed with
  // SetReverseEvents).
  void Raise(const std::vector<Id>& sources, EventKind kind, EventArgs& args);
  void Raise(Id source, EventKind kind, EventArgs& args) {
    Raise(std::vector<Id>{source}, kind, args);
  }
  Folder& FolderNamed(const std::string& name);
  Window& Explorer();
  Window& OpenWindow(int number);
  Window& ActiveInspector();
  Window& Active();
  Id OpenInspector(Id item);
  void MakeActive(Id window);
  // After a window closed: the explorer, else the inspector opened last, comes to the front.
  void ActivateNext();
  void CloseInspector(Window& inspector);
  void AfterClose();
  void ShowFolder(Window& explorer, Id folder);
  // The reply in the explorer's reading pane goes (sent, or the user went elsewhere).
  void CloseInlineResponse(Id explorer);
  Window NewWindow(int number, bool wordMail);
  BarSet& BarSetById(Id id);
  BarSet& BarSetOfBar(Id bar);
  const BarSet& BarSetOfBar(Id bar) const;
  Control& VisibleControl(Window& window, const std::string& text);

  IModelFiles& files_;
  std::string version_ = "11.0.0.8312";
  bool wordEditor_ = false;
  bool reverseEvents_ = false;
  bool started_ = false;
  bool automation_ = false;
  int inspectorsOpened_ = 0;
  Id active_ = 0;
  Id wordBars_ = 0;
  std::function<void()> lastWindowClosed_;
  std::function<void(Id)> inspectorShown_;
  Id nextId_ = kApplication + 1;
  // Deques: a handler may add to them while an event is being raised.
  std::deque<Folder> folders_;
  std::deque<Item> items_;
  std::deque<Window> windows_;
  std::deque<BarSet> barSets_;
  std::vector<std::string> savedBars_;
  platform::IClipboard& clipboard_;
  std::uint64_t nextToken_ = 1;
  std::map<std::uint64_t, Subscriber> subscribers_;
};

std::string DescribeKind(ItemKind kind);
std::string DescribeKind(FolderKind kind);
// How the census names a bar ("\"Vox Trel\" of inspector 1") and a control ("button
// \"Record\" of the explorer"), on both faces.
std::string DescribeBar(Model& model, Id bar);
std::string DescribeControl(Model& model, Id control, const char* kind);

}  // namespace voxtrel::olsim
