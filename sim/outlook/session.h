#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "sim/outlook/model.h"
#include "sim/outlook/ribbon_host.h"

// Plays a session file (one user action a line) against the simulated Outlook with an add-in
// loaded the way Outlook loads it. The file format is documented in docs/simulated-outlook.md.
namespace voxtrel::olsim {

// The add-in as Outlook calls it (IDTExtensibility2), over whichever face of the model it is
// given. Destroying it is the final release.
class AddIn {
 public:
  virtual ~AddIn() = default;
  // Hands the add-in the application object.
  virtual void OnConnection() = 0;
  virtual void OnStartupComplete() = 0;
  virtual void OnBeginShutdown() = 0;
  virtual void OnDisconnection() = 0;
  // Its entry asks Outlook 2010 and later to tell it of the shutdown
  // (RequireShutdownNotification = 1).
  virtual bool RequiresShutdownNotification() = 0;
  // Its side of the Ribbon; null when it offers none (no IRibbonExtensibility).
  virtual RibbonAddIn* Ribbon() = 0;
};

// The add-in's entry for Outlook, under HKEY_CURRENT_USER.
inline constexpr char kAddInEntryKey[] =
    "Software\\Microsoft\\Office\\Outlook\\Addins\\Voxtrel.Connect";
inline constexpr char kShutdownNotification[] = "RequireShutdownNotification";
// Whether a key of HKEY_CURRENT_USER holds the DWORD 1 under that name.
bool HoldsDwordOne(platform::IRegistry& registry, std::string_view key, std::string_view name);

// What the runner needs of the face it plays through.
struct SessionHost {
  std::function<std::unique_ptr<AddIn>()> loadAddIn;
  // Runs `next` once the milliseconds have passed, from whichever message loop is pumping
  // then: the add-in's own waits too, so that a click can arrive inside them as in Outlook.
  std::function<void(std::uint32_t ms, std::function<void()> next)> after;
  // Runs the message loop until `done` holds; false when it can no longer change (a hang).
  std::function<bool(const std::function<bool()>& done)> runUntil;
  // What of Outlook's the add-in holds now, one description each.
  std::function<std::vector<std::string>()> held;
  // The errors the add-in's event handlers returned to Outlook since the last call.
  std::function<std::vector<std::string>()> takeHandlerFailures;
  // The folder that relative paths of `save` name, in the model's files.
  std::string saveFolder;
  // Writes the screen as a PNG file (a path in saveFolder); none where there is no screen.
  std::function<void(const std::string& path)> screenshot = nullptr;
  // Outlook's process ends with the add-in still loaded (fast shutdown): it is never released
  // while the session is looked at.
  std::function<void(std::unique_ptr<AddIn>)> processEnds = nullptr;
  // The message boxes the add-in showed since the last call, each answered with OK by the user:
  // caption, then text.
  std::function<std::vector<std::pair<std::string, std::string>>()> takeMessageBoxes = nullptr;
};

// The add-in's options dialog as a user sees it.
struct DialogView {
  std::string caption, label, box;
  bool visible = false;
  int boxState = 0;  // 0 clear, 1 ticked, 2 grey
  bool boxVisible = false;
};

// The add-in's options dialog, worked as a user works it (session_options.cpp).
class IOptionsDialog {
 public:
  virtual ~IOptionsDialog() = default;
  // Every loaded options dialog; more than one would be a fault.
  virtual std::vector<DialogView> Views() = 0;
  // Clicks the box, OK or the close box of the open dialog; throws ActionRefused when there is
  // none or the control cannot be clicked.
  virtual void ClickBox() = 0;
  virtual void ClickOk() = 0;
  virtual void ClickCloseBox() = 0;
  // Esc, pressed where the keyboard's focus is.
  virtual void PressEscape() = 0;
};

// One line's words: blanks separate them, double quotes group them (with backslash escapes).
// Throws ActionRefused for an unterminated quote.
std::vector<std::string> SplitSessionLine(const std::string& line);

class SessionRunner {
 public:
  SessionRunner(std::shared_ptr<Model> model, SessionHost host, std::filesystem::path sessionFile,
                std::ostream& out);
  ~SessionRunner();
  SessionRunner(const SessionRunner&) = delete;
  SessionRunner& operator=(const SessionRunner&) = delete;

  // Plays the lines; 0 when all ran, 1 after the line that could not be carried out (its number
  // and the reason go to `err`). A `wait` hands the rest of the session to the message loop.
  int Run(std::istream& session, std::ostream& err);
  // The add-in's settings and its dialog, for `setting`, `unset` and `dialog`. A session starts
  // with no "TagLine", as a new user's.
  void UseOptions(platform::IRegistry& settings, IOptionsDialog& dialog);
  // The same with each line asked for when its turn comes, so that a caller can choose it from
  // the state the earlier ones left; nullopt ends the session.
  using LineSource = std::function<std::optional<std::string>()>;
  int Run(LineSource nextLine, std::ostream& err);

 private:
  using Words = std::vector<std::string>;
  struct Action;
  static const std::map<std::string, Action>& Actions();

  // Plays lines until a wait or the end.
  void Continue();
  void Perform(const Words& words);
  void AddMail(const Words& words);
  void Clipboard(const Words& words);
  void Start(const Words& words);
  void Compose(const Words& words);
  void Save(const Words& words);
  void Setting(const Words& words);
  void Unset(const Words& words);
  void Dialog(const Words& words);
  void ShutdownNotification(const Words& words);
  void Close(const Words& words);
  void RibbonAction(const Words& words);
  void Reply(const Words& words);
  // Every change of the add-in the runner holds goes through here: the Ribbon follows it.
  void HoldAddIn(std::unique_ptr<AddIn> addIn);
  void Quit(const Words& words);
  // Outlook's last window has gone: it disconnects the add-in as its version does.
  void Shutdown();
  void ReportHeld();
  void CallAddIn(const char* what, const std::function<void(AddIn&)>& call);
  std::string ReadSessionFile(const std::string& name) const;
  // What the add-in showed the user and let out to Outlook while the line ran.
  void ReportHandlerFailures(int line);

  std::shared_ptr<Model> model_;
  SessionHost host_;
  std::filesystem::path sessionFile_;
  std::ostream& out_;
  std::unique_ptr<AddIn> addIn_;
  RibbonHost ribbon_;
  platform::IRegistry* settings_ = nullptr;
  IOptionsDialog* dialog_ = nullptr;
  bool started_ = false;
  bool quit_ = false;
  int composed_ = 0;
  std::string usage_;  // of the line being performed
  LineSource nextLine_;
  std::size_t lineNumber_ = 0;  // of the line played last
  bool waiting_ = false;        // a wait handed the rest to the message loop
  bool done_ = false;
  int status_ = 0;
  std::ostream* err_ = nullptr;
};

}  // namespace voxtrel::olsim
