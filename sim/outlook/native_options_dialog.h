#pragma once

#include "sim/outlook/session.h"
#include "sim/platform/fake_forms.h"

namespace voxtrel::olsim {

// The options dialog natively: its form design in the forms double, clicked through the events
// the design's controls raise.
class NativeOptionsDialog final : public IOptionsDialog {
 public:
  explicit NativeOptionsDialog(sim::FakeForms& forms) : forms_(forms) {}
  std::vector<DialogView> Views() override;
  void ClickBox() override;
  void ClickOk() override;
  void ClickCloseBox() override;
  void PressEscape() override;

 private:
  sim::DialogRecord& Open();

  sim::FakeForms& forms_;
};

}  // namespace voxtrel::olsim
