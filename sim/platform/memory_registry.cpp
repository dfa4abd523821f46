#include "sim/platform/memory_registry.h"

#include "common/classic.h"

namespace voxtrel::sim {

MemoryRegistry::MemoryRegistry() {
  roots_[platform::kHkeyClassesRoot];
  roots_[platform::kHkeyCurrentUser];
  roots_[platform::kHkeyLocalMachine];
}

MemoryRegistry::~MemoryRegistry() = default;

MemoryRegistry::Key* MemoryRegistry::Resolve(platform::RegKey key) {
  if (const auto root = roots_.find(key); root != roots_.end()) return &root->second;
  if (const auto handle = handles_.find(key); handle != handles_.end()) return handle->second;
  return nullptr;
}

MemoryRegistry::Key* MemoryRegistry::Walk(Key* from, std::string_view path, bool create) {
  Key* key = from;
  while (!path.empty()) {
    const auto slash = path.find('\\');
    const std::string name = classic::LCase(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (name.empty()) continue;
    auto& child = key->subKeys[name];
    if (!child) {
      if (!create) {
        key->subKeys.erase(name);
        return nullptr;
      }
      child = std::make_unique<Key>();
    }
    key = child.get();
  }
  return key;
}

platform::RegKey MemoryRegistry::NewHandle(Key* key) {
  const platform::RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = key;
  return handle;
}

long MemoryRegistry::OpenKey(platform::RegKey parent, std::string_view subKey,
                             platform::RegKey* result) {
  *result = 0;
  Key* from = Resolve(parent);
  if (from == nullptr) return platform::kErrorInvalidHandle;
  Key* key = Walk(from, subKey, false);
  if (key == nullptr) return platform::kErrorFileNotFound;
  *result = NewHandle(key);
  return platform::kErrorSuccess;
}

long MemoryRegistry::CreateKey(platform::RegKey parent, std::string_view subKey,
                               platform::RegKey* result) {
  *result = 0;
  Key* from = Resolve(parent);
  if (from == nullptr) return platform::kErrorInvalidHandle;
  *result = NewHandle(Walk(from, subKey, true));
  return platform::kErrorSuccess;
}

long MemoryRegistry::QueryValue(platform::RegKey key, std::string_view name, std::uint32_t* type,
                                std::byte* data, std::uint32_t* size) {
  Key* owner = Resolve(key);
  if (owner == nullptr) return platform::kErrorInvalidHandle;
  const auto found = owner->values.find(classic::LCase(name));
  if (found == owner->values.end()) return platform::kErrorFileNotFound;
  const Value& value = found->second;
  if (type != nullptr) *type = value.type;
  const auto stored = static_cast<std::uint32_t>(value.data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = stored;
    return platform::kErrorSuccess;
  }
  if (size == nullptr) return platform::kErrorInvalidHandle;
  const std::uint32_t room = *size;
  *size = stored;
  if (room < stored) return platform::kErrorMoreData;
  std::copy(value.data.begin(), value.data.end(), data);
  return platform::kErrorSuccess;
}

long MemoryRegistry::SetValue(platform::RegKey key, std::string_view name, std::uint32_t type,
                              const std::byte* data, std::uint32_t size) {
  Key* owner = Resolve(key);
  if (owner == nullptr) return platform::kErrorInvalidHandle;
  Value& value = owner->values[classic::LCase(name)];
  value.type = type;
  value.data.assign(data, data + size);
  return platform::kErrorSuccess;
}

long MemoryRegistry::DeleteKey(platform::RegKey key, std::string_view subKey) {
  Key* owner = Resolve(key);
  if (owner == nullptr) return platform::kErrorInvalidHandle;
  const auto slash = subKey.rfind('\\');
  Key* parent =
      slash == std::string_view::npos ? owner : Walk(owner, subKey.substr(0, slash), false);
  const std::string leaf =
      classic::LCase(slash == std::string_view::npos ? subKey : subKey.substr(slash + 1));
  if (parent == nullptr || leaf.empty()) return platform::kErrorFileNotFound;
  const auto child = parent->subKeys.find(leaf);
  if (child == parent->subKeys.end()) return platform::kErrorFileNotFound;
  if (!child->second->subKeys.empty()) return platform::kErrorAccessDenied;
  // Handles still open on a deleted key stay valid until closed, as in Windows.
  deleted_.push_back(std::move(child->second));
  parent->subKeys.erase(child);
  return platform::kErrorSuccess;
}

long MemoryRegistry::DeleteValue(platform::RegKey key, std::string_view name) {
  Key* owner = Resolve(key);
  if (owner == nullptr) return platform::kErrorInvalidHandle;
  return owner->values.erase(classic::LCase(name)) == 1 ? platform::kErrorSuccess
                                                        : platform::kErrorFileNotFound;
}

long MemoryRegistry::CloseKey(platform::RegKey key) {
  if (roots_.count(key) == 1) return platform::kErrorSuccess;
  return handles_.erase(key) == 1 ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
}

}  // namespace voxtrel::sim
