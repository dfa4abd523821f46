#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "outlook/command_bars.h"
#include "platform/clipboard.h"

// One window's group on the Ribbon, offered to its mail window object as that window's command
// bars: the bar "Vox Trel" and its controls live here, named by the Ribbon ids, and every change
// that Office shows tells it (InvalidateControl), since Office keeps what it asked until then.
// The mail window object drives it exactly as a command bar, so its commands and traces serve
// both.
namespace voxtrel::ribbon {

// A face as the Ribbon shows it: the picture and its mask (white = transparent), packed DIBs.
struct Image {
  platform::Bytes picture, mask;
};

class RibbonControls;

class RibbonWindow final : public outlook::ICommandBars {
 public:
  // `invalidate` tells Office that a control's values have changed.
  explicit RibbonWindow(std::function<void(const std::string& id)> invalidate);
  ~RibbonWindow() override;
  RibbonWindow(const RibbonWindow&) = delete;
  RibbonWindow& operator=(const RibbonWindow&) = delete;

  // The window's bars: the group, once added.
  std::int32_t Count() override;
  std::shared_ptr<outlook::ICommandBar> Item(std::int32_t index) override;
  // The one group; a second is refused as Office refuses a name twice.
  std::shared_ptr<outlook::ICommandBar> Add(const std::string& name, std::int32_t position,
                                            bool temporary) override;

  // What Office asks of a control, by its Ribbon id; a control the group does not hold (yet)
  // shows nothing.
  std::string Label(const std::string& id);
  std::optional<Image> FaceOf(const std::string& id);
  bool Visible(const std::string& id);
  bool Enabled(const std::string& id);
  // A click: every handler of the button's Click.
  void Action(const std::string& id);
  std::int32_t ItemCount(const std::string& id);
  std::string ItemLabel(const std::string& id, std::int32_t index);  // from 0
  std::int32_t SelectedItemIndex(const std::string& id);             // from 0, -1 for none
  void Choose(const std::string& id, std::int32_t index);            // from 0

  struct Control;  // one control's state, kept in this file's implementation

 private:
  Control* Find(const std::string& id);
  friend class RibbonControls;
  friend class RibbonBar;

  std::function<void(const std::string&)> invalidate_;
  std::shared_ptr<RibbonControls> controls_;  // the group's, once added
  std::string name_;
};

}  // namespace voxtrel::ribbon
