#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/mod_trace_write.h"
#include "host/registry.h"
#include "sim/platform/fake_encoder.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel::testing_support {

// A user's machine: the add-in installed, "AQ" at its expected "1", a fresh trace log and the
// encoder standing by.
class AudioFixture : public ::testing::Test {
 protected:
  static constexpr char kLog[] = "C:\\Program Files\\Voxtrel\\Debug.log";

  AudioFixture() : encoder_(fake_, fake_.AppFile("Wav2Mp3.exe")) {
    Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "AQ",
                       classic::Variant("1"));
    modTraceWrite::TraceOpen(kLog);
  }

  // Trace lines written since the last call (the header excluded).
  std::vector<std::string> NewTrace() {
    std::vector<std::string> lines;
    const std::string& log = fake_.files.Contents(kLog);
    std::size_t at = log.find("\r\n") + 2;
    std::size_t index = 0;
    while (at < log.size()) {
      const std::size_t end = log.find("\r\n", at);
      if (index++ >= seen_) lines.push_back(log.substr(at, end - at));
      at = end + 2;
    }
    seen_ = index;
    return lines;
  }

  std::string App(const std::string& name) { return fake_.AppFile(name); }

  sim::FakePlatform fake_;
  sim::FakeEncoder encoder_;

 private:
  std::size_t seen_ = 0;
};

using Lines = std::vector<std::string>;

}  // namespace voxtrel::testing_support
