#pragma once

#include <cstdint>

namespace voxtrel::win32::testing {

// Processor time the calling thread has used so far, user and kernel, in microseconds.
std::uint64_t CurrentThreadCpuMicroseconds();

}  // namespace voxtrel::win32::testing
