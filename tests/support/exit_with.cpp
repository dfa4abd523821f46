// exit_with CODE MILLISECONDS: a program for the shell tests that ends with CODE after about
// MILLISECONDS. Portable on purpose: the tests start it as any Windows program.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: exit_with CODE MILLISECONDS\n");
    return 2;
  }
  const long code = std::strtol(argv[1], nullptr, 10);
  const long milliseconds = std::strtol(argv[2], nullptr, 10);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0));
  return static_cast<int>(code);
}
