#include "host/registry.h"

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace voxtrel::Registry {
namespace {

platform::IRegistry& Port() {
  return platform::Current().registry;
}

// An open key, closed when it goes out of scope.
class ScopedKey {
 public:
  enum class Access { kOpen, kCreate };

  ScopedKey(RegKey root, std::string_view path, Access access) {
    if (access == Access::kOpen) {
      Port().OpenKey(root, path, &key_);
    } else {
      Port().CreateKey(root, path, &key_);
    }
  }
  ~ScopedKey() {
    if (key_ != 0) Port().CloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegKey get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }

 private:
  RegKey key_ = 0;
};

classic::Variant ReadString(RegKey key, std::string_view name, std::uint32_t size) {
  std::vector<std::byte> buffer(size, std::byte{' '});
  std::uint32_t type = 0;
  if (Port().QueryValue(key, name, &type, buffer.data(), &size) != platform::kErrorSuccess) {
    return std::string();
  }
  const auto* chars = reinterpret_cast<const char*>(buffer.data());
  std::string_view text(chars, buffer.size());
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  return Port().FromAnsi(text);
}

classic::Variant ReadDword(RegKey key, std::string_view name) {
  std::int32_t number = 0;
  std::uint32_t size = sizeof(number);
  std::uint32_t type = 0;
  if (Port().QueryValue(key, name, &type, reinterpret_cast<std::byte*>(&number), &size) !=
      platform::kErrorSuccess) {
    return std::string();
  }
  return number;
}

}  // namespace

classic::Variant GetValue(RegKey root, std::string_view keyPath, std::string_view valueName) {
  const ScopedKey key(root, keyPath, ScopedKey::Access::kOpen);
  if (!key) return std::string();
  std::uint32_t type = platform::kRegNone;
  std::uint32_t size = 0;
  Port().QueryValue(key.get(), valueName, &type, nullptr, &size);
  switch (type) {
    case platform::kRegSz:
      return ReadString(key.get(), valueName, size);
    case platform::kRegDword:
      return ReadDword(key.get(), valueName);
    default:
      return std::string();
  }
}

void SetValue(RegKey root, std::string_view keyPath, std::string_view valueName,
              const classic::Variant& value) {
  const ScopedKey key(root, keyPath, ScopedKey::Access::kCreate);
  std::string data = Port().ToAnsi(classic::Trim(classic::CStr(value)));
  data.push_back('\0');
  Port().SetValue(key.get(), valueName, platform::kRegSz,
                  reinterpret_cast<const std::byte*>(data.data()),
                  static_cast<std::uint32_t>(data.size()));
}

bool KeyExists(RegKey root, std::string_view keyPath) {
  return static_cast<bool>(ScopedKey(root, keyPath, ScopedKey::Access::kOpen));
}

void CreateKey(RegKey root, std::string_view keyPath) {
  const ScopedKey key(root, keyPath, ScopedKey::Access::kCreate);
}

bool DeleteKey(RegKey root, std::string_view keyPath, std::string_view subKey) {
  if (!KeyExists(root, keyPath)) return false;
  const ScopedKey key(root, keyPath, ScopedKey::Access::kOpen);
  return Port().DeleteKey(key.get(), subKey) == platform::kErrorSuccess;
}

}  // namespace voxtrel::Registry
