#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace voxtrel::win32::testing {

// A dialog box as the user would see it.
struct SeenDialog {
  std::string caption;
  std::vector<std::string> texts;    // the visible static controls' texts
  std::vector<std::string> buttons;  // the visible buttons' texts
  std::vector<int> buttonIds;
  bool pressedOk = false;
};

// While it lives, answers the first dialog box the calling thread shows (a message box):
// records it and presses OK, or ends it some other way when it has no OK button. A thread
// timer drives it, so the dialog's own modal loop runs it and a test can never block on the box.
class DialogAnswerer {
 public:
  DialogAnswerer();
  ~DialogAnswerer();
  DialogAnswerer(const DialogAnswerer&) = delete;
  DialogAnswerer& operator=(const DialogAnswerer&) = delete;

  const std::optional<SeenDialog>& seen() const { return seen_; }
  // Called by the thread timer.
  void Look();

 private:
  std::uintptr_t timer_ = 0;
  std::optional<SeenDialog> seen_;
};

}  // namespace voxtrel::win32::testing
