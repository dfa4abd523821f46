// The fault sweep: every session file played again once for every call the add-in makes into
// Outlook's and Office's objects, that call answering Nothing, then failing as Outlook fails.
// Whatever the session then does (a line may find no bar to click), the add-in may not crash,
// hang, let an error out to Outlook or hold anything of Outlook's at the end. Run with the
// sanitizers. A failure names the replay: outlook-sim NAME.session --fail-call N KIND --trace.
//
//   fault_sweep SESSIONS_FOLDER [PART COUNT]   (the sessions whose index % COUNT == PART)
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/outlook/native_outlook.h"

namespace voxtrel::olsim {
namespace {

// The longest session waits a few seconds in all: an hour of virtual time means a hang.
constexpr std::uint64_t kLongestSessionMs = 60 * 60 * 1000;

struct Played {
  int status = 0;
  std::string output, errors;
  std::uint64_t calls = 0;
};

Played Play(const std::filesystem::path& session, std::optional<std::uint64_t> failing,
            CallGate::Fault fault) {
  NativeOutlook outlook(kLongestSessionMs);
  if (failing) outlook.gate().FailCall(*failing, fault);
  std::ifstream lines(session, std::ios::binary);
  std::ostringstream output, errors;
  Played played;
  played.status = outlook.Runner(session, output)->Run(lines, errors);
  played.output = output.str();
  played.errors = errors.str();
  played.calls = outlook.gate().calls();
  return played;
}

// What makes a played session a failure; empty when it passed.
std::string Judge(const Played& played) {
  if (played.errors.find("the session hangs") != std::string::npos) return "it hangs";
  if (played.output.find("the add-in's") != std::string::npos) return "an error reached Outlook";
  if (played.output.find("Outlook did not quit") != std::string::npos) {
    return "Outlook did not quit";
  }
  // Outlook 2010 and later end the process with the add-in still holding what it held.
  if (played.output.find("fast shutdown") != std::string::npos) return {};
  const std::string held = "held by the add-in: ";
  const std::size_t last = played.output.rfind(held);
  if (last != std::string::npos && played.output.compare(last, held.size() + 4, held + "none")) {
    return "the add-in holds Outlook's objects at the end";
  }
  return {};
}

std::vector<std::filesystem::path> Sessions(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> sessions;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".session") sessions.push_back(entry.path());
  }
  std::ranges::sort(sessions);
  return sessions;
}

int Main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::cerr << "usage: fault_sweep SESSIONS_FOLDER [PART COUNT]\n";
    return 2;
  }
  const std::size_t part = argc == 4 ? std::strtoul(argv[2], nullptr, 10) : 0;
  const std::size_t count = argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 1;
  const std::vector<std::filesystem::path> sessions = Sessions(argv[1]);
  std::uint64_t swept = 0, played = 0;
  int failed = 0;
  for (std::size_t i = part; i < sessions.size(); i += count) {
    const std::filesystem::path& session = sessions[i];
    const std::uint64_t calls = Play(session, std::nullopt, CallGate::Fault::kNothing).calls;
    for (std::uint64_t n = 1; n <= calls; ++n) {
      for (const CallGate::Fault fault : {CallGate::Fault::kNothing, CallGate::Fault::kError}) {
        const Played result = Play(session, n, fault);
        ++played;
        const std::string failure = Judge(result);
        if (failure.empty()) continue;
        const char* kind = fault == CallGate::Fault::kNothing ? "nothing" : "error";
        std::cout << "FAILED: " << failure << ": outlook-sim " << session.filename().string()
                  << " --fail-call " << n << ' ' << kind << " --trace\n";
        if (std::getenv("FAULT_SWEEP_QUIET") == nullptr) {
          std::cout << result.output << result.errors << '\n';
        }
        if (++failed == 200) return 1;
      }
    }
    swept += calls;
    std::cout << session.filename().string() << ": " << calls << " calls swept" << std::endl;
  }
  std::cout << "fault sweep: " << swept << " calls swept in " << played
            << " sessions played (each call answering Nothing, then failing), " << failed
            << " failed\n";
  return failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace voxtrel::olsim

int main(int argc, char** argv) {
  return voxtrel::olsim::Main(argc, argv);
}
