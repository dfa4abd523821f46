#include "sim/outlook/model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "common/error.h"
#include "common/version.h"
#include "platform/platform.h"
#include "sim/outlook/dump.h"
#include "sim/outlook/faces.h"
#include "sim/outlook/host_errors.h"
#include "sim/outlook/layout.h"

namespace voxtrel::olsim {
namespace {

constexpr char kFaceFormat[] = "Toolbar Button Face";
constexpr char kMaskFormat[] = "Toolbar Button Mask";
// Office XP (10) added a button's Picture and Mask.
constexpr int kFirstPictureProperties = 10;

// Open for one reading or writing; an action cannot go on while another program holds it.
class OpenClipboard {
 public:
  explicit OpenClipboard(platform::IClipboard& clipboard) : clipboard_(clipboard) {
    if (!clipboard_.Open()) throw ActionRefused("another program holds the clipboard");
  }
  ~OpenClipboard() { clipboard_.Close(); }
  OpenClipboard(const OpenClipboard&) = delete;
  OpenClipboard& operator=(const OpenClipboard&) = delete;

 private:
  platform::IClipboard& clipboard_;
};

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutTags(const std::string& html) {
  std::string text;
  bool inTag = false;
  for (const char c : html) {
    if (c == '<') inTag = true;
    if (!inTag) text += c;
    if (c == '>') inTag = false;
  }
  return text;
}

// What Outlook 2003 and later read as the HTMLBody of a plain-text or rich-text item.
std::string ConvertedToHtml(const std::string& text, const char* from) {
  std::string html =
      "<HTML>\r\n<HEAD>\r\n<TITLE></TITLE>\r\n</HEAD>\r\n<BODY>\r\n<!-- Converted from ";
  html += from;
  html += " format -->\r\n<P><FONT SIZE=2>";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      html += "<BR>\r\n";
    } else if (c == '<') {
      html += "&lt;";
    } else if (c == '>') {
      html += "&gt;";
    } else if (c == '&') {
      html += "&amp;";
    } else {
      html += c;
    }
  }
  return html + "</FONT>\r\n</P>\r\n\r\n</BODY>\r\n</HTML>";
}

std::int32_t TextWidth(const std::string& text) {
  return text.empty() ? 0
                      : static_cast<std::int32_t>(layout::kCharWidth * text.size() +
                                                  layout::kCaptionMargins);
}

}  // namespace

std::string DescribeKind(ItemKind kind) {
  static const char* const names[] = {"mail",   "contact", "appointment", "meeting",
                                      "report", "task",    "note",        "post"};
  return names[static_cast<int>(kind)];
}

std::string DescribeKind(FolderKind kind) {
  static const char* const names[] = {"mail", "calendar", "contacts", "tasks", "notes", "journal"};
  return names[static_cast<int>(kind)];
}

std::string DescribeBar(Model& model, Id bar) {
  return QuoteText(model.BarById(bar).name) + " of " + model.BarOwnerName(bar);
}

std::string DescribeControl(Model& model, Id control, const char* kind) {
  return std::string(kind) + " " + QuoteText(model.ControlById(control).parameter) + " of " +
         model.BarOwnerName(model.BarOfControl(control).id);
}

Model::Model(IModelFiles& files) : Model(files, platform::Current().clipboard) {}

Model::Model(IModelFiles& files, platform::IClipboard& clipboard)
    : files_(files), clipboard_(clipboard) {}

// Setting up.

void Model::SetWordEditor(bool word) {
  if (word && MajorVersion() != 10 && MajorVersion() != 11) {
    throw ActionRefused("Word is the e-mail editor of Outlook 2002 and 2003 (versions 10 and 11)");
  }
  wordEditor_ = word;
}

int Model::MajorVersion() const {
  return voxtrel::MajorVersion(version_);
}

