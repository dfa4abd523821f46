#include "sim/outlook/session.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "sim/outlook/dump.h"

namespace voxtrel::olsim {
namespace {

const std::map<std::string, FolderKind> kFolderKinds = {
    {"mail", FolderKind::kMail},         {"calendar", FolderKind::kCalendar},
    {"contacts", FolderKind::kContacts}, {"tasks", FolderKind::kTasks},
    {"notes", FolderKind::kNotes},       {"journal", FolderKind::kJournal}};

const std::map<std::string, ItemKind> kItemKinds = {{"contact", ItemKind::kContact},
                                                    {"appointment", ItemKind::kAppointment},
                                                    {"meeting", ItemKind::kMeetingRequest},
                                                    {"report", ItemKind::kReport},
                                                    {"task", ItemKind::kTask},
                                                    {"note", ItemKind::kNote},
                                                    {"post", ItemKind::kPost}};

constexpr char kClipboardUsage[] =
    "clipboard TEXT | clipboard [unicode TEXT] [html TEXT] [picture FILE] [files NAME...]";

constexpr char kMailUsage[] =
    "mail ID in FOLDER [sent] [subject TEXT] [body TEXT] [html TEXT] [format plain|html|rtf] "
    "[refuse-html] [refuse-attach] [attach NAME FILE]...";

const std::map<std::string, BodyFormat> kFormats = {
    {"plain", BodyFormat::kPlain}, {"html", BodyFormat::kHtml}, {"rtf", BodyFormat::kRtf}};

void Require(bool condition, const std::string& usage) {
  if (!condition) throw ActionRefused("expected: " + usage);
}

std::int32_t Number(const std::string& word, const std::string& usage) {
  Require(!word.empty() && word.size() < 10 &&
              std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; }),
          usage);
  return std::stoi(word);
}

template <typename Kind>
Kind KindNamed(const std::map<std::string, Kind>& kinds, const std::string& word,
               const std::string& usage) {
  const auto kind = kinds.find(word);
  Require(kind != kinds.end(), usage);
  return kind->second;
}

char Unescaped(char c) {
  switch (c) {
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    default:
      return c;
  }
}

}  // namespace

std::vector<std::string> SplitSessionLine(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      std::string word;
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size())
          ++i, word += Unescaped(line[i]);
        else
          word += line[i];
      }
      if (i == line.size()) throw ActionRefused("a quote is not closed");
      ++i;
      words.push_back(word);
    } else {
      const std::size_t end = line.find_first_of(" \t\r", i);
      words.push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
      i = end == std::string::npos ? line.size() : end;
    }
  }
  return words;
}

SessionRunner::SessionRunner(std::shared_ptr<Model> model, SessionHost host,
                             std::filesystem::path sessionFile, std::ostream& out)
    : model_(std::move(model)),
      host_(std::move(host)),
      sessionFile_(std::move(sessionFile)),
      out_(out),
      ribbon_(*model_, out) {}

SessionRunner::~SessionRunner() {
  ribbon_.Connected(nullptr);
}

void SessionRunner::HoldAddIn(std::unique_ptr<AddIn> addIn) {
  ribbon_.Connected(nullptr);
  addIn_ = std::move(addIn);
  if (addIn_) ribbon_.Connected(addIn_->Ribbon());
}

int SessionRunner::Run(std::istream& session, std::ostream& err) {
  return Run(
      [&session]() -> std::optional<std::string> {
        std::string line;
        if (!std::getline(session, line)) return std::nullopt;
        return line;
      },
      err);
}

int SessionRunner::Run(LineSource nextLine, std::ostream& err) {
  err_ = &err;
  nextLine_ = std::move(nextLine);
  Continue();
  if (!host_.runUntil([this] { return done_; })) {
    out_.flush();
    err << "line " << lineNumber_ << ": the session hangs: it never got past this wait\n";
    return 1;
  }
  return status_;
}

