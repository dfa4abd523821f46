// outlook-sim: plays a session file against the simulated Outlook with the add-in's core linked
// directly, on the virtual clock of the platform doubles.
//   outlook-sim SESSION [--trace]
#include <fstream>
#include <iostream>
#include <string>

#include "sim/outlook/native_outlook.h"

namespace voxtrel::olsim {
namespace {

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
  NativeOutlook outlook;
  // The runner ends with the statement, releasing the add-in before its log is printed.
  const int status = outlook.Runner(argv[1], std::cout)->Run(session, std::cerr);
  if (argc == 3) outlook.PrintTrace(std::cout);
  return status;
}

}  // namespace
}  // namespace voxtrel::olsim

int main(int argc, char** argv) {
  return voxtrel::olsim::Main(argc, argv);
}