Id Model::AddFolder(const std::string& name, FolderKind kind) {
  const bool taken = std::any_of(folders_.begin(), folders_.end(),
                                 [&](const Folder& folder) { return folder.name == name; });
  if (taken) throw ActionRefused("a folder " + QuoteText(name) + " exists already");
  folders_.push_back({NewId(), name, kind, {}});
  return folders_.back().id;
}

Id Model::AddItem(const std::string& name, ItemKind kind, const std::string& folder) {
  const bool taken = std::any_of(items_.begin(), items_.end(),
                                 [&](const Item& item) { return item.name == name; });
  if (taken) throw ActionRefused("an item " + name + " exists already");
  Item item;
  item.id = NewId();
  item.name = name;
  item.kind = kind;
  if (!folder.empty()) FolderNamed(folder).items.push_back(item.id);
  items_.push_back(std::move(item));
  return items_.back().id;
}

Item& Model::ItemNamed(const std::string& name) {
  const auto item = std::find_if(items_.begin(), items_.end(),
                                 [&](const Item& candidate) { return candidate.name == name; });
  if (item == items_.end()) throw ActionRefused("no item " + name);
  return *item;
}

void Model::Attach(Id item, std::string fileName, std::string bytes) {
  ItemById(item).attachments.push_back({NewId(), std::move(fileName), std::move(bytes)});
}

void Model::AddSavedBar(const std::string& name) {
  savedBars_.push_back(name);
}

Folder& Model::FolderNamed(const std::string& name) {
  const auto folder = std::find_if(folders_.begin(), folders_.end(),
                                   [&](const Folder& candidate) { return candidate.name == name; });
  if (folder == folders_.end()) throw ActionRefused("no folder " + QuoteText(name));
  return *folder;
}

// User actions.

void Model::Start(bool withExplorer) {
  if (started_) throw ActionRefused("Outlook runs already");
  started_ = true;
  automation_ = !withExplorer;
  if (!withExplorer) return;
  if (folders_.empty()) throw ActionRefused("no folder for the explorer to show");
  Window explorer = NewWindow(0, false);
  explorer.folder = folders_.front().id;
  windows_.push_front(std::move(explorer));
  active_ = windows_.front().id;
}

void Model::ShowFirstSelection() {
  if (!ActiveExplorer()) return;
  const Folder& folder = FolderById(Explorer().folder);
  if (folder.items.empty()) return;
  Explorer().selection = {folder.items.front()};
  EventArgs args;
  Raise(Explorer().id, EventKind::kSelectionChange, args);
}

void Model::Goto(const std::string& folder) {
  ShowFolder(Explorer(), FolderNamed(folder).id);
}

void Model::ShowFolder(Window& explorer, Id folder) {
  const Folder& shown = FolderById(folder);
  std::vector<Id> selection;
  if (!shown.items.empty()) selection.push_back(shown.items.front());
  // Outlook closes a reply in the reading pane when the user goes to another folder or message.
  const Id id = explorer.id;
  if (folder != explorer.folder || selection != explorer.selection) CloseInlineResponse(id);
  Window& showing = WindowById(id);
  showing.folder = folder;
  showing.selection = std::move(selection);
  EventArgs args;
  Raise(id, EventKind::kSelectionChange, args);
}

void Model::CloseInlineResponse(Id explorer) {
  Window& window = WindowById(explorer);
  if (window.inlineResponse == 0) return;
  window.inlineResponse = 0;
  EventArgs close;
  Raise(explorer, EventKind::kInlineResponseClose, close);
}

void Model::Select(const std::vector<std::string>& items) {
  Window& explorer = Explorer();
  const Folder& folder = FolderById(explorer.folder);
  std::vector<Id> selection;
  for (const std::string& name : items) {
    const Id item = ItemNamed(name).id;
    if (std::find(folder.items.begin(), folder.items.end(), item) == folder.items.end()) {
      throw ActionRefused(name + " is not in the folder " + QuoteText(folder.name));
    }
    selection.push_back(item);
  }
  const Id id = explorer.id;
  if (selection != explorer.selection) CloseInlineResponse(id);
  WindowById(id).selection = std::move(selection);
  EventArgs args;
  Raise(id, EventKind::kSelectionChange, args);
}