void SessionRunner::Continue() {
  waiting_ = false;
  while (!done_ && !waiting_) {
    try {
      // What the add-in invalidated, Office asks again before the user sees it: before the next
      // action is chosen, since a monkey chooses it from what the Ribbon shows.
      if (started_ && !quit_) ribbon_.Refresh();
    } catch (const std::exception& error) {
      out_.flush();
      *err_ << "line " << lineNumber_ << ": " << error.what() << '\n';
      status_ = 1;
      done_ = true;
      break;
    }
    const std::optional<std::string> line = nextLine_();
    if (!line) {
      done_ = true;
      break;
    }
    const int number = static_cast<int>(++lineNumber_);
    try {
      const std::vector<std::string> words = SplitSessionLine(*line);
      if (!words.empty()) Perform(words);
      ReportHandlerFailures(number);
    } catch (const std::exception& error) {
      ReportHandlerFailures(number);
      out_.flush();
      *err_ << "line " << number << ": " << error.what() << '\n';
      status_ = 1;
      done_ = true;
    }
  }
  if (done_ && started_ && !quit_) {
    // Outlook's final release of an add-in it did not shut down, here in whichever loop pumps
    // now, as quit's: when that is a recording's capture loop, only the release ends it.
    HoldAddIn(nullptr);
    ReportHeld();
  }
}

void SessionRunner::ReportHandlerFailures(int line) {
  if (host_.takeMessageBoxes) {
    for (const auto& [caption, text] : host_.takeMessageBoxes()) {
      out_ << "message box " << QuoteText(caption) << ' ' << QuoteText(text) << '\n';
    }
  }
  for (const std::string& failure : host_.takeHandlerFailures()) {
    out_ << "line " << line << ": the add-in's " << failure << '\n';
  }
}

// Each action: the form of its line, how many words it takes (its own included), whether it
// needs Outlook running and what it does.
struct SessionRunner::Action {
  const char* usage;
  std::size_t minWords, maxWords;
  bool needsOutlook;
  std::function<void(SessionRunner&, const Words&)> perform;
};

