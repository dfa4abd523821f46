// outlook-sim: plays a session file against the simulated Outlook with the add-in's core linked
// directly, on the virtual clock of the platform doubles.
//   outlook-sim SESSION [--trace] [--events reverse] [--fail-call N nothing|error] [--calls]
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "sim/outlook/native_outlook.h"

namespace voxtrel::olsim {
namespace {

struct Options {
  std::string session;
  bool trace = false, reverse = false, calls = false;
  std::uint64_t failCall = 0;
  CallGate::Fault fault = CallGate::Fault::kNothing;
};

bool ParseCount(const std::string& text, std::uint64_t& count) {
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  count = std::stoull(text);
  return count > 0;
}

bool Parse(const std::vector<std::string>& args, Options& options) {
  if (args.empty()) return false;
  options.session = args[0];
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& option = args[i];
    const std::size_t left = args.size() - i - 1;
    if (option == "--trace") {
      options.trace = true;
    } else if (option == "--calls") {
      options.calls = true;
    } else if (option == "--events" && left >= 1 && args[i + 1] == "reverse") {
      options.reverse = true;
      ++i;
    } else if (option == "--fail-call" && left >= 2 && ParseCount(args[i + 1], options.failCall) &&
               (args[i + 2] == "nothing" || args[i + 2] == "error")) {
      options.fault =
          args[i + 2] == "nothing" ? CallGate::Fault::kNothing : CallGate::Fault::kError;
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

int Main(int argc, char** argv) {
  Options options;
  if (!Parse(std::vector<std::string>(argv + 1, argv + argc), options)) {
    std::cerr << "usage: outlook-sim SESSION [--trace] [--events reverse] "
                 "[--fail-call N nothing|error] [--calls]\n";
    return 2;
  }
  std::ifstream session(options.session, std::ios::binary);
  if (!session) {
    std::cerr << "cannot read " << options.session << '\n';
    return 2;
  }
  NativeOutlook outlook;
  outlook.model()->SetReverseEvents(options.reverse);
  if (options.failCall != 0) outlook.gate().FailCall(options.failCall, options.fault);
  // The runner ends with the statement, releasing the add-in before its log is printed.
  const int status = outlook.Runner(options.session, std::cout)->Run(session, std::cerr);
  if (options.trace) outlook.PrintTrace(std::cout);
  if (options.calls) std::cerr << "calls into Outlook: " << outlook.gate().calls() << '\n';
  return status;
}

}  // namespace
}  // namespace voxtrel::olsim

int main(int argc, char** argv) {
  return voxtrel::olsim::Main(argc, argv);
}