Id Model::Open(const std::string& item) {
  if (!started_) throw ActionRefused("Outlook is not running");
  const Id id = ItemNamed(item).id;
  for (const Window& window : windows_) {
    if (window.open && !window.IsExplorer() && window.item == id) {
      const Id shown = window.id;
      MakeActive(shown);
      return shown;
    }
  }
  return OpenInspector(id);
}

Id Model::Compose(const std::string& name, BodyFormat format) {
  if (!started_) throw ActionRefused("Outlook is not running");
  const Id item = AddItem(name, ItemKind::kMail, "");
  Item& composed = ItemById(item);
  composed.format = format;
  if (format == BodyFormat::kHtml) composed.htmlBody = "<html><body></body></html>";
  return OpenInspector(item);
}

Id Model::OpenInspector(Id item) {
  // Word edits mail only; contacts, appointments and the like keep Outlook's own forms.
  const bool word = wordEditor_ && ItemById(item).kind == ItemKind::kMail;
  windows_.push_back(NewWindow(++inspectorsOpened_, word));
  const Id inspector = windows_.back().id;
  windows_.back().item = item;
  ItemById(item).shown = true;
  // Outlook announces the inspector before its window appears and takes the focus.
  EventArgs args{inspector};
  Raise(kApplication, EventKind::kNewInspector, args);
  if (inspectorShown_ && WindowById(inspector).open) inspectorShown_(inspector);
  MakeActive(inspector);
  return inspector;
}

void Model::Activate(int number) {
  MakeActive(OpenWindow(number).id);
}

void Model::MakeActive(Id window) {
  const Id previous = active_;
  if (previous == window) return;
  active_ = window;
  const auto old = std::find_if(windows_.begin(), windows_.end(),
                                [&](const Window& candidate) { return candidate.id == previous; });
  if (old != windows_.end() && old->open && !old->IsExplorer()) {
    EventArgs args;
    Raise(previous, EventKind::kDeactivate, args);
  }
  const auto now = std::find_if(windows_.begin(), windows_.end(),
                                [&](const Window& candidate) { return candidate.id == window; });
  if (active_ == window && now != windows_.end() && now->open && !now->IsExplorer()) {
    EventArgs args;
    Raise(window, EventKind::kActivate, args);
  }
}

void Model::ActivateNext() {
  Id next = 0;
  for (const Window& candidate : windows_) {
    if (candidate.open) next = candidate.id;
  }
  if (ActiveExplorer()) next = *ActiveExplorer();
  if (next != 0) MakeActive(next);
}

// Office raises a Click on every control that shares the clicked one's tag, in every window.
void Model::Click(const std::string& text) {
  Control& control = VisibleControl(Active(), text);
  if (control.kind != ControlKind::kButton) {
    throw ActionRefused(QuoteText(text) + " is not a button");
  }
  std::vector<Id> reached{control.id};
  if (!control.tag.empty()) {
    for (const BarSet& set : barSets_) {
      for (const Bar& bar : set.bars) {
        for (const Control& other : bar.controls) {
          if (other.id != control.id && other.tag == control.tag) reached.push_back(other.id);
        }
      }
    }
  }
  EventArgs args;
  args.control = control.id;
  Raise(reached, EventKind::kClick, args);
}

void Model::Choose(std::int32_t index) {
  Window& window = Active();
  Control* files = nullptr;
  for (Bar& bar : Bars(window.id)) {
    if (!bar.visible) continue;
    for (Control& control : bar.controls) {
      if (control.kind == ControlKind::kComboBox && control.visible) files = &control;
    }
  }
  if (files == nullptr) throw ActionRefused("no Files list shows in the active window");
  if (index < 1 || index > static_cast<std::int32_t>(files->entries.size())) {
    throw ActionRefused("the Files list has no entry " + std::to_string(index));
  }
  files->listIndex = index;
}

