// outlook-sim: plays a session file against the simulated Outlook with the add-in's core linked
// directly, on the virtual clock of the platform doubles.
//   outlook-sim SESSION [--trace]
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "common/error.h"
#include "host/connect.h"
#include "host/mod_trace_write.h"
#include "sim/outlook/dump.h"
#include "sim/outlook/native_options_dialog.h"
#include "sim/outlook/ports.h"
#include "sim/outlook/session.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel::olsim {
namespace {

// Where `save` writes: a folder of the doubles' file system standing for the session's folder.
constexpr char kSaveFolder[] = "C:\\Session";

class MemoryModelFiles final : public IModelFiles {
 public:
  explicit MemoryModelFiles(sim::MemoryFileSystem& files) : files_(files) {}
  std::string Read(const std::string& path) override {
    if (!files_.Exists(path)) {
      throw Error(-2147024894, "Microsoft Office Outlook",
                  "Cannot find this file. Verify the path and file name are correct.");
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

// The core's Connect, handed ports over the model.
class ConnectAddIn final : public AddIn {
 public:
  ConnectAddIn(std::shared_ptr<Model> model, Census& census)
      : model_(std::move(model)), census_(census) {}
  void OnConnection() override {
    connect_.AddinInstance_OnConnection(MakeApplication(model_, census_));
  }
  void OnStartupComplete() override { connect_.AddinInstance_OnStartupComplete(); }
  void OnBeginShutdown() override { connect_.AddinInstance_OnBeginShutdown(); }
  void OnDisconnection() override { connect_.AddinInstance_OnDisconnection(); }

 private:
  std::shared_ptr<Model> model_;
  Census& census_;
  Connect connect_;
};

// The log as written, line by line; a carriage return inside a line shows as \r.
void PrintTrace(sim::FakePlatform& platform, std::ostream& out) {
  std::string path = modTraceWrite::CurrentTracePath();
  if (path.empty()) path = platform.AppFile(Connect::kTraceName);
  if (!platform.files.Exists(path)) {
    out << "trace none\n";
    return;
  }
  PrintTraceLog(out, path, platform.files.Contents(path));
}

int Main(int argc, char** argv) {
  const std::string usage = "usage: outlook-sim SESSION [--trace]\n";
  if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--trace")) {
    std::cerr << usage;
    return 2;
  }
  std::ifstream session(argv[1], std::ios::binary);
  if (!session) {
    std::cerr << "cannot read " << argv[1] << '\n';
    return 2;
  }
  sim::FakePlatform platform;
  platform.files.AddFolder(kSaveFolder);
  MemoryModelFiles files(platform.files);
  Census census;  // outlives the model, whose handlers may still hold ports
  auto model = std::make_shared<Model>(files);
  SessionHost host{
      [&] { return std::make_unique<ConnectAddIn>(model, census); },
      [&platform](std::uint32_t ms) { platform.events.PumpUntil([] { return false; }, ms); },
      [&census] { return census.Live(); }, [&census] { return census.TakeFailures(); },
      kSaveFolder};
  int status = 0;
  {
    SessionRunner runner(model, host, argv[1], std::cout);
    NativeOptionsDialog dialog(platform.forms);
    runner.UseOptions(platform.registry, dialog);
    status = runner.Run(session, std::cerr);
  }
  if (argc == 3) PrintTrace(platform, std::cout);
  return status;
}

}  // namespace
}  // namespace voxtrel::olsim

int main(int argc, char** argv) {
  return voxtrel::olsim::Main(argc, argv);
}
