#include "sim/outlook/win32/timings.h"

#include <cstdio>
#include <iostream>

namespace voxtrel::olsim::win32 {

void Timings::Print(const std::string& what, std::chrono::steady_clock::duration took) const {
  if (!enabled_) return;
  const double ms = std::chrono::duration<double, std::milli>(took).count();
  char figure[32];
  std::snprintf(figure, sizeof figure, "%.3f", ms);
  std::cerr << "timing " << what << ' ' << figure << " ms\n";
}

}  // namespace voxtrel::olsim::win32
