#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace voxtrel::sim {

// An in-memory registry with Windows' semantics: case-insensitive names, handles that must be
// closed, sizes reported as stored (NUL or not), ERROR_MORE_DATA for a short buffer.
class MemoryRegistry final : public platform::IRegistry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  long OpenKey(platform::RegKey parent, std::string_view subKey, platform::RegKey* result) override;
  long CreateKey(platform::RegKey parent, std::string_view subKey,
                 platform::RegKey* result) override;
  long QueryValue(platform::RegKey key, std::string_view name, std::uint32_t* type, std::byte* data,
                  std::uint32_t* size) override;
  long SetValue(platform::RegKey key, std::string_view name, std::uint32_t type,
                const std::byte* data, std::uint32_t size) override;
  long DeleteKey(platform::RegKey key, std::string_view subKey) override;
  long DeleteValue(platform::RegKey key, std::string_view name) override;
  long CloseKey(platform::RegKey key) override;
  std::string ToAnsi(std::string_view utf8) override { return std::string(utf8); }
  std::string FromAnsi(std::string_view ansi) override { return std::string(ansi); }

  // Handles opened and not yet closed: a leak check for tests.
  std::size_t OpenHandleCount() const { return handles_.size(); }

 private:
  struct Value {
    std::uint32_t type = 0;
    std::vector<std::byte> data;
  };
  struct Key {
    std::map<std::string, std::unique_ptr<Key>> subKeys;  // by lower-case name
    std::map<std::string, Value> values;                  // by lower-case name
  };

  Key* Resolve(platform::RegKey key);
  Key* Walk(Key* from, std::string_view path, bool create);
  platform::RegKey NewHandle(Key* key);

  std::map<platform::RegKey, Key> roots_;
  std::map<platform::RegKey, Key*> handles_;
  std::vector<std::unique_ptr<Key>> deleted_;
  platform::RegKey nextHandle_ = 0x1000;
};

}  // namespace voxtrel::sim
