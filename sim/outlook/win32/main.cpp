// outlook-sim.exe: plays a session file against the simulated Outlook offered as COM objects,
// with the add-ins registered for Outlook loaded as Outlook loads them, on a real message loop.
//   outlook-sim.exe SESSION [--trace] [--timings] [--invoke] [--events reverse]
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <ole2.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/error.h"
#include "host/connect.h"
#include "sim/outlook/dump.h"
#include "sim/outlook/host_errors.h"
#include "sim/outlook/session.h"
#include "sim/outlook/win32/addin_host.h"
#include "sim/outlook/win32/connections.h"
#include "sim/outlook/win32/message_boxes.h"
#include "sim/outlook/win32/options_dialog_window.h"
#include "sim/outlook/win32/sim_object.h"
#include "sim/outlook/win32/sim_windows.h"
#include "sim/outlook/win32/timings.h"
#include "win32/base/text.h"
#include "win32/base/unique_handle.h"
#include "win32/platform/win32_clipboard.h"
#include "win32/platform/win32_file_system.h"
#include "win32/platform/win32_registry.h"

namespace voxtrel::olsim::win32 {
namespace {

using voxtrel::win32::Utf8ToWide;
using voxtrel::win32::WideToUtf8;

// The model's files on disk, byte for byte.
class DiskModelFiles final : public IModelFiles {
 public:
  std::string Read(const std::string& path) override {
    std::ifstream file(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
    if (!file) {
      throw FileNotFound();
    }
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  void Write(const std::string& path, const std::string& bytes) override {
    voxtrel::win32::UniqueHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0,
                                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                  nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      throw Error(voxtrel::win32::ClassicFileError(GetLastError()));
    }
  }
};

class ComApartment {
 public:
  ComApartment() : hr_(OleInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) OleUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT hr() const { return hr_; }

 private:
  HRESULT hr_;
};

// The rest of the session after a wait: a thread timer, so that it fires from whichever loop
// pumps then, the add-in's own waits included, as a user's click would.
class Continuation {
 public:
  Continuation() { current_ = this; }
  ~Continuation() {
    Cancel();
    current_ = nullptr;
  }
  Continuation(const Continuation&) = delete;
  Continuation& operator=(const Continuation&) = delete;

  void After(std::uint32_t ms, std::function<void()> next) {
    Cancel();
    next_ = std::move(next);
    timer_ = SetTimer(nullptr, 0, ms, &Continuation::Fire);
  }

 private:
  void Cancel() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    timer_ = 0;
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    Continuation* self = current_;
    if (self == nullptr || id != self->timer_) return;
    self->Cancel();
    std::exchange(self->next_, nullptr)();
  }

  static inline Continuation* current_ = nullptr;
  UINT_PTR timer_ = 0;
  std::function<void()> next_;
};

// Outlook's message loop, until the session has ended.
bool RunUntil(const std::function<bool()>& done) {
  while (!done()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
  }
  return true;
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  wchar_t full[MAX_PATH];
  const DWORD length = GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return path;
  return WideToUtf8(full);
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of("\\/"));
}

bool WrittenSince(const std::string& path, const FILETIME& since) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) return false;
  return CompareFileTime(&data.ftLastWriteTime, &since) >= 0;
}

