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
enum class EventKind {
  kNewInspector,     // on the application; args.window is the new inspector
  kSelectionChange,  // on the explorer
  kClose,            // on a window
  kDeactivate,       // on an inspector
  kSend,             // on a mail item; args.cancel is Cancel
  kClick,            // on a button; args.cancel is CancelDefault
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
  std::string subject, body, htmlBody, billing;
  std::vector<Attachment> attachments;
  bool refusesHtml = false;  // setting HTMLBody fails, as for a message Outlook has locked
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
  std::string parameter, caption, tooltip;
  std::int32_t style = 0;
  bool visible = true;
  std::string face;       // a short identity of the pasted face; empty for none
  FacePixels facePixels;  // what the pasted face shows, for a window that draws it
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

// The explorer (number 0) or an inspector (numbered from 1 in the order opened).
struct Window {
  Id id = 0;
  int number = 0;
  bool open = true;
  Id folder = 0;              // the explorer's current folder
  std::vector<Id> selection;  // the explorer's selection
  Id item = 0;                // an inspector's item
  std::vector<Bar> bars;
  bool IsExplorer() const { return number == 0; }
};

struct EventArgs {
  Id window = 0;
  bool cancel = false;
};

class Model {
 public:
  // The clipboard is the one the add-in writes to; by default the thread's platform's.
  explicit Model(IModelFiles& files);
  Model(IModelFiles& files, platform::IClipboard& clipboard);

  // What the session sets up.
  void SetVersion(std::string version) { version_ = std::move(version); }
  Id AddFolder(const std::string& name, FolderKind kind);
  Id AddItem(const std::string& name, ItemKind kind, const std::string& folder);
  Item& ItemNamed(const std::string& name);
  void Attach(Id item, std::string fileName, std::string bytes);
  // A custom bar Office kept from an earlier run: every window opened later has it.
  void AddSavedBar(const std::string& name);

  // User actions, each raising Outlook's events in Outlook's order.
  void Start(bool withExplorer);
  void ShowFirstSelection();
  void Goto(const std::string& folder);
  void Select(const std::vector<std::string>& items);
  Id Open(const std::string& item);
  Id Compose(const std::string& name, bool html);
  void Activate(int number);
  void Click(const std::string& text);
  void Choose(std::int32_t index);
  // With `cancelledLater`, a handler after the add-in's (another add-in) cancels the send.
  void Send(bool cancelledLater = false);
  void CloseActive();
  void SaveAttachmentAs(const std::string& item, std::int32_t index, const std::string& path);
  void SetClipboardText(const std::string& text);
  void CloseAllWindows();

  // What the add-in reaches through a face.
  const std::string& Version() const { return version_; }
  std::optional<Id> ActiveExplorer() const;
  Id ApplicationId() const { return kApplication; }
  Window& WindowById(Id id);
  std::string Caption(Id explorer);
  Folder& FolderById(Id id);
  Item& ItemById(Id id);
  Item& ItemOfAttachment(Id attachment);
  Attachment& AttachmentById(Id id);
  Id AddAttachment(Id item, const std::string& source, std::int32_t position);
  void RemoveAttachment(Id item, std::int32_t index);
  void SaveAttachment(Id attachment, const std::string& path);
  void SetHtmlBody(Id item, const std::string& html);
  Bar& BarById(Id id);
  Window& WindowOfBar(Id bar);
  Bar& BarOfControl(Id control);
  // "the explorer" or "inspector N", for messages.
  std::string WindowName(Id window) const;
  Id AddBar(Id window, const std::string& name, std::int32_t position, bool temporary);
  void DeleteBar(Id bar);
  Control& ControlById(Id id);
  Id AddControl(Id bar, ControlKind kind, const std::string& parameter);
  void PasteFace(Id control);
  std::int32_t Left(Id window);
  std::int32_t Width(Id control) { return WidthOf(ControlById(control)); }
  std::int32_t Top(Id control);
  // The layout: a cascade of windows, bars docked in rows below the caption and the menu, each
  // control as wide as its face and caption.
  static std::int32_t WidthOf(const Control& control);
  static std::int32_t TopOf(const Window& window, const Bar& bar);

  using Handler = std::function<void(EventArgs&)>;
  std::uint64_t Subscribe(Id source, EventKind kind, Handler handler);
  void Unsubscribe(std::uint64_t token);

  // What the dump shows.
  const std::deque<Window>& Windows() const { return windows_; }
  const std::deque<Item>& Items() const { return items_; }
  const std::deque<Folder>& Folders() const { return folders_; }
  // The clipboard's formats by name (those Windows makes up from others left out) and its text.
  struct ClipboardState {
    std::vector<std::string> formats;
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
  void Raise(Id source, EventKind kind, EventArgs& args);
  Folder& FolderNamed(const std::string& name);
  Window& Explorer();
  Window& OpenWindow(int number);
  Window& ActiveInspector();
  Window& Active();
  Id OpenInspector(Id item);
  void MakeActive(Id window);
  void CloseInspector(Window& inspector);
  void ShowFolder(Window& explorer, Id folder);
  Window NewWindow(int number);
  Bar& OurBar(Window& window);
  Control& VisibleControl(Bar& bar, const std::string& text);

  IModelFiles& files_;
  std::string version_ = "11.0.0.8312";
  Id nextId_ = kApplication + 1;
  bool started_ = false;
  int inspectorsOpened_ = 0;
  Id active_ = 0;
  // Deques: a handler may add to them while an event is being raised.
  std::deque<Folder> folders_;
  std::deque<Item> items_;
  std::deque<Window> windows_;
  std::vector<std::string> savedBars_;
  platform::IClipboard& clipboard_;
  std::uint64_t nextToken_ = 1;
  std::map<std::uint64_t, Subscriber> subscribers_;
};

std::string DescribeKind(ItemKind kind);
std::string DescribeKind(FolderKind kind);

}  // namespace voxtrel::olsim
