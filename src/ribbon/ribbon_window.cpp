#include "ribbon/ribbon_window.h"

#include <map>
#include <utility>

#include "common/error.h"
#include "ribbon/custom_ui_xml.h"

namespace voxtrel::ribbon {

// One control of the group: what Office asks for, and the handlers of its click.
struct RibbonWindow::Control {
  std::string id, parameter, caption, tag;
  bool comboBox = false;
  bool visible = true;
  std::optional<Image> face;
  std::vector<std::string> entries;
  std::int32_t listIndex = 0;  // from 1, 0 for none, as a combo box's
  std::uint64_t nextClick = 1;
  std::map<std::uint64_t, std::shared_ptr<outlook::IButton::ClickHandler>> clicks;
};

namespace {

using ControlPtr = std::shared_ptr<RibbonWindow::Control>;
using Invalidate = std::function<void(const std::string&)>;

constexpr int kInvalidProcedureCall = 5;
constexpr int kNoSuchMember = 438;
// Where the group's controls lie, for the audio form that stands beside them: below the tabs.
constexpr std::int32_t kGroupTop = 96;
constexpr std::int32_t kIconWidth = 23;

std::string IdOfParameter(const std::string& parameter) {
  for (const ControlName& control : kControls) {
    if (parameter == control.parameter) return control.id;
  }
  throw Error(kInvalidProcedureCall);
}

class Unsubscribe final : public outlook::ISubscription {
 public:
  explicit Unsubscribe(std::function<void()> end) : end_(std::move(end)) {}
  ~Unsubscribe() override { end_(); }
  Unsubscribe(const Unsubscribe&) = delete;
  Unsubscribe& operator=(const Unsubscribe&) = delete;

 private:
  std::function<void()> end_;
};

// What a button and a combo box share: their control, and the call that tells Office.
template <typename Interface>
class ControlMembers : public Interface {
 public:
  ControlMembers(ControlPtr control, Invalidate invalidate)
      : control_(std::move(control)), invalidate_(std::move(invalidate)) {}

  void Caption(const std::string& value) override { Change(control_->caption, value); }
  void Style(std::int32_t) override {}
  bool Visible() override { return control_->visible; }
  void Visible(bool value) override { Change(control_->visible, value); }
  void Tag(const std::string& value) override { control_->tag = value; }

 protected:
  template <typename T>
  void Change(T& field, const T& value) {
    if (field == value) return;
    field = value;
    invalidate_(control_->id);
  }

  ControlPtr control_;
  Invalidate invalidate_;
};

class Button final : public ControlMembers<outlook::IButton> {
 public:
  using ControlMembers::Caption;
  using ControlMembers::ControlMembers;
  std::string Caption() override { return control_->caption; }
  void ToolTipText(const std::string&) override {}
  std::int32_t Width() override {
    return kIconWidth + static_cast<std::int32_t>(6 * control_->caption.size() + 8);
  }
  std::int32_t Top() override { return kGroupTop; }
  // The Ribbon takes no face from the clipboard.
  void PasteFace() override { throw Error(kNoSuchMember); }
  // A new picture drops the mask it had, as a command bar button's does.
  void Picture(const std::vector<std::uint8_t>& packedDib) override {
    control_->face = Image{packedDib, {}};
    invalidate_(control_->id);
  }
  void Mask(const std::vector<std::uint8_t>& packedDib) override {
    if (!control_->face) throw Error(kInvalidProcedureCall);
    control_->face->mask = packedDib;
    invalidate_(control_->id);
  }
  outlook::Subscription SubscribeClick(ClickHandler handler) override {
    const std::uint64_t key = control_->nextClick++;
    control_->clicks.emplace(key, std::make_shared<ClickHandler>(std::move(handler)));
    return std::make_unique<Unsubscribe>([control = std::weak_ptr(control_), key] {
      if (const auto held = control.lock()) held->clicks.erase(key);
    });
  }
};

class ComboBox final : public ControlMembers<outlook::IComboBox> {
 public:
  using ControlMembers::ControlMembers;
  void Clear() override {
    control_->entries.clear();
    control_->listIndex = 0;
    invalidate_(control_->id);
  }
  void AddItem(const std::string& text) override {
    control_->entries.push_back(text);
    invalidate_(control_->id);
  }
  std::int32_t ListCount() override { return static_cast<std::int32_t>(control_->entries.size()); }
  std::int32_t ListIndex() override { return control_->listIndex; }
  void ListIndex(std::int32_t value) override {
    if (value < 0 || value > ListCount()) throw Error(kInvalidProcedureCall);
    Change(control_->listIndex, value);
  }
};

// A control as the bar's collection hands it out.
class ControlView final : public outlook::IControl {
 public:
  explicit ControlView(ControlPtr control) : control_(std::move(control)) {}
  bool Visible() override { return control_->visible; }
  std::int32_t Width() override {
    return kIconWidth + static_cast<std::int32_t>(6 * control_->caption.size() + 8);
  }
  std::int32_t Top() override { return kGroupTop; }

 private:
  ControlPtr control_;
};

}  // namespace

// The group's controls, in the order added.
class RibbonControls final : public outlook::IControls {
 public:
  explicit RibbonControls(Invalidate invalidate) : invalidate_(std::move(invalidate)) {}