const std::map<std::string, SessionRunner::Action>& SessionRunner::Actions() {
  constexpr std::size_t kMany = 1000;
  static const std::map<std::string, Action> actions = {
      {"version",
       {"version TEXT", 2, 2, false,
        [](SessionRunner& r, const Words& w) { r.model_->SetVersion(w[1]); }}},
      {"editor",
       {"editor word|outlook", 2, 2, false,
        [](SessionRunner& r, const Words& w) {
          Require(w[1] == "word" || w[1] == "outlook", r.usage_);
          r.model_->SetWordEditor(w[1] == "word");
        }}},
      {"folder",
       {"folder NAME mail|calendar|contacts|tasks|notes|journal", 3, 3, false,
        [](SessionRunner& r, const Words& w) {
          r.model_->AddFolder(w[1], KindNamed(kFolderKinds, w[2], r.usage_));
        }}},
      {"mail", {kMailUsage, 4, kMany, false, &SessionRunner::AddMail}},
      {"item",
       {"item ID contact|appointment|meeting|report|task|note|post in FOLDER", 5, 5, false,
        [](SessionRunner& r, const Words& w) {
          Require(w[3] == "in", r.usage_);
          r.model_->AddItem(w[1], KindNamed(kItemKinds, w[2], r.usage_), w[4]);
        }}},
      {"saved-bar",
       {"saved-bar NAME", 2, 2, false,
        [](SessionRunner& r, const Words& w) { r.model_->AddSavedBar(w[1]); }}},
      {"clipboard", {kClipboardUsage, 2, kMany, false, &SessionRunner::Clipboard}},
      {"start", {"start [no-explorer]", 1, 2, false, &SessionRunner::Start}},
      {"goto",
       {"goto FOLDER", 2, 2, true, [](SessionRunner& r, const Words& w) { r.model_->Goto(w[1]); }}},
      {"select",
       {"select ID... | select none", 2, kMany, true,
        [](SessionRunner& r, const Words& w) {
          const bool none = w.size() == 2 && w[1] == "none";
          r.model_->Select(none ? Words() : Words(w.begin() + 1, w.end()));
        }}},
      {"open",
       {"open ID", 2, 2, true, [](SessionRunner& r, const Words& w) { r.model_->Open(w[1]); }}},
      {"compose", {"compose [ID] [html|rtf]", 1, 3, true, &SessionRunner::Compose}},
      {"activate",
       {"activate explorer | activate N", 2, 2, true,
        [](SessionRunner& r, const Words& w) {
          r.model_->Activate(w[1] == "explorer" ? 0 : Number(w[1], r.usage_));
        }}},
      {"click",
       {"click TEXT", 2, 2, true, [](SessionRunner& r, const Words& w) { r.model_->Click(w[1]); }}},
      {"choose",
       {"choose N", 2, 2, true,
        [](SessionRunner& r, const Words& w) { r.model_->Choose(Number(w[1], r.usage_)); }}},
      {"wait",
       {"wait MS", 2, 2, false,
        [](SessionRunner& r, const Words& w) {
          r.waiting_ = true;
          r.host_.after(static_cast<std::uint32_t>(Number(w[1], r.usage_)), [&r] { r.Continue(); });
        }}},
      {"send",
       {"send [cancelled] | send inline", 1, 2, true,
        [](SessionRunner& r, const Words& w) {
          Require(w.size() == 1 || w[1] == "cancelled" || w[1] == "inline", r.usage_);
          if (w.size() == 2 && w[1] == "inline") {
            r.model_->SendInline();
          } else {
            r.model_->Send(w.size() == 2);
          }
        }}},
      {"setting", {"setting NAME [TEXT]", 2, 3, false, &SessionRunner::Setting}},
      {"unset", {"unset NAME", 2, 2, false, &SessionRunner::Unset}},
      {"shutdown-notification",
       {"shutdown-notification on|off", 2, 2, false, &SessionRunner::ShutdownNotification}},
      {"dialog", {"dialog [tick|clear|ok|close|escape]", 1, 2, true, &SessionRunner::Dialog}},
      {"close", {"close [explorer]", 1, 2, true, &SessionRunner::Close}},
      {"ribbon",
       {"ribbon click ID | ribbon choose ID N", 3, 4, true, &SessionRunner::RibbonAction}},
      {"reply", {"reply inline ID", 3, 3, true, &SessionRunner::Reply}},
      {"detach",
       {"detach ID N", 3, 3, true,
        [](SessionRunner& r, const Words& w) { r.model_->Detach(w[1], Number(w[2], r.usage_)); }}},
      {"save", {"save ID N FILE", 4, 4, false, &SessionRunner::Save}},
      {"screenshot",
       {"screenshot FILE", 2, 2, false,
        [](SessionRunner& r, const Words& w) {
          if (r.host_.screenshot) r.host_.screenshot(r.host_.saveFolder + "\\" + w[1]);
        }}},
      {"dump",
       {"dump", 1, 1, false, [](SessionRunner& r, const Words&) { r.out_ << Dump(*r.model_); }}},
      {"held", {"held", 1, 1, false, [](SessionRunner& r, const Words&) { r.ReportHeld(); }}},
      {"quit", {"quit", 1, 1, true, &SessionRunner::Quit}},
  };
  return actions;
}

void SessionRunner::Perform(const Words& words) {
  const auto action = Actions().find(words[0]);
  if (action == Actions().end()) throw ActionRefused("unknown action \"" + words[0] + "\"");
  const Action& chosen = action->second;
  usage_ = chosen.usage;
  // What is not Outlook's goes on after it has quit.
  static const std::set<std::string> afterQuit = {"dump",    "held",  "clipboard",
                                                  "setting", "unset", "shutdown-notification"};
  if (quit_ && afterQuit.count(words[0]) == 0) throw ActionRefused("Outlook has quit");
  if (chosen.needsOutlook && !started_) throw ActionRefused("Outlook is not running");
  Require(words.size() >= chosen.minWords && words.size() <= chosen.maxWords, usage_);
  chosen.perform(*this, words);
}

