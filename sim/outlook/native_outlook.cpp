#include "sim/outlook/native_outlook.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "common/error.h"
#include "host/connect.h"
#include "host/mod_trace_write.h"
#include "platform/platform.h"
#include "ribbon/custom_ui_xml.h"
#include "sim/outlook/dump.h"
#include "sim/outlook/faces.h"
#include "sim/outlook/host_errors.h"

namespace voxtrel::olsim {
namespace {

// IRibbonUI for the core: its InvalidateControl reaches the model.
class NativeRibbonUI final : public outlook::IRibbonUI {
 public:
  explicit NativeRibbonUI(std::function<void(const std::string&)> invalidate)
      : invalidate_(std::move(invalidate)) {}
  void InvalidateControl(const std::string& id) override { invalidate_(id); }

 private:
  std::function<void(const std::string&)> invalidate_;
};

// The core's Connect, handed ports over the model; its Ribbon callbacks called by name as
// Office calls them.
class ConnectAddIn final : public AddIn, RibbonAddIn {
 public:
  ConnectAddIn(std::shared_ptr<Model> model, Census& census, CallGate& gate)
      : model_(std::move(model)), census_(census), gate_(gate) {}
  void OnConnection() override {
    connect_.AddinInstance_OnConnection(MakeApplication(model_, census_, gate_));
  }
  void OnStartupComplete() override { connect_.AddinInstance_OnStartupComplete(); }
  void OnBeginShutdown() override { connect_.AddinInstance_OnBeginShutdown(); }
  void OnDisconnection() override { connect_.AddinInstance_OnDisconnection(); }
  bool RequiresShutdownNotification() override {
    return HoldsDwordOne(platform::Current().registry, kAddInEntryKey, kShutdownNotification);
  }
  RibbonAddIn* Ribbon() override { return this; }

  std::string GetCustomUI(const std::string& ribbonId) override {
    return connect_.Ribbon_GetCustomUI(ribbonId);
  }
  bool Answers(const std::string& callback) override {
    return std::ranges::find(ribbon::kCallbacks, callback) != ribbon::kCallbacks.end();
  }
  void Load(const std::string&, std::function<void(const std::string&)> invalidate) override {
    connect_.Ribbon_OnLoad(std::make_shared<NativeRibbonUI>(std::move(invalidate)));
  }
  RibbonAnswer Call(const RibbonCall& call) override {
    const outlook::RibbonControl control{call.control,
                                         static_cast<outlook::WindowIdentity>(call.window)};
    const std::string& name = call.callback;
    if (name == ribbon::kGetLabel) return connect_.Ribbon_GetLabel(control);
    if (name == ribbon::kGetVisible) return connect_.Ribbon_GetVisible(control);
    if (name == ribbon::kGetEnabled) return connect_.Ribbon_GetEnabled(control);
    if (name == ribbon::kGetItemCount) return connect_.Ribbon_GetItemCount(control);
    if (name == ribbon::kGetItemLabel) {
      return connect_.Ribbon_GetItemLabel(control, call.index.value_or(0));
    }
    if (name == ribbon::kGetSelectedItemIndex) return connect_.Ribbon_GetSelectedItemIndex(control);
    if (name == ribbon::kGetImage) {
      const auto image = connect_.Ribbon_GetImage(control);
      if (!image) return {};
      const auto pixels = ShownFacePixels(image->picture, &image->mask);
      if (!pixels) return {};
      return *pixels;
    }
    if (name == ribbon::kOnAction) {
      connect_.Ribbon_OnAction(control);
    } else if (name == ribbon::kOnChoose && call.chosen) {
      connect_.Ribbon_OnChoose(control, call.chosen->first, call.chosen->second);
    }
    return {};
  }

 private:
  std::shared_ptr<Model> model_;
  Census& census_;
  CallGate& gate_;
  Connect connect_;
};

}  // namespace

class NativeOutlook::Files final : public IModelFiles {
 public:
  explicit Files(sim::MemoryFileSystem& files) : files_(files) {}
  std::string Read(const std::string& path) override {
    if (!files_.Exists(path)) {
      throw FileNotFound();
    }
    return files_.Contents(path);
  }
  void Write(const std::string& path, const std::string& bytes) override {
    // Byte for byte in the double, and refused as a program's write would be.
    files_.WriteText(path, bytes, platform::TextMode::kCreate);
  }

 private:
  sim::MemoryFileSystem& files_;
};

NativeOutlook::NativeOutlook(std::uint64_t longestSessionMs)
    : files_((platform_.files.AddFolder(kSaveFolder), std::make_unique<Files>(platform_.files))),
      encoder_(platform_, platform_.AppFile("Wav2Mp3.exe")),
      model_(std::make_shared<Model>(*files_)),
      host_{[this] { return std::make_unique<ConnectAddIn>(model_, census_, gate_); },
            [this](std::uint32_t ms, std::function<void()> next) {
              platform_.events.PostAt(platform_.events.Now() + ms, std::move(next));
            },
            [this, longestSessionMs](const std::function<bool()>& done) {
              return platform_.events.PumpUntil(done, longestSessionMs);
            },
            [this] { return census_.Live(); },
            [this] { return census_.TakeFailures(); },
            kSaveFolder,
            nullptr,
            [this](std::unique_ptr<AddIn> addIn) { endedWith_ = std::move(addIn); }},
      dialog_(platform_.forms) {
  host_.takeMessageBoxes = [this] {
    std::vector<std::pair<std::string, std::string>> shown;
    const auto& boxes = platform_.shell.MessageBoxes();
    for (; boxesReported_ < boxes.size(); ++boxesReported_) {
      shown.emplace_back(boxes[boxesReported_].caption, boxes[boxesReported_].text);
    }
    return shown;
  };
}

std::unique_ptr<SessionRunner> NativeOutlook::Runner(const std::filesystem::path& sessionFile,
                                                     std::ostream& out) {
  auto runner = std::make_unique<SessionRunner>(model_, host_, sessionFile, out);
  runner->UseOptions(platform_.registry, dialog_);
  return runner;
}

NativeOutlook::~NativeOutlook() = default;

void NativeOutlook::PrintTrace(std::ostream& out) {
  std::string path = modTraceWrite::CurrentTracePath();
  if (path.empty()) path = platform_.AppFile(Connect::kTraceName);
  if (!platform_.files.Exists(path)) {
    out << "trace none\n";
    return;
  }
  PrintTraceLog(out, path, platform_.files.Contents(path));
}

}  // namespace voxtrel::olsim
