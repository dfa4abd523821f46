#include "win32/thread_times.h"

#include <windows.h>

namespace voxtrel::win32::testing {
namespace {

std::uint64_t Hundreds(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

std::uint64_t CurrentThreadCpuMicroseconds() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
  return (Hundreds(kernel) + Hundreds(user)) / 10;
}

}  // namespace voxtrel::win32::testing
