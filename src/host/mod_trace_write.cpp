#include "host/mod_trace_write.h"

#include "common/error.h"
#include "platform/platform.h"

namespace voxtrel::modTraceWrite {
namespace {

thread_local std::string currentPath;

constexpr std::string_view kLineEnd = "\r\n";

void WriteToCurrent(std::string_view text, platform::TextMode mode) {
  if (currentPath.empty()) throw Error(errnum::kBadFileNameOrNumber);
  platform::Current().files.WriteText(currentPath, text, mode);
}

}  // namespace

void TraceOpen(const std::string& path, std::optional<bool> newFile) {
  const bool startAfresh = newFile.value_or(true);
  currentPath = path;
  std::string text;
  if (!startAfresh) text += kLineEnd;
  // The lone carriage return before the dashes is part of the log's established format.
  text += "TraceWrite " + path + ", " + platform::Current().clock.NowText() + "\r -------------";
  text += kLineEnd;
  WriteToCurrent(text, startAfresh ? platform::TextMode::kCreate : platform::TextMode::kAppend);
}

void TraceWrite(std::string_view text) {
  std::string line(text);
  line += kLineEnd;
  WriteToCurrent(line, platform::TextMode::kAppend);
}

const std::string& CurrentTracePath() {
  return currentPath;
}

}  // namespace voxtrel::modTraceWrite