  std::shared_ptr<outlook::IButton> AddButton(const std::string& parameter) override {
    return std::make_shared<Button>(Add(parameter, false), invalidate_);
  }
  std::shared_ptr<outlook::IComboBox> AddComboBox(const std::string& parameter) override {
    return std::make_shared<ComboBox>(Add(parameter, true), invalidate_);
  }
  std::int32_t Count() override { return static_cast<std::int32_t>(controls_.size()); }
  std::shared_ptr<outlook::IControl> Item(std::int32_t index) override {
    if (index < 1 || index > Count()) throw Error(kInvalidProcedureCall);
    return std::make_shared<ControlView>(controls_[static_cast<std::size_t>(index - 1)]);
  }

  RibbonWindow::Control* Find(const std::string& id) {
    for (const ControlPtr& control : controls_) {
      if (control->id == id) return control.get();
    }
    return nullptr;
  }
  // The group goes: its controls show no more.
  void Clear() {
    std::vector<ControlPtr> gone;
    gone.swap(controls_);
    for (const ControlPtr& control : gone) invalidate_(control->id);
  }

 private:
  ControlPtr Add(const std::string& parameter, bool comboBox) {
    auto control = std::make_shared<RibbonWindow::Control>();
    control->id = IdOfParameter(parameter);
    control->parameter = parameter;
    control->comboBox = comboBox;
    controls_.push_back(control);
    invalidate_(control->id);
    return control;
  }

  Invalidate invalidate_;
  std::vector<ControlPtr> controls_;
};

// The group as the one bar of the window.
class RibbonBar final : public outlook::ICommandBar {
 public:
  explicit RibbonBar(RibbonWindow& window) : window_(window) {}
  std::string Name() override { return window_.name_; }
  std::shared_ptr<outlook::IControls> Controls() override { return Group(); }
  void Position(std::int32_t) override {}
  bool Visible() override { return window_.controls_ != nullptr; }
  void Visible(bool) override {}
  void Delete() override {
    if (const auto group = std::exchange(window_.controls_, nullptr)) group->Clear();
  }

 private:
  std::shared_ptr<RibbonControls> Group() {
    if (!window_.controls_) throw Error(kInvalidProcedureCall);
    return window_.controls_;
  }

  RibbonWindow& window_;
};

RibbonWindow::RibbonWindow(std::function<void(const std::string& id)> invalidate)
    : invalidate_(std::move(invalidate)) {}

RibbonWindow::~RibbonWindow() = default;

std::int32_t RibbonWindow::Count() {
  return controls_ ? 1 : 0;
}

std::shared_ptr<outlook::ICommandBar> RibbonWindow::Item(std::int32_t index) {
  if (index != 1 || !controls_) throw Error(kInvalidProcedureCall);
  return std::make_shared<RibbonBar>(*this);
}

std::shared_ptr<outlook::ICommandBar> RibbonWindow::Add(const std::string& name, std::int32_t,
                                                        bool) {
  if (controls_) throw Error(kInvalidProcedureCall);
  name_ = name;
  controls_ = std::make_shared<RibbonControls>(invalidate_);
  return std::make_shared<RibbonBar>(*this);
}

RibbonWindow::Control* RibbonWindow::Find(const std::string& id) {
  return controls_ ? controls_->Find(id) : nullptr;
}

std::string RibbonWindow::Label(const std::string& id) {
  const Control* control = Find(id);
  if (control == nullptr) return {};
  // The Properties button has no caption on a bar; the Ribbon names every button.
  if (control->caption.empty() && control->parameter == "Properties") return "Properties";
  return control->caption;
}

std::optional<Image> RibbonWindow::FaceOf(const std::string& id) {
  const Control* control = Find(id);
  return control ? control->face : std::nullopt;
}

bool RibbonWindow::Visible(const std::string& id) {
  const Control* control = Find(id);
  return control != nullptr && control->visible;
}

bool RibbonWindow::Enabled(const std::string& id) {
  return Find(id) != nullptr;
}

void RibbonWindow::Action(const std::string& id) {
  Control* control = Find(id);
  if (control == nullptr || control->comboBox) return;
  // Copies: a handler may end a subscription, or the group.
  std::vector<std::shared_ptr<outlook::IButton::ClickHandler>> handlers;
  for (const auto& [key, handler] : control->clicks) handlers.push_back(handler);
  for (const auto& handler : handlers) {
    bool cancelDefault = false;
    (*handler)(cancelDefault);
  }
}

std::int32_t RibbonWindow::ItemCount(const std::string& id) {
  const Control* control = Find(id);
  return control ? static_cast<std::int32_t>(control->entries.size()) : 0;
}

std::string RibbonWindow::ItemLabel(const std::string& id, std::int32_t index) {
  const Control* control = Find(id);
  if (control == nullptr || index < 0 ||
      index >= static_cast<std::int32_t>(control->entries.size())) {
    return {};
  }
  return control->entries[static_cast<std::size_t>(index)];
}

std::int32_t RibbonWindow::SelectedItemIndex(const std::string& id) {
  const Control* control = Find(id);
  return control ? control->listIndex - 1 : -1;
}

void RibbonWindow::Choose(const std::string& id, std::int32_t index) {
  Control* control = Find(id);
  if (control == nullptr || index < 0 ||
      index >= static_cast<std::int32_t>(control->entries.size())) {
    return;
  }
  control->listIndex = index + 1;
}

}  // namespace voxtrel::ribbon