void Model::Send(bool cancelledLater) {
  Window& inspector = ActiveInspector();
  const Id window = inspector.id;
  Item& item = ItemById(inspector.item);
  if (item.kind != ItemKind::kMail) throw ActionRefused(item.name + " is not a mail item");
  if (item.sent) throw ActionRefused(item.name + " has been sent already");
  const Id sent = item.id;
  EventArgs args;
  Raise(sent, EventKind::kSend, args);
  if (args.cancel || cancelledLater) return;
  ItemById(sent).sent = true;
  CloseInspector(WindowById(window));
  AfterClose();
}

Id Model::ReplyInline(const std::string& item) {
  if (MajorVersion() < 15)
    throw ActionRefused("Outlook answers in the reading pane from 2013 (15.x)");
  Window& explorer = Explorer();
  if (explorer.inlineResponse != 0)
    throw ActionRefused("a reply is open in the reading pane already");
  const Item& original = ItemNamed(item);
  const Id reply = AddItem(original.name + "-reply", ItemKind::kMail, "");
  Item& composed = ItemById(reply);
  composed.subject = "RE: " + original.subject;
  composed.format = original.format;
  composed.shown = true;
  Explorer().inlineResponse = reply;
  EventArgs args;
  args.item = reply;
  Raise(Explorer().id, EventKind::kInlineResponse, args);
  return reply;
}

void Model::SendInline() {
  Window& explorer = Explorer();
  const Id explorerId = explorer.id;
  const Id reply = explorer.inlineResponse;
  if (reply == 0) throw ActionRefused("no reply is open in the reading pane");
  EventArgs args;
  Raise(reply, EventKind::kSend, args);
  if (args.cancel) return;
  ItemById(reply).sent = true;
  CloseInlineResponse(explorerId);
}

void Model::CloseActive() {
  CloseInspector(ActiveInspector());
  AfterClose();
}

void Model::CloseExplorer() {
  Window& explorer = Explorer();
  const Id id = explorer.id;
  EventArgs args;
  Raise(id, EventKind::kClose, args);
  Window& closed = WindowById(id);
  closed.open = false;
  BarSetById(closed.barSet).bars.clear();
  if (active_ == id) {
    active_ = 0;
    ActivateNext();
  }
  AfterClose();
}

void Model::CloseInspector(Window& inspector) {
  const Id window = inspector.id;
  if (active_ == window) {
    EventArgs deactivate;
    Raise(window, EventKind::kDeactivate, deactivate);
  }
  EventArgs close;
  Raise(window, EventKind::kClose, close);
  Window& closed = WindowById(window);
  closed.open = false;
  // Word keeps its bars for the inspectors it edits later.
  if (!closed.wordMail) BarSetById(closed.barSet).bars.clear();
  if (active_ != window) return;
  active_ = 0;
  ActivateNext();
}

void Model::AfterClose() {
  if (AnyWindowOpen() || automation_ || !lastWindowClosed_) return;
  lastWindowClosed_();
}

bool Model::AnyWindowOpen() const {
  return std::any_of(windows_.begin(), windows_.end(),
                     [](const Window& window) { return window.open; });
}

void Model::CloseAllWindows() {
  // By index: a handler may open another window meanwhile.
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (windows_[i].open && !windows_[i].IsExplorer()) CloseInspector(windows_[i]);
  }
  if (ActiveExplorer()) {
    const Id explorer = Explorer().id;
    EventArgs args;
    Raise(explorer, EventKind::kClose, args);
    Window& closed = WindowById(explorer);
    closed.open = false;
    BarSetById(closed.barSet).bars.clear();
  }
  active_ = 0;
}

void Model::SaveAttachmentAs(const std::string& item, std::int32_t index, const std::string& path) {
  const Item& holder = ItemNamed(item);
  if (index < 1 || index > static_cast<std::int32_t>(holder.attachments.size())) {
    throw ActionRefused(item + " has no attachment " + std::to_string(index));
  }
  files_.Write(path, holder.attachments[static_cast<std::size_t>(index - 1)].bytes);
}

