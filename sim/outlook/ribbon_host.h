#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <variant>

#include "sim/outlook/custom_ui.h"
#include "sim/outlook/faces.h"
#include "sim/outlook/model.h"

// Office's Ribbon in the simulated Outlook (2007 on): it asks the add-in for its XML when the
// first window of each Ribbon ID appears (the explorer's at start-up from 2010), reads it as
// Office does, calls the add-in's callbacks by name for every control a window shows, and keeps
// their answers until the add-in invalidates them.
namespace voxtrel::olsim {

// A callback as Office makes it: the control's id and the window it is shown in (the
// IRibbonControl's Id and Context), with a dropDown's item index or choice.
struct RibbonCall {
  std::string callback;
  std::string control;
  Id window = 0;
  std::optional<std::int32_t> index;                           // getItemLabel's, from 0
  std::optional<std::pair<std::string, std::int32_t>> chosen;  // a dropDown's onAction
};

// What a callback answered; an image as the Ribbon shows it.
using RibbonAnswer = std::variant<std::monostate, std::string, std::int32_t, bool, FacePixels>;

// The add-in's side of the Ribbon, on whichever face (natively its core, under Wine its COM
// object through IRibbonExtensibility and IDispatch).
class RibbonAddIn {
 public:
  virtual ~RibbonAddIn() = default;
  // IRibbonExtensibility.GetCustomUI; empty for none.
  virtual std::string GetCustomUI(const std::string& ribbonId) = 0;
  // Whether its IDispatch knows the name (GetIDsOfNames).
  virtual bool Answers(const std::string& callback) = 0;
  // The onLoad callback, with an IRibbonUI whose InvalidateControl calls `invalidate`.
  virtual void Load(const std::string& callback,
                    std::function<void(const std::string& id)> invalidate) = 0;
  // Fails with the add-in's error when the callback does.
  virtual RibbonAnswer Call(const RibbonCall& call) = 0;
};

class RibbonHost {
 public:
  // `out` takes what Office would tell an add-in's developer: a refused customUI, a failed
  // callback.
  RibbonHost(Model& model, std::ostream& out);

  void Connected(RibbonAddIn* addIn) { addIn_ = addIn; }
  // The Ribbon ID a window shows ("Microsoft.Outlook.Mail.Compose", ...); empty for none.
  std::string RibbonIdOf(const Window& window);
  // A window appeared: its Ribbon is asked for once, then all its controls' values.
  void Shown(Id window);
  // Asks again what Office had forgotten, for every open window.
  void Refresh();
  // The user's click on a control of the active window's group, and a choice in a dropDown
  // (from 1).
  void Click(const std::string& id);
  void Choose(const std::string& id, std::int32_t entry);

 private:
  struct Loaded {
    std::optional<CustomUi> ui;  // none when Office refused it, or the add-in gave none
  };
  const CustomUi* UiOf(const Window& window);
  void Ask(Window& window, RibbonShown& control, const RibbonControlDef& def);
  RibbonAnswer CallOrReport(const RibbonCall& call);
  RibbonShown& ShownControl(const std::string& id, const RibbonControlDef** def);

  Model& model_;
  std::ostream& out_;
  RibbonAddIn* addIn_ = nullptr;
  std::map<std::string, Loaded> loaded_;  // by Ribbon ID
};

}  // namespace voxtrel::olsim
