#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "host/mod_trace_write.h"
#include "host/registry.h"
#include "sim/platform/fake_encoder.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel::testing_support {

using Lines = std::vector<std::string>;

inline bool Has(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A user's machine: the add-in installed, "AQ" at its expected "1", a fresh trace log and the
// encoder standing by.
class AudioFixture : public ::testing::Test {
 protected:
  static constexpr char kLog[] = "C:\\debug.log";
  // The first audio object's working folder.
  static constexpr char kWork[] = "C:\\Users\\Ann\\AppData\\Local\\Temp\\Voxtrel 4242-1";

  AudioFixture() : encoder_(fake_, fake_.AppFile("Wav2Mp3.exe")) {
    SetAq(classic::Variant("1"));
    modTraceWrite::TraceOpen(kLog);
  }

  // Trace lines written since the last call (the header excluded).
  Lines NewTrace() {
    const std::string& log = fake_.files.Contents(kLog);
    Lines lines;
    for (std::size_t at = log.find("\r\n") + 2, end = 0; at < log.size(); at = end + 2) {
      end = log.find("\r\n", at);
      lines.push_back(log.substr(at, end - at));
    }
    const Lines fresh(lines.begin() + static_cast<std::ptrdiff_t>(seen_), lines.end());
    seen_ = lines.size();
    return fresh;
  }

  // A windowed recording of `ms` from the first click to the stop click; its trace.
  Lines RecordWindowed(Audio& audio, std::uint64_t ms) {
    NewTrace();
    audio.Record();
    fake_.events.PostAt(fake_.events.Now() + ms, [&] { audio.Record(); });
    fake_.events.PumpUntil([&] { return !audio.form().Loaded(); }, 600000);
    return NewTrace();
  }

  void SetAq(const classic::Variant& value) {
    Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "AQ", value);
  }

  // Milliseconds of audio in the MP3 the fake encoder wrote.
  double Mp3Length(const std::string& path) {
    const std::string& mp3 = fake_.files.Contents(path);
    return std::stod(mp3.substr(mp3.find("ms=") + 3));
  }

  std::string App(const std::string& name) { return fake_.AppFile(name); }

  sim::FakePlatform fake_;
  sim::FakeEncoder encoder_;

 private:
  std::size_t seen_ = 0;
};

}  // namespace voxtrel::testing_support