void Model::SetClipboard(const std::vector<ClipboardEntry>& entries) {
  OpenClipboard open(clipboard_);
  clipboard_.Empty();
  for (const ClipboardEntry& entry : entries) {
    const std::uint32_t format = entry.registeredName.empty()
                                     ? entry.format
                                     : clipboard_.RegisterFormat(entry.registeredName);
    if (!clipboard_.SetData(format, entry.bytes)) {
      throw ActionRefused("the clipboard refused the copy");
    }
  }
}

Model::ClipboardState Model::Clipboard() const {
  OpenClipboard open(clipboard_);
  return {ViewClipboard(clipboard_), ClipboardText(clipboard_)};
}

// Windows and bars.

Window Model::NewWindow(int number, bool wordMail) {
  Window window;
  window.id = NewId();
  window.number = number;
  window.wordMail = wordMail;
  if (wordMail && wordBars_ != 0) {
    window.barSet = wordBars_;
    return window;
  }
  BarSet set{NewId(), {}};
  for (const char* builtIn : {"Standard", "Formatting"}) {
    set.bars.push_back({NewId(), builtIn, 1, true, false, {}});
  }
  for (const std::string& saved : savedBars_)
    set.bars.push_back({NewId(), saved, 1, true, false, {}});
  window.barSet = set.id;
  if (wordMail) wordBars_ = set.id;
  barSets_.push_back(std::move(set));
  return window;
}

Window& Model::Explorer() {
  if (!ActiveExplorer()) throw ActionRefused("Outlook shows no explorer");
  return windows_.front();
}

std::optional<Id> Model::ActiveExplorer() const {
  if (windows_.empty() || !windows_.front().IsExplorer() || !windows_.front().open) {
    return std::nullopt;
  }
  return windows_.front().id;
}

Window& Model::OpenWindow(int number) {
  for (Window& window : windows_) {
    if (window.number == number && window.open) return window;
  }
  if (number == 0) throw ActionRefused("Outlook shows no explorer");
  throw ActionRefused("no open inspector " + std::to_string(number));
}

Window& Model::Active() {
  for (Window& window : windows_) {
    if (window.id == active_ && window.open) return window;
  }
  throw ActionRefused("no window is active");
}

Window& Model::ActiveInspector() {
  for (Window& window : windows_) {
    if (window.id == active_ && window.open && !window.IsExplorer()) return window;
  }
  throw ActionRefused("the active window is not an inspector");
}

// What the user sees: a visible control of that label on a visible bar of the window; two of
// them would leave the user guessing, and show a fault of the add-in's.
Control& Model::VisibleControl(Window& window, const std::string& text) {
  bool hidden = false;
  Control* found = nullptr;
  for (Bar& bar : Bars(window.id)) {
    for (Control& control : bar.controls) {
      const std::string& label = control.caption.empty() ? control.tooltip : control.caption;
      if (label != text) continue;
      if (!control.visible || !bar.visible) {
        hidden = true;
        continue;
      }
      if (found != nullptr) {
        throw ActionRefused("two controls " + QuoteText(text) + " show in " +
                            WindowName(window.id));
      }
      found = &control;
    }
  }
  if (found != nullptr) return *found;
  throw ActionRefused(hidden ? QuoteText(text) + " is hidden" : "no control " + QuoteText(text));
}

// What the add-in reaches.

Window& Model::WindowById(Id id) {
  for (Window& window : windows_) {
    if (window.id == id) {
      if (!window.open) throw Disconnected();
      return window;
    }
  }
  throw Disconnected();
}

std::string Model::Caption(Id explorer) {
  return FolderById(WindowById(explorer).folder).name + " - Microsoft Outlook";
}