// The add-in's log as the native outlook-sim prints it: the one written during this run, in
// the add-in's folder or else in the temporary folder.
void PrintTrace(const std::vector<std::string>& folders, const FILETIME& since, std::ostream& out) {
  std::vector<std::string> candidates;
  for (const std::string& folder : folders)
    candidates.push_back(folder + "\\" + Connect::kTraceName);
  wchar_t temp[MAX_PATH];
  if (const DWORD length = GetTempPathW(MAX_PATH, temp); length > 0 && length < MAX_PATH) {
    candidates.push_back(WideToUtf8(temp) + Connect::kFallbackTraceName);
  }
  for (const std::string& path : candidates) {
    if (!WrittenSince(path, since)) continue;
    std::ifstream file(std::filesystem::path(Utf8ToWide(path)), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    PrintTraceLog(out, path, text);
    return;
  }
  out << "trace none\n";
}

struct Options {
  std::string session;
  bool trace = false, timings = false, invoke = false, reverse = false;
};

bool Parse(int argc, char** argv, Options& options) {
  if (argc < 2) return false;
  options.session = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--trace") {
      options.trace = true;
    } else if (option == "--timings") {
      options.timings = true;
    } else if (option == "--invoke") {
      options.invoke = true;
    } else if (option == "--events" && i + 1 < argc && std::string(argv[i + 1]) == "reverse") {
      options.reverse = true;
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

int Main(int argc, char** argv) {
  // Lines end in \n alone, as natively, so both outputs compare.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  Options options;
  if (!Parse(argc, argv, options)) {
    std::cerr << "usage: outlook-sim SESSION [--trace] [--timings] [--invoke] [--events reverse]\n";
    return 2;
  }
  std::ifstream session(std::filesystem::path(Utf8ToWide(options.session)), std::ios::binary);
  if (!session) {
    std::cerr << "cannot read " << options.session << '\n';
    return 2;
  }
  const ComApartment apartment;
  if (FAILED(apartment.hr())) {
    std::cerr << "outlook-sim: OleInitialize failed\n";
    return 2;
  }
  FILETIME started;
  GetSystemTimeAsFileTime(&started);
  DiskModelFiles files;
  Census census;  // outlives the model and the connections, which hold entries
  Timings timings(options.timings);
  // The real clipboard, which the add-in writes the faces to; empty at the start, as natively,
  // whatever an earlier program left on it.
  voxtrel::win32::Win32Clipboard clipboard;
  if (clipboard.Open()) {
    clipboard.Empty();
    clipboard.Close();
  }
  auto model = std::make_shared<Model>(files, clipboard);
  model->SetReverseEvents(options.reverse);
  SimWindows windows(model);
  std::map<Id, Object*> windowObjects;
  Face face{model, &census, nullptr, &timings, &windowObjects};
  Connections connections(face);
  face.connections = &connections;
  std::vector<std::string> folders;
  Continuation continuation;
  // The add-in of a fast shutdown: Outlook's process ends under it, unreleased.
  std::unique_ptr<AddIn> endedWith;
  SessionHost host{[&] { return LoadAddIns(face, options.invoke, folders, std::cerr); },
                   [&](std::uint32_t ms, std::function<void()> next) {
                     const auto start = std::chrono::steady_clock::now();
                     continuation.After(ms, [&timings, start, next = std::move(next)] {
                       timings.Print("wait", std::chrono::steady_clock::now() - start);
                       next();
                     });
                   },
                   RunUntil,
                   [&census] { return census.Live(); },
                   [&census] { return census.TakeFailures(); },
                   FolderOf(FullPath(options.session)),
                   [&windows](const std::string& path) { windows.Screenshot(path); },
                   [&endedWith](std::unique_ptr<AddIn> addIn) { endedWith = std::move(addIn); }};
  MessageBoxAnswerer messageBoxes;
  host.takeMessageBoxes = [&messageBoxes] { return messageBoxes.Take(); };
  int status = 0;
  {
    SessionRunner runner(model, host, options.session, std::cout);
    voxtrel::win32::Win32Registry settings;
    OptionsDialogWindow dialog;
    runner.UseOptions(settings, dialog);
    status = runner.Run(session, std::cerr);
  }
  if (endedWith) {
    if (options.trace) PrintTrace(folders, started, std::cout);
    std::cout.flush();
    ExitProcess(static_cast<UINT>(status));
  }
  connections.Clear();
  std::cout.flush();
  if (options.trace) PrintTrace(folders, started, std::cout);
  return status;
}

}  // namespace
}  // namespace voxtrel::olsim::win32

int main(int argc, char** argv) {
  return voxtrel::olsim::win32::Main(argc, argv);
}
