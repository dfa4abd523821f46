// The session actions that reach the add-in's own options: its settings and its dialog.
#include <string>
#include <vector>

#include "sim/outlook/dump.h"
#include "sim/outlook/session.h"

namespace voxtrel::olsim {
namespace {

constexpr std::string_view kSettingsKey =
    "Software\\Microsoft\\Office\\Outlook\\Addins\\Voxtrel.MailWindow";

// A key of the current user's, the add-in's settings by default, closed when it goes.
class SettingsKey {
 public:
  SettingsKey(platform::IRegistry& registry, bool create, std::string_view path = kSettingsKey)
      : registry_(registry) {
    if (create) {
      registry_.CreateKey(platform::kHkeyCurrentUser, path, &key_);
    } else {
      registry_.OpenKey(platform::kHkeyCurrentUser, path, &key_);
    }
  }
  ~SettingsKey() {
    if (key_ != 0) registry_.CloseKey(key_);
  }
  SettingsKey(const SettingsKey&) = delete;
  SettingsKey& operator=(const SettingsKey&) = delete;
  platform::RegKey get() const { return key_; }

 private:
  platform::IRegistry& registry_;
  platform::RegKey key_ = 0;
};

void RemoveSetting(platform::IRegistry& registry, const std::string& name) {
  const SettingsKey key(registry, false);
  if (key.get() != 0) registry.DeleteValue(key.get(), name);
}

void Require(bool condition, const std::string& usage) {
  if (!condition) throw ActionRefused("expected: " + usage);
}

// "TEXT" for a string, the number for a DWORD, "missing" or the type's number otherwise.
std::string DescribeSetting(platform::IRegistry& registry, const std::string& name) {
  const SettingsKey key(registry, false);
  std::uint32_t type = platform::kRegNone;
  std::uint32_t size = 0;
  if (key.get() == 0 ||
      registry.QueryValue(key.get(), name, &type, nullptr, &size) != platform::kErrorSuccess) {
    return "missing";
  }
  std::string data(size, '\0');
  registry.QueryValue(key.get(), name, &type, reinterpret_cast<std::byte*>(data.data()), &size);
  data.resize(size);
  if (type == platform::kRegSz)
    return QuoteText(registry.FromAnsi(data.substr(0, data.find('\0'))));
  return "type " + std::to_string(type) + " " + QuoteText(data);
}

const char* Shown(bool visible) {
  return visible ? "visible" : "hidden";
}

const char* BoxWord(int state) {
  switch (state) {
    case 0:
      return "clear";
    case 1:
      return "ticked";
    case 2:
      return "grey";
    default:
      return "unknown";
  }
}

}  // namespace

bool HoldsDwordOne(platform::IRegistry& registry, std::string_view key, std::string_view name) {
  const SettingsKey open(registry, false, key);
  std::uint32_t type = platform::kRegNone;
  std::uint32_t value = 0;
  std::uint32_t size = sizeof value;
  return open.get() != 0 &&
         registry.QueryValue(open.get(), name, &type, reinterpret_cast<std::byte*>(&value),
                             &size) == platform::kErrorSuccess &&
         type == platform::kRegDword && value == 1;
}

void SessionRunner::UseOptions(platform::IRegistry& settings, IOptionsDialog& dialog) {
  settings_ = &settings;
  dialog_ = &dialog;
}

void SessionRunner::ShutdownNotification(const Words& words) {
  if (settings_ == nullptr) throw ActionRefused("no registry on this face");
  Require(words[1] == "on" || words[1] == "off", usage_);
  const SettingsKey key(*settings_, words[1] == "on", kAddInEntryKey);
  if (key.get() == 0) return;
  if (words[1] == "off") {
    settings_->DeleteValue(key.get(), kShutdownNotification);
    return;
  }
  const std::uint32_t one = 1;
  if (settings_->SetValue(key.get(), kShutdownNotification, platform::kRegDword,
                          reinterpret_cast<const std::byte*>(&one),
                          sizeof one) != platform::kErrorSuccess) {
    throw ActionRefused("cannot write the add-in's entry");
  }
}

void SessionRunner::Setting(const Words& words) {
  if (settings_ == nullptr) throw ActionRefused("no settings on this face");
  if (words.size() == 2) {
    out_ << "setting " << words[1] << ' ' << DescribeSetting(*settings_, words[1]) << '\n';
    return;
  }
  std::string data = settings_->ToAnsi(words[2]);
  data.push_back('\0');
  const SettingsKey key(*settings_, true);
  if (key.get() == 0 ||
      settings_->SetValue(key.get(), words[1], platform::kRegSz,
                          reinterpret_cast<const std::byte*>(data.data()),
                          static_cast<std::uint32_t>(data.size())) != platform::kErrorSuccess) {
    throw ActionRefused("cannot store the setting " + words[1]);
  }
}

void SessionRunner::Unset(const Words& words) {
  if (settings_ == nullptr) throw ActionRefused("no settings on this face");
  RemoveSetting(*settings_, words[1]);
}

void SessionRunner::Dialog(const Words& words) {
  if (dialog_ == nullptr) throw ActionRefused("no options dialog on this face");
  if (words.size() == 1) {
    const std::vector<DialogView> views = dialog_->Views();
    if (views.empty()) out_ << "dialog none\n";
    for (const DialogView& view : views) {
      out_ << "dialog " << QuoteText(view.caption) << ' ' << Shown(view.visible) << " label "
           << QuoteText(view.label) << " box " << QuoteText(view.box) << ' '
           << BoxWord(view.boxState) << ' ' << Shown(view.boxVisible) << '\n';
    }
    return;
  }
  const std::string& what = words[1];
  const auto state = [&] {
    const std::vector<DialogView> views = dialog_->Views();
    if (views.empty()) throw ActionRefused("no options dialog is open");
    return views.front().boxState;
  };
  if (what == "tick") {
    if (state() == 1) throw ActionRefused("the box is ticked already");
    dialog_->ClickBox();
  } else if (what == "clear") {
    if (state() != 1) throw ActionRefused("the box is not ticked");
    dialog_->ClickBox();
  } else if (what == "ok") {
    dialog_->ClickOk();
  } else if (what == "close") {
    dialog_->ClickCloseBox();
  } else if (what == "escape") {
    dialog_->PressEscape();
  } else {
    throw ActionRefused("expected: " + usage_);
  }
}

}  // namespace voxtrel::olsim