std::string Model::WindowName(Id window) const {
  for (const Window& candidate : windows_) {
    if (candidate.id != window) continue;
    return candidate.IsExplorer() ? "the explorer"
                                  : "inspector " + std::to_string(candidate.number);
  }
  return "a window";
}

std::string Model::BarOwnerName(Id bar) const {
  const BarSet& set = BarSetOfBar(bar);
  if (set.id == wordBars_) return "Word";
  for (const Window& window : windows_) {
    if (window.barSet == set.id) return WindowName(window.id);
  }
  return "a window";
}

Folder& Model::FolderById(Id id) {
  for (Folder& folder : folders_) {
    if (folder.id == id) return folder;
  }
  throw Disconnected();
}

Item& Model::ItemById(Id id) {
  for (Item& item : items_) {
    if (item.id == id) return item;
  }
  throw Disconnected();
}

Item& Model::ItemOfAttachment(Id attachment) {
  for (Item& item : items_) {
    for (const Attachment& candidate : item.attachments) {
      if (candidate.id == attachment) return item;
    }
  }
  throw Disconnected();
}

Attachment& Model::AttachmentById(Id id) {
  for (Attachment& attachment : ItemOfAttachment(id).attachments) {
    if (attachment.id == id) return attachment;
  }
  throw Disconnected();
}

Id Model::AddAttachment(Id item, const std::string& source, std::int32_t) {
  Item& target = ItemById(item);
  if (target.refusesAttachments) throw OperationFailed();
  // By value: later changes to the file do not reach the item.
  Attachment attachment{NewId(), FileNameOf(source), files_.Read(source)};
  target.attachments.push_back(attachment);
  target.changed = true;
  return attachment.id;
}

void Model::RemoveAttachment(Id item, std::int32_t index) {
  Item& target = ItemById(item);
  auto& attachments = target.attachments;
  if (index < 1 || index > static_cast<std::int32_t>(attachments.size())) throw OutOfBounds();
  attachments.erase(attachments.begin() + (index - 1));
  target.changed = true;
}

void Model::Detach(const std::string& item, std::int32_t index) {
  auto& attachments = ItemNamed(item).attachments;
  if (index < 1 || index > static_cast<std::int32_t>(attachments.size())) {
    throw ActionRefused(item + " has no attachment " + std::to_string(index));
  }
  attachments.erase(attachments.begin() + (index - 1));
}

void Model::SaveAttachment(Id attachment, const std::string& path) {
  files_.Write(path, AttachmentById(attachment).bytes);
}

std::string Model::HtmlBodyOf(Id item) {
  const Item& source = ItemById(item);
  if (source.format == BodyFormat::kHtml) return source.htmlBody;
  if (MajorVersion() < 11) return {};
  return ConvertedToHtml(source.body,
                         source.format == BodyFormat::kRtf ? "text/rtf" : "text/plain");
}

void Model::SetHtmlBody(Id item, const std::string& html) {
  Item& target = ItemById(item);
  if (target.refusesHtml) throw OperationFailed();
  target.format = BodyFormat::kHtml;
  target.htmlBody = html;
  target.body = WithoutTags(html);
  target.changed = true;
}

void Model::SetBody(Id item, const std::string& text) {
  Item& target = ItemById(item);
  target.body = text;
  if (target.format == BodyFormat::kHtml)
    target.htmlBody = "<html><body>" + text + "</body></html>";
  target.changed = true;
}

// Outlook counts a write as a change even when it writes what was there.
void Model::SetBilling(Id item, const std::string& text) {
  Item& target = ItemById(item);
  target.billing = text;
  target.changed = true;
}

std::int32_t Model::BodyFormatOf(Id item) {
  const int major = MajorVersion();
  if (major < 10) throw Error(kNoSuchMember, kOutlookSource, ClassicDescription(kNoSuchMember));
  const Item& source = ItemById(item);
  if (major == 10 && !source.shown) return 0;
  return static_cast<std::int32_t>(source.format);
}

