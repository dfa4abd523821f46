#include "sim/platform/fake_forms.h"

#include <stdexcept>

namespace voxtrel::sim {
namespace {

class FakeSurface final : public platform::IDrawingSurface {
 public:
  explicit FakeSurface(FormRecord::PictureRecord& record) : record_(record) {}
  double ScaleHeight() override { return record_.scaleHeight; }
  void Cls() override {
    ++record_.clears;
    record_.ops.clear();
  }
  void SetForeColor(std::uint32_t color) override { record_.foreColor = color; }
  void FillBox(double x1, double y1, double x2, double y2) override {
    record_.ops.push_back({FormRecord::DrawOp::Kind::kBox, record_.foreColor, x1, y1, x2, y2});
  }
  void DrawLine(double x1, double y1, double x2, double y2) override {
    record_.ops.push_back({FormRecord::DrawOp::Kind::kLine, record_.foreColor, x1, y1, x2, y2});
  }

 private:
  FormRecord::PictureRecord& record_;
};

class FakeForm final : public platform::IForm {
 public:
  explicit FakeForm(std::shared_ptr<FormRecord> record) : record_(std::move(record)) {
    for (const auto& label : record_->design.labels) record_->labels[label.name] = label.caption;
    for (const auto& picture : record_->design.pictures) {
      auto& state = record_->pictures[picture.name];
      state.scaleHeight = picture.bounds.height - 2 * picture.border;
      surfaces_.emplace(picture.name, std::make_unique<FakeSurface>(state));
    }
  }
  ~FakeForm() override {
    record_->loaded = false;
    record_->visible = false;
  }

  void Show() override { record_->visible = true; }
  void Hide() override { record_->visible = false; }
  bool Visible() override { return record_->visible; }
  void PlaceTopmost(int x, int y) override {
    record_->left = x;
    record_->top = y;
    record_->topmost = true;
    ++record_->placements;
  }
  void SetLabelCaption(std::string_view label, std::string_view caption) override {
    const auto found = record_->labels.find(std::string(label));
    if (found == record_->labels.end()) throw std::out_of_range("no label " + std::string(label));
    found->second = caption;
  }
  platform::IDrawingSurface& Picture(std::string_view name) override {
    const auto found = surfaces_.find(std::string(name));
    if (found == surfaces_.end()) throw std::out_of_range("no picture " + std::string(name));
    return *found->second;
  }
  void Refresh() override { ++record_->refreshes; }

 private:
  std::shared_ptr<FormRecord> record_;
  std::map<std::string, std::unique_ptr<FakeSurface>> surfaces_;
};

}  // namespace

std::unique_ptr<platform::IForm> FakeForms::Load(const platform::FormDesign& design) {
  auto record = std::make_shared<FormRecord>();
  record->design = design;
  history_.push_back(record);
  return std::make_unique<FakeForm>(std::move(record));
}

FormRecord& FakeForms::Last(const std::string& caption) const {
  for (auto it = history_.rbegin(); it != history_.rend(); ++it) {
    if ((*it)->design.caption == caption) return **it;
  }
  throw std::out_of_range("no form with caption " + caption);
}

std::size_t FakeForms::LoadedCount(const std::string& caption) const {
  std::size_t count = 0;
  for (const auto& record : history_) count += record->design.caption == caption ? 1 : 0;
  return count;
}

}  // namespace voxtrel::sim
