// A monkey at Outlook: random user sessions, each action chosen from what the windows show at
// that moment (a click on any visible button of the active window's bar, or of the group on its
// Ribbon where Office shows one, a choice in the Files list, a wait, open, compose, select, send,
// close, a reply in the reading pane, an attachment removed in Outlook's own window, ...), played
// natively on the virtual clock, against an Outlook of a random version (2000 to 365, one session
// in four 365), with Word as the editor now and then, and now and then a program's copy on the
// clipboard between actions. Some sessions end without quit, as when Outlook's process ends. No
// session may crash, leak, hang, let an exception out to Outlook, keep Outlook 2000-2003 in
// memory or keep anything of Outlook's after its release; nor may the add-in remove an
// attachment that is not a voice attachment, change a received message or leave the clipboard
// other than the last copy left it. A failing session is printed as a session file that replays
// it.
//
//   monkey [SESSIONS [SEED]]      (defaults: 300 sessions, seed 1)
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sim/outlook/native_outlook.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace voxtrel::olsim {
namespace {

constexpr int kActionsPerSession = 40;
constexpr std::uint64_t kLongestSessionMs = 60 * 60 * 1000;

const std::vector<std::string> kPreamble = {
    "folder Inbox mail",
    "folder Drafts mail",
    "folder Calendar calendar",
    "mail m1 in Inbox sent attach report.pdf - attach first.mp3 files/three-seconds.mp3 "
    "attach LOUD.MP3 files/voice.mp3 attach second.mp3 files/two-seconds.mp3",
    "mail m2 in Inbox sent body Hello",
    "mail d1 in Drafts attach Voxtrel.mp3 files/two-seconds.mp3 attach notes.txt -",
    "mail d2 in Drafts html \"<p>Hi</p>\"",
    "item a1 appointment in Calendar",
    "setting AQ 1",
};

// What programs copy: text in one encoding or another, HTML, a picture, file names, and all of
// them at once.
const std::vector<std::string> kCopies = {
    "clipboard \"plain text\"",
    "clipboard unicode \"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xC3\xA9\"",
    "clipboard html \"<b>bold</b> text\"",
    "clipboard picture files/picture.bmp",
    "clipboard files \"C:\\Users\\Ann\\notes.txt\" C:\\a.doc",
    "clipboard unicode \"\xCE\xB1\xCE\xB2\" html \"<i>a</i>\" picture files/picture.bmp files "
    "C:\\b.txt",
};

// The session being played, for a report even when a sanitizer ends the process.
std::vector<std::string>* g_current = nullptr;
std::uint64_t g_seed = 0;

void PrintReplay(std::ostream& out, const std::vector<std::string>& lines, std::uint64_t seed) {
  out << "# monkey session, seed " << seed << ": replay with outlook-sim from tests/outlook/"
      << "sessions\n";
  for (const std::string& line : lines) out << line << '\n';
}

#if defined(__SANITIZE_ADDRESS__)
void OnSanitizerDeath() {
  if (g_current != nullptr) PrintReplay(std::cerr, *g_current, g_seed);
}
#endif

class Monkey {
 public:
  Monkey(const Model& model, std::mt19937_64& random) : model_(model), random_(random) {}

  // The next action, chosen from the state now; nullopt when the session is over.
  std::optional<std::string> Next() {
    CheckClipboard();
    return Remember(NextLine());
  }

  // Outlook 2010 and later, unless told to, end without disconnecting the add-in.
  bool FastShutdown() const { return fastShutdown_; }
  // What went wrong that the output does not show; empty when nothing did.
  const std::string& Failure() const { return failure_; }

  // What the add-in did to the user's own: a document it removed, a received message it changed;
  // empty when nothing.
  std::string Harm() const {
    for (const Item& item : model_.Items()) {
      if (std::ranges::find(received_, item.id) != received_.end() && item.changed) {
        return "the add-in changed the received message " + item.name;
      }
    }
    for (const auto& [item, attachment] : documents_) {
      if (std::ranges::find(detached_, attachment) != detached_.end()) continue;
      const auto& attachments = ItemOf(item).attachments;
      const bool kept = std::ranges::any_of(
          attachments, [&](const Attachment& each) { return each.id == attachment; });
      if (!kept) return "the add-in removed a document of " + ItemOf(item).name;
    }
    return {};
  }

 private:
  std::optional<std::string> NextLine() {
    if (setup_.empty()) setup_ = Setup();
    if (preamble_ < setup_.size()) return setup_[preamble_++];
    if (!started_) {
      started_ = true;
      return std::string("start");
    }
    // Outlook quits when its last window closes.
    if (!model_.AnyWindowOpen()) return std::nullopt;
    if (actions_ == kActionsPerSession) {
      ++actions_;
      // Now and then the process just ends: the add-in's final release without a shutdown.
      if (Roll(4) == 0) return std::nullopt;
      return std::string("quit");
    }
    if (actions_ > kActionsPerSession) return std::nullopt;
    ++actions_;
    std::string line = Choose();
    if (line.starts_with("detach ")) NoteDetached(line);
    return line;
  }

  int Roll(int sides) { return std::uniform_int_distribution<int>(0, sides - 1)(random_); }

  // The clipboard as the dump shows it.
  std::vector<std::pair<std::string, std::string>> Clipboard() const {
    std::vector<std::pair<std::string, std::string>> formats;
    for (const ClipboardFormatView& view : model_.Clipboard().formats) {
      formats.emplace_back(view.name, view.digest);
    }
    return formats;
  }

  // Between actions the clipboard holds what the last copy put there, whatever the add-in did.
  void CheckClipboard() {
    const bool copied = lastLine_.starts_with("clipboard ");
    if (copied || !clipboard_) {
      clipboard_ = Clipboard();
    } else if (failure_.empty() && Clipboard() != *clipboard_) {
      failure_ = "the clipboard changed after \"" + lastLine_ + "\"";
    }
  }

  std::optional<std::string> Remember(std::optional<std::string> line) {
    lastLine_ = line.value_or(std::string());
    return line;
  }

  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[static_cast<std::size_t>(Roll(static_cast<int>(from.size())))];
  }

  const Window* Active() const {
    for (const Window& window : model_.Windows()) {
      if (window.id == model_.ActiveWindow() && window.open) return &window;
    }
    return nullptr;
  }

  // The add-in's bar the window shows: Word's windows have one of theirs each.
  const Bar* OurBar(const Window& window) const {
    for (const Bar& bar : model_.BarsShownBy(window)) {
      if (bar.name.starts_with("Vox Trel") && bar.visible) return &bar;
    }
    return nullptr;
  }

  std::string NameOf(Id item) const {
    for (const Item& candidate : model_.Items()) {
      if (candidate.id == item) return candidate.name;
    }
    return "?";
  }

  bool Unsent(Id item) const {
    for (const Item& candidate : model_.Items()) {
      if (candidate.id == item) return candidate.kind == ItemKind::kMail && !candidate.sent;
    }
    return false;
  }

  std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

  std::vector<std::string> Clicks(const Bar& bar) {
    std::vector<std::string> clicks;
    for (const Control& control : bar.controls) {
      if (!control.visible || control.kind != ControlKind::kButton) continue;
      clicks.push_back("click " +
                       Quoted(control.caption.empty() ? control.tooltip : control.caption));
    }
    for (const Control& control : bar.controls) {
      if (control.visible && control.kind == ControlKind::kComboBox && !control.entries.empty()) {
        clicks.push_back("choose " +
                         std::to_string(1 + Roll(static_cast<int>(control.entries.size()))));
      }
    }
    return clicks;
  }

  // The Ribbon's clicks and choices of the active window's group, as Office shows it now.
  std::vector<std::string> RibbonClicks(const Window& window) {
    std::vector<std::string> clicks;
    for (const RibbonShown& control : window.ribbon) {
      if (!control.visible || !control.enabled) continue;
      if (control.kind == "button") clicks.push_back("ribbon click " + control.id);
      if (control.kind == "dropDown" && !control.entries.empty()) {
        clicks.push_back("ribbon choose " + control.id + " " +
                         std::to_string(1 + Roll(static_cast<int>(control.entries.size()))));
      }
    }
    return clicks;
  }

  // A reply in the explorer's reading pane (Outlook 2013 on): begun on the mail it shows, sent.
  std::vector<std::string> InlineReplies(const Window& window) {
    if (!window.IsExplorer() || model_.MajorVersion() < 15 || Roll(3) != 0) return {};
    if (window.inlineResponse != 0) return {"send inline"};
    const Item* mail = ShownMail(window);
    if (mail == nullptr) return {};
    return {"reply inline " + mail->name};
  }

  // The version, the editor and the shutdown notification, then the folders and items.
  std::vector<std::string> Setup() {
    static const std::vector<std::string> versions = {
        "9.0.0.8954",     "10.0.6626.0",    "11.0.0.8312",     "12.0.6423.1000",
        "14.0.7268.5000", "15.0.4569.1506", "16.0.17928.20114"};
    // The Outlook most users have: a share of sessions whatever the seed.
    const std::string& version = Roll(4) == 0 ? versions.back() : Pick(versions);
    std::vector<std::string> setup = {"version " + version};
    const int major = std::stoi(version);
    if ((major == 10 || major == 11) && Roll(2) == 0) setup.emplace_back("editor word");
    if (major >= 14) {
      const bool notified = Roll(2) == 0;
      setup.emplace_back(notified ? "shutdown-notification on" : "shutdown-notification off");
      fastShutdown_ = !notified;
    }
    setup.insert(setup.end(), kPreamble.begin(), kPreamble.end());
    return setup;
  }

  const Item& ItemOf(Id id) const {
    for (const Item& candidate : model_.Items()) {
      if (candidate.id == id) return candidate;
    }
    throw std::logic_error("no item");
  }

  // The received messages and the documents (attachments that are not voice attachments) the
  // session started with.
  void RememberUsersOwn() {
    for (const Item& item : model_.Items()) {
      if (item.kind != ItemKind::kMail) continue;
      if (item.sent) received_.push_back(item.id);
      for (const Attachment& attachment : item.attachments) {
        if (!attachment.fileName.ends_with("mp3")) documents_.emplace_back(item.id, attachment.id);
      }
    }
  }

  // The mail item the active window shows: an inspector's, or the explorer's only selection.
  const Item* ShownMail(const Window& window) const {
    Id shown = 0;
    if (!window.IsExplorer()) shown = window.item;
    if (window.IsExplorer() && window.selection.size() == 1) shown = window.selection.front();
    if (shown == 0) return nullptr;
    const Item& item = ItemOf(shown);
    return item.kind == ItemKind::kMail ? &item : nullptr;
  }

  // Now and then the user removes one of the shown message's attachments in Outlook's window.
  std::optional<std::string> Detach(const Window& window) {
    const Item* mail = ShownMail(window);
    if (mail == nullptr || mail->attachments.empty()) return std::nullopt;
    const int index = 1 + Roll(static_cast<int>(mail->attachments.size()));
    return "detach " + mail->name + " " + std::to_string(index);
  }

  // "detach ITEM N", about to be played: the attachment the user removes.
  void NoteDetached(const std::string& line) {
    std::istringstream words(line.substr(7));
    std::string name;
    std::size_t index = 0;
    words >> name >> index;
    for (const Item& item : model_.Items()) {
      if (item.name == name) detached_.push_back(item.attachments.at(index - 1).id);
    }
  }

  std::string Choose() {
    if (actions_ == 1) RememberUsersOwn();
    const Window* active = Active();
    std::vector<std::string> options = {"wait 0",    "wait 50", "wait 300",    "wait 1000",
                                        "wait 3000", "open m1", "open m2",     "open d1",
                                        "open d2",   "compose", "compose html"};
    if (model_.ActiveExplorer()) options.emplace_back("activate explorer");
    for (const Window& window : model_.Windows()) {
      if (!window.IsExplorer() && window.open) {
        options.push_back("activate " + std::to_string(window.number));
      }
    }
    if (active != nullptr && active->IsExplorer()) {
      options.insert(options.end(), {"select none", "goto Inbox", "goto Drafts", "goto Calendar"});
      for (const Folder& folder : model_.Folders()) {
        if (folder.id != active->folder) continue;
        for (const Id item : folder.items) options.push_back("select " + NameOf(item));
      }
    }
    if (active != nullptr && !active->IsExplorer()) {
      options.emplace_back("close");
      if (Unsent(active->item)) options.emplace_back("send");
    }
    if (model_.ActiveExplorer() && Roll(8) == 0) options.emplace_back("close explorer");
    if (Roll(5) == 0) options.push_back(Pick(kCopies));
    if (active != nullptr) {
      // Weighed as a click: a removal matters when a click on the bar follows it.
      if (auto detach = Detach(*active)) options.insert(options.end(), 3, *detach);
      // Clicks weigh most: they are what the add-in does.
      std::vector<std::string> clicks = RibbonClicks(*active);
      if (const Bar* bar = OurBar(*active); bar != nullptr && bar->visible) {
        const std::vector<std::string> onBar = Clicks(*bar);
        clicks.insert(clicks.end(), onBar.begin(), onBar.end());
      }
      for (int i = 0; i < 3; ++i) options.insert(options.end(), clicks.begin(), clicks.end());
      const std::vector<std::string> replies = InlineReplies(*active);
      options.insert(options.end(), replies.begin(), replies.end());
    }
    return Pick(options);
  }

  const Model& model_;
  std::mt19937_64& random_;
  std::vector<std::string> setup_;
  bool fastShutdown_ = false;
  std::size_t preamble_ = 0;
  bool started_ = false;
  int actions_ = 0;
  std::vector<Id> received_;
  std::vector<std::pair<Id, Id>> documents_;  // item, attachment
  std::vector<Id> detached_;                  // by the user
  std::string lastLine_;
  std::optional<std::vector<std::pair<std::string, std::string>>> clipboard_;
  std::string failure_;
};

// What makes a played session a failure; empty when it passed.
std::string Judge(int status, const std::string& output, const std::string& errors,
                  const Monkey& monkey) {
  if (status != 0) return "the session stopped: " + errors;
  if (!monkey.Failure().empty()) return monkey.Failure();
  if (output.find("the add-in's") != std::string::npos) return "an error reached Outlook";
  if (const std::string harm = monkey.Harm(); !harm.empty()) return harm;
  // A fast shutdown ends the process with the add-in still holding what it held.
  if (monkey.FastShutdown() && output.find("fast shutdown") != std::string::npos) return {};
  const std::string held = "held by the add-in: ";
  const std::size_t last = output.rfind(held);
  if (last == std::string::npos || output.compare(last, held.size() + 4, held + "none") != 0) {
    return "the add-in still holds Outlook's objects at the end";
  }
  return {};
}

// Plays one random session; true when it passed.
bool PlayOne(std::uint64_t seed, const std::string& sessionFolder) {
  std::mt19937_64 random(seed);
  // Forty actions with waits of at most three seconds: an hour of virtual time means a hang.
  NativeOutlook outlook(kLongestSessionMs);
  std::vector<std::string> lines;
  g_current = &lines;
  g_seed = seed;
  Monkey monkey(*outlook.model(), random);
  std::ostringstream output, errors;
  const int status = outlook.Runner(sessionFolder + "/monkey.session", output)
                         ->Run(
                             [&]() -> std::optional<std::string> {
                               std::optional<std::string> line = monkey.Next();
                               if (line) lines.push_back(*line);
                               if (line && std::getenv("MONKEY_VERBOSE") != nullptr)
                                 std::cerr << *line << '\n';
                               return line;
                             },
                             errors);
  g_current = nullptr;
  const std::string failure = Judge(status, output.str(), errors.str(), monkey);
  if (failure.empty()) return true;
  std::cout << "FAILED, seed " << seed << ": " << failure << "\n" << output.str() << '\n';
  PrintReplay(std::cout, lines, seed);
  std::ofstream replay("monkey-failure.session");
  PrintReplay(replay, lines, seed);
  return false;
}

}  // namespace
}  // namespace voxtrel::olsim

int main(int argc, char** argv) {
  const int sessions = argc > 1 ? std::atoi(argv[1]) : 300;
  const std::uint64_t firstSeed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(voxtrel::olsim::OnSanitizerDeath);
#endif
  int failed = 0;
  for (int i = 0; i < sessions; ++i) {
    if (!voxtrel::olsim::PlayOne(firstSeed + static_cast<std::uint64_t>(i), VOXTREL_SESSIONS)) {
      ++failed;
      if (failed == 3) break;
    }
  }
  std::cout << sessions << " monkey sessions from seed " << firstSeed << ", " << failed
            << " failed\n";
  return failed == 0 ? 0 : 1;
}