void Model::InvalidateRibbonControl(const std::string& ribbonId, const std::string& control) {
  for (Window& window : windows_) {
    if (window.ribbonId != ribbonId) continue;
    for (RibbonShown& shown : window.ribbon) {
      if (shown.id == control) shown.stale = true;
    }
  }
}

Id Model::InlineResponseOf(Id explorer) {
  if (MajorVersion() < 15)
    throw Error(kNoSuchMember, kOutlookSource, ClassicDescription(kNoSuchMember));
  return WindowById(explorer).inlineResponse;
}

std::vector<Bar>& Model::Bars(Id window) {
  return BarSetById(WindowById(window).barSet).bars;
}

const std::vector<Bar>& Model::BarsShownBy(const Window& window) const {
  static const std::vector<Bar> none;
  if (!window.open) return none;
  for (const BarSet& set : barSets_) {
    if (set.id == window.barSet) return set.bars;
  }
  return none;
}

BarSet& Model::BarSetById(Id id) {
  for (BarSet& set : barSets_) {
    if (set.id == id) return set;
  }
  throw Disconnected();
}

const BarSet& Model::BarSetOfBar(Id bar) const {
  for (const BarSet& set : barSets_) {
    for (const Bar& candidate : set.bars) {
      if (candidate.id == bar) return set;
    }
  }
  throw Disconnected();
}

BarSet& Model::BarSetOfBar(Id bar) {
  return const_cast<BarSet&>(std::as_const(*this).BarSetOfBar(bar));
}

Bar& Model::BarById(Id id) {
  for (Bar& bar : BarSetOfBar(id).bars) {
    if (bar.id == id) return bar;
  }
  throw Disconnected();
}

Id Model::AddBar(Id window, const std::string& name, std::int32_t position, bool temporary) {
  auto& bars = Bars(window);
  const bool taken =
      std::any_of(bars.begin(), bars.end(), [&](const Bar& bar) { return bar.name == name; });
  if (taken) throw OfficeRefuses();
  // Office adds a new bar hidden.
  bars.push_back({NewId(), name, position, false, temporary, {}});
  return bars.back().id;
}

void Model::DeleteBar(Id bar) {
  auto& bars = BarSetOfBar(bar).bars;
  std::erase_if(bars, [&](const Bar& candidate) { return candidate.id == bar; });
}

Control& Model::ControlById(Id id) {
  for (BarSet& set : barSets_) {
    for (Bar& bar : set.bars) {
      for (Control& control : bar.controls) {
        if (control.id == id) return control;
      }
    }
  }
  throw Disconnected();
}

Bar& Model::BarOfControl(Id control) {
  for (BarSet& set : barSets_) {
    for (Bar& bar : set.bars) {
      for (const Control& candidate : bar.controls) {
        if (candidate.id == control) return bar;
      }
    }
  }
  throw Disconnected();
}

Id Model::AddControl(Id bar, ControlKind kind, const std::string& parameter) {
  Control control;
  control.id = NewId();
  control.kind = kind;
  control.parameter = parameter;
  BarById(bar).controls.push_back(control);
  return control.id;
}

// As Office does: the button formats when both are there, else the standard picture.
void Model::PasteFace(Id control) {
  Control& button = ControlById(control);
  std::optional<platform::Bytes> picture, mask;
  {
    OpenClipboard open(clipboard_);
    const std::uint32_t faceFormat = clipboard_.RegisterFormat(kFaceFormat);
    const std::uint32_t maskFormat = clipboard_.RegisterFormat(kMaskFormat);
    if (clipboard_.IsFormatAvailable(faceFormat) && clipboard_.IsFormatAvailable(maskFormat)) {
      picture = clipboard_.GetData(faceFormat);
      mask = clipboard_.GetData(maskFormat);
    } else {
      picture = clipboard_.GetData(platform::kCfDib);
      if (!picture) picture = clipboard_.GetBitmap();
    }
  }
  const std::optional<std::string> face =
      picture ? FaceIdentity(*picture, mask ? &*mask : nullptr) : std::nullopt;
  if (!face) {
    throw Error(kFailed, kOfficeSource, "Method 'PasteFace' of object '_CommandBarButton' failed");
  }
  button.face = *face;
  button.facePixels = *ShownFacePixels(*picture, mask ? &*mask : nullptr);
  button.picture.clear();
}

