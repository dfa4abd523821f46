#pragma once

#include <string>
#include <string_view>

#include "common/classic.h"
#include "platform/registry.h"

// The settings store: each operation opens a key, does one thing and closes it again, so
// every read sees the registry as it is now. No operation raises an error.
namespace voxtrel::Registry {

using platform::RegKey;

// The add-in's settings key under HKEY_CURRENT_USER.
inline constexpr std::string_view kSettingsKey =
    "Software\\Microsoft\\Office\\Outlook\\Addins\\Voxtrel.MailWindow";

// Text for REG_SZ (cut at the first NUL), a number for REG_DWORD, empty text otherwise.
classic::Variant GetValue(RegKey root, std::string_view keyPath, std::string_view valueName);

// Stores the value's text, trimmed of blanks, as REG_SZ with one NUL; creates the key path.
void SetValue(RegKey root, std::string_view keyPath, std::string_view valueName,
              const classic::Variant& value);

bool KeyExists(RegKey root, std::string_view keyPath);

void CreateKey(RegKey root, std::string_view keyPath);

// Deletes `subKey` directly below `keyPath`; true when it was deleted.
bool DeleteKey(RegKey root, std::string_view keyPath, std::string_view subKey);

}  // namespace voxtrel::Registry
