#pragma once

#include <optional>
#include <string>
#include <string_view>

// The diagnostic trace log: one line per step, opened, appended and closed per line so
// every line is on disk at once. The current path belongs to the calling thread.
namespace voxtrel::modTraceWrite {

// Makes `path` the thread's trace file and writes the header line. `newFile` omitted or true
// starts the file afresh; false appends after an empty line. File errors reach the caller.
void TraceOpen(const std::string& path, std::optional<bool> newFile = std::nullopt);

// Appends `text` unchanged as one line. File errors (an empty path included) reach the caller.
void TraceWrite(std::string_view text);

// The calling thread's current trace file path; empty until TraceOpen.
const std::string& CurrentTracePath();

}  // namespace voxtrel::modTraceWrite