void Model::SetFacePicture(Id control, const platform::Bytes& picture) {
  if (MajorVersion() < kFirstPictureProperties) throw MemberNotFound();
  Control& button = ControlById(control);
  const std::optional<std::string> face = FaceIdentity(picture, nullptr);
  if (!face) throw InvalidArgument();
  button.face = *face;
  button.facePixels = *ShownFacePixels(picture, nullptr);
  button.picture = picture;
}

void Model::SetFaceMask(Id control, const platform::Bytes& mask) {
  if (MajorVersion() < kFirstPictureProperties) throw MemberNotFound();
  Control& button = ControlById(control);
  if (button.picture.empty()) return;  // nothing to apply it to yet
  const std::optional<std::string> face = FaceIdentity(button.picture, &mask);
  if (!face) throw InvalidArgument();
  button.face = *face;
  button.facePixels = *ShownFacePixels(button.picture, &mask);
}

std::int32_t Model::Left(Id window) {
  return layout::kCascadeStep * WindowById(window).number;
}

std::int32_t Model::WidthOf(const Control& c) {
  if (c.kind == ControlKind::kComboBox) {
    return (c.style == 1 ? TextWidth(c.caption) : 0) + layout::kComboBoxWidth;
  }
  constexpr std::int32_t kIcon = layout::kIconWidth;
  const bool showsCaption = c.style == 2 || c.style == 3 || (c.style == 0 && c.face.empty());
  const bool showsIcon = c.style != 2;
  const std::int32_t width = (showsIcon ? kIcon : 0) + (showsCaption ? TextWidth(c.caption) : 0);
  return std::max(width, kIcon);
}

std::int32_t Model::Top(Id control) {
  const Bar& bar = BarOfControl(control);
  const BarSet& set = BarSetOfBar(bar.id);
  const Window* shown = nullptr;
  for (const Window& window : windows_) {
    if (!window.open || window.barSet != set.id) continue;
    if (shown == nullptr || window.id == active_) shown = &window;
  }
  if (shown == nullptr) throw Disconnected();
  return TopOf(*shown, set.bars, bar);
}

std::int32_t Model::TopOf(const Window& window, const std::vector<Bar>& bars, const Bar& bar) {
  std::int32_t row = 0;
  for (const Bar& before : bars) {
    if (before.id == bar.id) break;
    if (before.visible) ++row;
  }
  return layout::kCascadeStep * window.number + layout::kCaptionAndMenu + layout::kBarRow * row +
         layout::kControlInset;
}

// Events, delivered to every subscriber in the order they subscribed, or the reverse.

std::uint64_t Model::Subscribe(Id source, EventKind kind, Handler handler) {
  subscribers_.emplace(nextToken_, Subscriber{source, kind, std::make_shared<Handler>(handler)});
  return nextToken_++;
}

void Model::Unsubscribe(std::uint64_t token) {
  subscribers_.erase(token);
}

void Model::Raise(const std::vector<Id>& sources, EventKind kind, EventArgs& args) {
  std::vector<std::uint64_t> tokens;
  for (const auto& [token, subscriber] : subscribers_) {
    if (subscriber.kind == kind && std::ranges::find(sources, subscriber.source) != sources.end()) {
      tokens.push_back(token);
    }
  }
  if (reverseEvents_) std::ranges::reverse(tokens);
  for (const std::uint64_t token : tokens) {
    const auto subscriber = subscribers_.find(token);
    if (subscriber == subscribers_.end()) continue;  // ended by an earlier handler
    const std::shared_ptr<Handler> handler = subscriber->second.handler;
    (*handler)(args);
  }
}

}  // namespace voxtrel::olsim
