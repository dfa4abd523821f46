#include "sim/outlook/ribbon_host.h"

#include <ostream>

#include "sim/outlook/dump.h"

namespace voxtrel::olsim {
namespace {

constexpr char kCompose[] = "Microsoft.Outlook.Mail.Compose";
constexpr char kRead[] = "Microsoft.Outlook.Mail.Read";
constexpr char kExplorer[] = "Microsoft.Outlook.Explorer";

// Office's own Ribbon IDs of the other item kinds' forms.
std::string FormRibbonOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::kContact:
      return "Microsoft.Outlook.Contact";
    case ItemKind::kAppointment:
      return "Microsoft.Outlook.Appointment";
    case ItemKind::kMeetingRequest:
      return "Microsoft.Outlook.MeetingRequest.Read";
    case ItemKind::kReport:
      return "Microsoft.Outlook.Report";
    case ItemKind::kTask:
      return "Microsoft.Outlook.Task";
    case ItemKind::kPost:
      return "Microsoft.Outlook.Post.Read";
    case ItemKind::kNote:  // notes have no Ribbon
    case ItemKind::kMail:
      break;
  }
  return {};
}

}  // namespace

RibbonHost::RibbonHost(Model& model, std::ostream& out) : model_(model), out_(out) {}

std::string RibbonHost::RibbonIdOf(const Window& window) {
  const int major = model_.MajorVersion();
  if (window.IsExplorer()) return major >= 14 ? kExplorer : std::string();
  if (major < 12) return {};
  const Item& item = model_.ItemById(window.item);
  if (item.kind != ItemKind::kMail) return FormRibbonOf(item.kind);
  return item.sent ? kRead : kCompose;
}

const CustomUi* RibbonHost::UiOf(const Window& window) {
  const auto loaded = loaded_.find(window.ribbonId);
  if (loaded == loaded_.end() || !loaded->second.ui) return nullptr;
  return &*loaded->second.ui;
}

void RibbonHost::Shown(Id id) {
  if (addIn_ == nullptr) return;
  Window& window = model_.WindowById(id);
  window.ribbonId = RibbonIdOf(window);
  if (window.ribbonId.empty()) return;
  const std::string ribbonId = window.ribbonId;
  if (loaded_.count(ribbonId) == 0) {
    // Asked once per Ribbon ID, when its first window appears.
    Loaded& loaded = loaded_[ribbonId];
    try {
      const std::string xml = addIn_->GetCustomUI(ribbonId);
      if (!xml.empty()) {
        loaded.ui = ReadCustomUi(ParseXml(xml), model_.MajorVersion(),
                                 [this](const std::string& name) { return addIn_->Answers(name); });
      }
    } catch (const std::exception& error) {
      out_ << "Office refused the add-in's customUI for " << ribbonId << ": " << error.what()
           << '\n';
      loaded.ui.reset();
    }
    if (loaded.ui && !loaded.ui->onLoad.empty()) {
      try {
        addIn_->Load(loaded.ui->onLoad, [this, ribbonId](const std::string& control) {
          model_.InvalidateRibbonControl(ribbonId, control);
        });
      } catch (const std::exception& error) {
        out_ << "the add-in's " << loaded.ui->onLoad << " failed: " << error.what() << '\n';
      }
    }
  }
  const CustomUi* ui = UiOf(model_.WindowById(id));
  if (ui == nullptr) return;
  Window& shown = model_.WindowById(id);
  shown.ribbon.clear();
  for (const RibbonGroupDef& group : ui->groups) {
    for (const RibbonControlDef& def : group.controls) {
      if (def.kind != "button" && def.kind != "dropDown") continue;
      RibbonShown control;
      control.id = def.id;
      control.kind = def.kind;
      shown.ribbon.push_back(std::move(control));
    }
  }
  Refresh();
}

RibbonAnswer RibbonHost::CallOrReport(const RibbonCall& call) {
  try {
    return addIn_->Call(call);
  } catch (const std::exception& error) {
    out_ << "the add-in's " << call.callback << " for " << call.control
         << " failed: " << error.what() << '\n';
    return {};
  }
}

namespace {

template <typename T>
T AnswerOr(const RibbonAnswer& answer, T otherwise) {
  if (const T* value = std::get_if<T>(&answer)) return *value;
  return otherwise;
}

}  // namespace