void SessionRunner::Compose(const Words& words) {
  const bool formatted = words.size() > 1 && (words.back() == "html" || words.back() == "rtf");
  const std::size_t named = words.size() - (formatted ? 1 : 0);
  Require(named <= 2, usage_);
  model_->Compose(named == 2 ? words[1] : "new" + std::to_string(++composed_),
                  formatted ? kFormats.at(words.back()) : BodyFormat::kPlain);
}

void SessionRunner::Save(const Words& words) {
  const std::int32_t index = Number(words[2], usage_);
  model_->SaveAttachmentAs(words[1], index, host_.saveFolder + "\\" + words[3]);
  const Attachment& saved =
      model_->ItemNamed(words[1]).attachments[static_cast<std::size_t>(index - 1)];
  out_ << "saved " << words[1] << ' ' << index << ' ' << QuoteText(saved.fileName) << ' '
       << saved.bytes.size() << " bytes to " << QuoteText(words[3]) << '\n';
}

void SessionRunner::AddMail(const Words& words) {
  Require(words[2] == "in", usage_);
  Item& mail = model_->ItemById(model_->AddItem(words[1], ItemKind::kMail, words[3]));
  bool hasBody = false;
  bool refusesHtml = false, refusesAttachments = false;
  for (std::size_t i = 4; i < words.size(); ++i) {
    const std::string& option = words[i];
    const std::size_t left = words.size() - i - 1;
    if (option == "sent") {
      mail.sent = true;
    } else if (option == "subject" && left >= 1) {
      mail.subject = words[++i];
    } else if (option == "body" && left >= 1) {
      mail.body = words[++i];
      hasBody = true;
    } else if (option == "html" && left >= 1) {
      const std::string body = mail.body;
      model_->SetHtmlBody(mail.id, words[++i]);
      if (hasBody) mail.body = body;
    } else if (option == "format" && left >= 1) {
      mail.format = KindNamed(kFormats, words[++i], usage_);
    } else if (option == "refuse-html") {
      refusesHtml = true;
    } else if (option == "refuse-attach") {
      refusesAttachments = true;
    } else if (option == "attach" && left >= 2) {
      const std::string& name = words[i + 1];
      model_->Attach(mail.id, name, ReadSessionFile(words[i + 2]));
      i += 2;
    } else {
      Require(false, usage_);
    }
  }
  mail.refusesHtml = refusesHtml;
  mail.refusesAttachments = refusesAttachments;
  // As the mail arrived or was saved: nothing the add-in wrote.
  mail.changed = false;
}

// One program's copy: each kind with its value, in the order given; the file names take the
// rest of the line.
void SessionRunner::Clipboard(const Words& words) {
  if (words.size() == 2) {
    model_->SetClipboard({TextEntry(words[1])});
    return;
  }
  std::vector<ClipboardEntry> entries;
  for (std::size_t i = 1; i < words.size(); i += 2) {
    const std::string& kind = words[i];
    Require(i + 1 < words.size(), usage_);
    if (kind == "unicode") {
      entries.push_back(UnicodeEntry(words[i + 1]));
    } else if (kind == "html") {
      entries.push_back(HtmlEntry(words[i + 1]));
    } else if (kind == "picture") {
      const auto picture = PictureEntry(ReadSessionFile(words[i + 1]));
      if (!picture) throw ActionRefused(words[i + 1] + " is not a BMP file");
      entries.push_back(*picture);
    } else if (kind == "files") {
      entries.push_back(
          FilesEntry(Words(words.begin() + static_cast<std::ptrdiff_t>(i + 1), words.end())));
      break;
    } else {
      Require(false, usage_);
    }
  }
  model_->SetClipboard(entries);
}

