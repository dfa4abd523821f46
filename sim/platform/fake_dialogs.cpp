#include <stdexcept>

#include "sim/platform/fake_forms.h"

namespace voxtrel::sim {
namespace {

template <typename Map>
auto& Entry(Map& map, std::string_view name, const char* what) {
  const auto found = map.find(std::string(name));
  if (found == map.end())
    throw std::out_of_range(std::string("no ") + what + ' ' + std::string(name));
  return found->second;
}

class FakeDialog final : public platform::IDialog {
 public:
  explicit FakeDialog(std::shared_ptr<DialogRecord> record) : record_(std::move(record)) {
    for (const auto& label : record_->design.labels) {
      record_->labels[label.label.name] = label.label.caption;
    }
    for (const auto& box : record_->design.checkBoxes) {
      record_->boxValues[box.name] = 0;
      record_->boxVisible[box.name] = box.visible;
    }
  }
  ~FakeDialog() override {
    record_->loaded = false;
    record_->visible = false;
  }

  void Show() override {
    record_->visible = true;
    ++record_->shows;
  }
  std::uintptr_t hWnd() override { return record_->handle; }
  void SetIcon(int resource) override { record_->icon = resource; }
  std::string LabelCaption(std::string_view label) override {
    return Entry(record_->labels, label, "label");
  }
  void SetLabelCaption(std::string_view label, std::string_view caption) override {
    Entry(record_->labels, label, "label") = caption;
  }
  void SetCheckBoxVisible(std::string_view box, bool visible) override {
    Entry(record_->boxVisible, box, "check box") = visible;
  }
  int CheckBoxValue(std::string_view box) override {
    return Entry(record_->boxValues, box, "check box");
  }
  void SetCheckBoxValue(std::string_view box, int value) override {
    int& state = Entry(record_->boxValues, box, "check box");
    if (state == value) return;
    state = value;
    record_->events->Click(box);
  }

 private:
  std::shared_ptr<DialogRecord> record_;
};

}  // namespace

std::unique_ptr<platform::IDialog> FakeForms::LoadDialog(const platform::DialogDesign& design,
                                                         platform::IDialogEvents& events) {
  auto record = std::make_shared<DialogRecord>();
  record->design = design;
  record->events = &events;
  record->handle = 0x10000 + dialogs_.size() * 4;
  dialogs_.push_back(record);
  return std::make_unique<FakeDialog>(std::move(record));
}

}  // namespace voxtrel::sim