void RibbonHost::Ask(Window& window, RibbonShown& control, const RibbonControlDef& def) {
  const auto ask = [&](const char* attribute) -> RibbonAnswer {
    const std::string callback = def.Attribute(attribute);
    if (callback.empty()) return {};
    return CallOrReport({callback, control.id, window.id, std::nullopt, std::nullopt});
  };
  const std::string fixedLabel = def.Attribute("label");
  control.label = fixedLabel.empty() ? AnswerOr<std::string>(ask("getLabel"), "") : fixedLabel;
  control.visible = AnswerOr<bool>(ask("getVisible"), def.Attribute("visible") != "false");
  control.enabled = AnswerOr<bool>(ask("getEnabled"), def.Attribute("enabled") != "false");
  const RibbonAnswer image = ask("getImage");
  if (const auto* pixels = std::get_if<FacePixels>(&image)) {
    control.pixels = *pixels;
    control.image = FaceIdentity(*pixels);
  } else {
    control.pixels = {};
    control.image = "none";
  }
  if (def.kind == "dropDown") {
    const std::int32_t count = AnswerOr<std::int32_t>(ask("getItemCount"), 0);
    control.entries.clear();
    const std::string itemLabel = def.Attribute("getItemLabel");
    for (std::int32_t index = 0; index < count && !itemLabel.empty(); ++index) {
      control.entries.push_back(AnswerOr<std::string>(
          CallOrReport({itemLabel, control.id, window.id, index, std::nullopt}), ""));
    }
    control.selected = AnswerOr<std::int32_t>(ask("getSelectedItemIndex"), -1);
  }
  control.stale = false;
}

void RibbonHost::Refresh() {
  if (addIn_ == nullptr) return;
  // By index and id: a callback may open or close a window.
  for (std::size_t w = 0; w < model_.Windows().size(); ++w) {
    const Window& window = model_.Windows()[w];
    if (!window.open || window.ribbon.empty()) continue;
    const Id id = window.id;
    const CustomUi* ui = UiOf(window);
    if (ui == nullptr) continue;
    for (const RibbonGroupDef& group : ui->groups) {
      for (const RibbonControlDef& def : group.controls) {
        Window& current = model_.WindowById(id);
        for (RibbonShown& control : current.ribbon) {
          if (control.id == def.id && control.stale) Ask(current, control, def);
        }
      }
    }
  }
}

RibbonShown& RibbonHost::ShownControl(const std::string& id, const RibbonControlDef** def) {
  Refresh();
  const Id active = model_.ActiveWindow();
  Window& window = model_.WindowById(active);
  const CustomUi* ui = UiOf(window);
  for (RibbonShown& control : window.ribbon) {
    if (control.id != id) continue;
    if (!control.visible) throw ActionRefused(QuoteText(id) + " is hidden");
    if (!control.enabled) throw ActionRefused(QuoteText(id) + " is disabled");
    for (const RibbonGroupDef& group : ui->groups) {
      for (const RibbonControlDef& candidate : group.controls) {
        if (candidate.id == id) *def = &candidate;
      }
    }
    return control;
  }
  throw ActionRefused("the active window's Ribbon has no control " + QuoteText(id));
}

void RibbonHost::Click(const std::string& id) {
  const RibbonControlDef* def = nullptr;
  const RibbonShown& control = ShownControl(id, &def);
  if (control.kind != "button") throw ActionRefused(QuoteText(id) + " is not a button");
  const std::string callback = def->Attribute("onAction");
  if (callback.empty()) return;
  CallOrReport({callback, id, model_.ActiveWindow(), std::nullopt, std::nullopt});
}

void RibbonHost::Choose(const std::string& id, std::int32_t entry) {
  const RibbonControlDef* def = nullptr;
  RibbonShown& control = ShownControl(id, &def);
  if (control.kind != "dropDown") throw ActionRefused(QuoteText(id) + " is not a dropDown");
  if (entry < 1 || entry > static_cast<std::int32_t>(control.entries.size())) {
    throw ActionRefused(QuoteText(id) + " has no entry " + std::to_string(entry));
  }
  // The dropDown shows what the user chose, whatever the add-in makes of it.
  control.selected = entry - 1;
  const std::string callback = def->Attribute("onAction");
  if (callback.empty()) return;
  const std::string itemId = id + "Item" + std::to_string(entry - 1);
  CallOrReport(
      {callback, id, model_.ActiveWindow(), std::nullopt, std::make_pair(itemId, entry - 1)});
}

}  // namespace voxtrel::olsim