std::string SessionRunner::ReadSessionFile(const std::string& name) const {
  if (name == "-") return "A small text file.\r\n";
  const std::filesystem::path path = sessionFile_.parent_path() / name;
  std::ifstream file(path, std::ios::binary);
  if (!file) throw ActionRefused("cannot read " + name + " beside the session file");
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void SessionRunner::CallAddIn(const char* what, const std::function<void(AddIn&)>& call) {
  if (!addIn_) return;
  try {
    call(*addIn_);
  } catch (const std::exception& error) {
    out_ << "the add-in's " << what << " failed: " << error.what() << '\n';
    // Outlook unloads an add-in whose connection fails.
    if (std::string(what) == "OnConnection") HoldAddIn(nullptr);
  }
}

void SessionRunner::Start(const Words& words) {
  Require(words.size() == 1 || words[1] == "no-explorer", usage_);
  model_->OnLastWindowClosed([this] { Shutdown(); });
  model_->OnInspectorShown([this](Id inspector) { ribbon_.Shown(inspector); });
  model_->Start(words.size() == 1);
  started_ = true;
  HoldAddIn(host_.loadAddIn());
  CallAddIn("OnConnection", [](AddIn& addIn) { addIn.OnConnection(); });
  CallAddIn("OnStartupComplete", [](AddIn& addIn) { addIn.OnStartupComplete(); });
  // Outlook 2010 and later ask for the explorer's Ribbon at start-up.
  if (const auto explorer = model_->ActiveExplorer()) ribbon_.Shown(*explorer);
  model_->ShowFirstSelection();
}

void SessionRunner::Close(const Words& words) {
  Require(words.size() == 1 || words[1] == "explorer", usage_);
  if (words.size() == 2) {
    model_->CloseExplorer();
  } else {
    model_->CloseActive();
  }
}

void SessionRunner::RibbonAction(const Words& words) {
  if (words[1] == "click" && words.size() == 3) {
    ribbon_.Click(words[2]);
  } else if (words[1] == "choose" && words.size() == 4) {
    ribbon_.Choose(words[2], Number(words[3], usage_));
  } else {
    Require(false, usage_);
  }
}

void SessionRunner::Reply(const Words& words) {
  Require(words[1] == "inline", usage_);
  model_->ReplyInline(words[2]);
}

void SessionRunner::Quit(const Words&) {
  model_->CloseAllWindows();
  Shutdown();
}

void SessionRunner::Shutdown() {
  if (quit_) return;
  quit_ = true;
  const int major = model_->MajorVersion();
  if (major <= 11) {
    // Outlook 2000 to 2003 wait for the add-in to let go before they disconnect it.
    const std::vector<std::string> held = host_.held();
    if (!held.empty()) {
      out_ << "Outlook did not quit: the add-in holds " << held.size() << '\n';
      for (const std::string& what : held) out_ << "  " << what << '\n';
      throw ActionRefused("Outlook did not quit: it stays in memory");
    }
  }
  const bool notified = major < 14 || (addIn_ && addIn_->RequiresShutdownNotification());
  if (!notified) {
    out_ << "fast shutdown\n";
    ReportHeld();
    ribbon_.Connected(nullptr);
    if (host_.processEnds) host_.processEnds(std::move(addIn_));
    done_ = true;
    return;
  }
  CallAddIn("OnBeginShutdown", [](AddIn& addIn) { addIn.OnBeginShutdown(); });
  CallAddIn("OnDisconnection", [](AddIn& addIn) { addIn.OnDisconnection(); });
  HoldAddIn(nullptr);
  ReportHeld();
}

void SessionRunner::ReportHeld() {
  const std::vector<std::string> held = host_.held();
  if (held.empty()) {
    out_ << "held by the add-in: none\n";
    return;
  }
  out_ << "held by the add-in: " << held.size() << '\n';
  for (const std::string& what : held) out_ << "  " << what << '\n';
}

}  // namespace voxtrel::olsim
