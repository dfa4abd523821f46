#include "audio/mod_utils.h"

#include <algorithm>
#include <memory>

#include "audio/frm_message.h"
#include "common/command_line.h"
#include "common/error.h"
#include "host/error_trace.h"
#include "host/mod_trace_write.h"
#include "platform/platform.h"

namespace voxtrel::modUtils {
namespace {

constexpr int kEncoderTimeout = 1002;
// Long enough that a finished program is noticed at once, short enough to stay responsive.
constexpr std::uint32_t kPollMs = 100;

}  // namespace

bool FileExists(const std::string& path) {
  try {
    platform::Current().files.GetAttr(path);
    return true;
  } catch (...) {
    return false;
  }
}

std::string GetShortPath(const std::string& path, bool isStandAlone) {
  const platform::Services& services = platform::Current();
  const auto shortPath = services.shell.ShortPath(path);
  if (shortPath && !shortPath->empty()) return *shortPath;
  if (isStandAlone) {
    // A script may run with nobody there to close a box; quoted, the long path serves.
    modTraceWrite::TraceWrite("MyUtils.GetShortPath: Could not find path for " + path);
    return path;
  }
  // The error description is always empty here: it was cleared before the call.
  services.shell.ShowMessageBox("Error \r\nCould not find path for " + path, kAppTitle);
  return {};
}

void ShellAndWait(const std::string& program, const std::string& arguments, bool isStandAlone,
                  FormPositioner& caller, std::uint32_t timeoutMs) {
  TraceErrors("MyUtils.ShellAndWait } ERROR: ", [&] {
    const platform::Services& services = platform::Current();
    const std::uint32_t processId =
        services.shell.StartProgram(program, QuoteArgument(program) + " " + arguments);
    const std::unique_ptr<platform::IProcess> process = services.shell.OpenProcess(processId);
    std::unique_ptr<frmMessage> progress;
    if (!isStandAlone) {
      progress = std::make_unique<frmMessage>();
      std::int16_t zero = 0;
      caller.setFormVizPos(zero, zero, progress.get());
      progress->Show();
    }
    const std::uint64_t start = services.events.TickCount();
    bool timedOut = false;
    for (;;) {
      services.events.DoEvents();
      const std::uint32_t exitCode = process ? process->ExitCode() : 0;
      if (exitCode != platform::kStillActive) break;
      const std::uint64_t waited = services.events.TickCount() - start;
      if (waited >= timeoutMs) {
        process->Terminate(1);
        timedOut = true;
        break;
      }
      process->WaitForExitOrEvent(
          static_cast<std::uint32_t>(std::min<std::uint64_t>(kPollMs, timeoutMs - waited)));
    }
    if (progress) {
      progress->advanceStep(true);
      progress.reset();
    }
    if (timedOut) {
      throw Error(kEncoderTimeout, "MyUtils.ShellAndWait",
                  "The program did not end within " + std::to_string(timeoutMs / 1000) +
                      " seconds and was stopped: " + program);
    }
  });
}

}  // namespace voxtrel::modUtils
