#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "sim/outlook/model.h"
#include "win32/base/unique_handle.h"

// The simulated Outlook on the screen: the explorer and each open inspector as a top-level
// window drawn from the model (caption, menu, command bars with faces and captions), so that
// a session can be watched and photographed.
namespace voxtrel::olsim::win32 {

class SimWindows {
 public:
  explicit SimWindows(std::shared_ptr<Model> model);
  ~SimWindows();
  SimWindows(const SimWindows&) = delete;
  SimWindows& operator=(const SimWindows&) = delete;

  // The screen follows the model: a window for each open one, none for a closed one, all
  // redrawn. A timer calls it too, so that the windows follow inside the add-in's own loops.
  void Sync();
  // Sync, everything on the screen painted, then the whole screen as a PNG file.
  void Screenshot(const std::string& path);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HWND window);
  void Place(HWND window, const Window& shown);
  void ShowActive(bool created);
  std::string CaptionOf(const Window& shown);

  std::shared_ptr<Model> model_;
  std::map<Id, voxtrel::win32::UniqueWindow> windows_;
  voxtrel::win32::UniqueWindow clock_;  // a message-only window for the timer
  voxtrel::win32::UniqueFont font_;
  Id raised_ = 0;  // the model's active window last brought to the front
  bool syncing_ = false;
};

}  // namespace voxtrel::olsim::win32
