#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace voxtrel::sim {

// What a test can see of a form: it outlives the form, so unloading shows too.
struct FormRecord {
  struct DrawOp {
    enum class Kind { kBox, kLine } kind;
    std::uint32_t color;
    double x1, y1, x2, y2;
  };
  struct PictureRecord {
    double scaleHeight = 0;
    std::uint32_t foreColor = 0;
    int clears = 0;
    std::vector<DrawOp> ops;  // since the last Cls
  };

  platform::FormDesign design;
  bool loaded = true;
  bool visible = false;
  bool topmost = false;
  int left = 0;
  int top = 0;
  int placements = 0;
  int refreshes = 0;
  std::map<std::string, std::string> labels;
  std::map<std::string, PictureRecord> pictures;
};

// What a test can see of a dialog; the user's clicks go to `events` (fake_dialogs.cpp).
struct DialogRecord {
  platform::DialogDesign design;
  platform::IDialogEvents* events = nullptr;
  std::uintptr_t handle = 0;
  bool loaded = true;
  bool visible = false;
  int shows = 0;
  int icon = 0;
  std::map<std::string, std::string> labels;
  std::map<std::string, int> boxValues;
  std::map<std::string, bool> boxVisible;
};

// Forms as records in memory.
class FakeForms final : public platform::IForms {
 public:
  std::unique_ptr<platform::IForm> Load(const platform::FormDesign& design) override;
  std::unique_ptr<platform::IDialog> LoadDialog(const platform::DialogDesign& design,
                                                platform::IDialogEvents& events) override;
  // Every dialog loaded so far, oldest first.
  const std::vector<std::shared_ptr<DialogRecord>>& Dialogs() const { return dialogs_; }

  // Every form loaded so far, oldest first.
  const std::vector<std::shared_ptr<FormRecord>>& History() const { return history_; }
  // The most recently loaded form with this caption; throws when there is none.
  FormRecord& Last(const std::string& caption) const;
  std::size_t LoadedCount(const std::string& caption) const;

 private:
  std::vector<std::shared_ptr<FormRecord>> history_;
  std::vector<std::shared_ptr<DialogRecord>> dialogs_;
};

}  // namespace voxtrel::sim
