#pragma once

#include <cstdint>
#include <string>

// Office's Ribbon as the add-in meets it (Outlook 2007 on): Office asks for the add-in's XML,
// hands it an IRibbonUI through the onLoad callback, and calls back by name with the control
// whose values it wants, naming the window (the inspector or explorer) it shows them in.
namespace voxtrel::outlook {

// A window as COM tells objects apart: the same inspector or explorer gives the same value, for
// as long as something holds it.
using WindowIdentity = std::uintptr_t;

class IRibbonUI {
 public:
  virtual ~IRibbonUI() = default;
  // Office forgets what it asked of the control and asks again when it next shows it.
  virtual void InvalidateControl(const std::string& id) = 0;
};

// IRibbonControl as a callback receives it.
struct RibbonControl {
  std::string Id;
  WindowIdentity Context = 0;
};

}  // namespace voxtrel::outlook
