#include "sim/outlook/session.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
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

// Actions that need Outlook running.
const std::vector<std::string> kRunningActions = {"goto",  "select", "open", "compose", "activate",
                                                  "click", "choose", "send", "close",   "quit"};

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
      out_(out) {}

SessionRunner::~SessionRunner() = default;

int SessionRunner::Run(std::istream& session, std::ostream& err) {
  std::string line;
  for (int number = 1; std::getline(session, line); ++number) {
    try {
      const std::vector<std::string> words = SplitSessionLine(line);
      if (!words.empty()) Perform(words);
      ReportHandlerFailures(number);
    } catch (const std::exception& error) {
      ReportHandlerFailures(number);
      out_.flush();
      err << "line " << number << ": " << error.what() << '\n';
      return 1;
    }
  }
  return 0;
}

void SessionRunner::ReportHandlerFailures(int line) {
  for (const std::string& failure : host_.takeHandlerFailures()) {
    out_ << "line " << line << ": the add-in's " << failure << '\n';
  }
}

void SessionRunner::Perform(const std::vector<std::string>& words) {
  const std::string& action = words[0];
  const std::size_t count = words.size();
  const bool needsOutlook =
      std::find(kRunningActions.begin(), kRunningActions.end(), action) != kRunningActions.end();
  if (quit_ && action != "dump" && action != "clipboard" && action != "held")
    throw ActionRefused("Outlook has quit");
  if (needsOutlook && !started_) throw ActionRefused("Outlook is not running");

  if (action == "dump") {
    out_ << Dump(*model_);
  } else if (action == "start") {
    Require(count == 1 || (count == 2 && words[1] == "no-explorer"), "start [no-explorer]");
    Start(count == 1);
  } else if (action == "goto") {
    Require(count == 2, "goto FOLDER");
    model_->Goto(words[1]);
  } else if (action == "select") {
    Require(count >= 2, "select ID... | select none");
    if (count == 2 && words[1] == "none") {
      model_->Select({});
    } else {
      model_->Select({words.begin() + 1, words.end()});
    }
  } else if (action == "open") {
    Require(count == 2, "open ID");
    model_->Open(words[1]);
  } else if (action == "compose") {
    const bool html = count > 1 && words.back() == "html";
    const std::size_t named = count - (html ? 1 : 0);
    Require(named <= 2, "compose [ID] [html]");
    model_->Compose(named == 2 ? words[1] : "new" + std::to_string(++composed_), html);
  } else if (action == "activate") {
    Require(count == 2, "activate explorer | activate N");
    model_->Activate(words[1] == "explorer" ? 0
                                            : Number(words[1], "activate explorer | activate N"));
  } else if (action == "click") {
    Require(count == 2, "click TEXT");
    model_->Click(words[1]);
  } else if (action == "choose") {
    Require(count == 2, "choose N");
    model_->Choose(Number(words[1], "choose N"));
  } else if (action == "wait") {
    Require(count == 2, "wait MS");
    host_.wait(static_cast<std::uint32_t>(Number(words[1], "wait MS")));
  } else if (action == "send" || action == "close") {
    Require(count == 1, action);
    action == "send" ? model_->Send() : model_->CloseActive();
  } else if (action == "save") {
    Require(count == 4, "save ID N FILE");
    const std::int32_t index = Number(words[2], "save ID N FILE");
    model_->SaveAttachmentAs(words[1], index, host_.saveFolder + "\\" + words[3]);
    const Attachment& saved =
        model_->ItemNamed(words[1]).attachments[static_cast<std::size_t>(index - 1)];
    out_ << "saved " << words[1] << ' ' << index << ' ' << QuoteText(saved.fileName) << ' '
         << saved.bytes.size() << " bytes to " << QuoteText(words[3]) << '\n';
  } else if (action == "clipboard") {
    Require(count == 2, "clipboard TEXT");
    model_->SetClipboardText(words[1]);
  } else if (action == "held") {
    Require(count == 1, "held");
    ReportHeld();
  } else if (action == "quit") {
    Require(count == 1, "quit");
    Quit();
  } else {
    SetUp(words);
  }
}

void SessionRunner::SetUp(const std::vector<std::string>& words) {
  const std::string& action = words[0];
  const std::size_t count = words.size();
  if (action == "version") {
    Require(count == 2, "version TEXT");
    model_->SetVersion(words[1]);
  } else if (action == "folder") {
    const char* usage = "folder NAME mail|calendar|contacts|tasks|notes|journal";
    Require(count == 3, usage);
    model_->AddFolder(words[1], KindNamed(kFolderKinds, words[2], usage));
  } else if (action == "mail") {
    AddMail(words);
  } else if (action == "item") {
    const char* usage = "item ID contact|appointment|meeting|report|task|note|post in FOLDER";
    Require(count == 5 && words[3] == "in", usage);
    model_->AddItem(words[1], KindNamed(kItemKinds, words[2], usage), words[4]);
  } else if (action == "saved-bar") {
    Require(count == 2, "saved-bar NAME");
    model_->AddSavedBar(words[1]);
  } else {
    throw ActionRefused("unknown action \"" + action + "\"");
  }
}

void SessionRunner::AddMail(const std::vector<std::string>& words) {
  const char* usage =
      "mail ID in FOLDER [sent] [subject TEXT] [body TEXT] [html TEXT] [attach NAME FILE]...";
  Require(words.size() >= 4 && words[2] == "in", usage);
  Item& mail = model_->ItemById(model_->AddItem(words[1], ItemKind::kMail, words[3]));
  bool hasBody = false;
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
    } else if (option == "attach" && left >= 2) {
      const std::string& name = words[i + 1];
      model_->Attach(mail.id, name, ReadSessionFile(words[i + 2]));
      i += 2;
    } else {
      Require(false, usage);
    }
  }
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
    if (std::string(what) == "OnConnection") addIn_.reset();
  }
}

void SessionRunner::Start(bool withExplorer) {
  model_->Start(withExplorer);
  started_ = true;
  addIn_ = host_.loadAddIn();
  CallAddIn("OnConnection", [](AddIn& addIn) { addIn.OnConnection(); });
  CallAddIn("OnStartupComplete", [](AddIn& addIn) { addIn.OnStartupComplete(); });
  model_->ShowFirstSelection();
}

void SessionRunner::Quit() {
  model_->CloseAllWindows();
  CallAddIn("OnBeginShutdown", [](AddIn& addIn) { addIn.OnBeginShutdown(); });
  CallAddIn("OnDisconnection", [](AddIn& addIn) { addIn.OnDisconnection(); });
  addIn_.reset();
  quit_ = true;
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
