#pragma once

#include <string>
#include <utility>
#include <vector>

namespace voxtrel::olsim::win32 {

// The user at a message box the add-in shows on this thread: it is read and answered with OK as
// soon as it is up. A thread timer looks for it, so the box's own modal loop, which holds the
// add-in's click, runs the look.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer();
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  // The boxes answered since the last call: caption, then text.
  std::vector<std::pair<std::string, std::string>> Take();
};

}  // namespace voxtrel::olsim::win32
