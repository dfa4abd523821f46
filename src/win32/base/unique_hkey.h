#pragma once

#include <windows.h>

#include <utility>

namespace voxtrel::win32::com {

// Owns an open registry key.
class UniqueHkey {
 public:
  UniqueHkey() = default;
  explicit UniqueHkey(HKEY key) : key_(key) {}
  ~UniqueHkey() { reset(); }
  UniqueHkey(UniqueHkey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  UniqueHkey& operator=(UniqueHkey&& other) noexcept {
    if (this != &other) reset(std::exchange(other.key_, nullptr));
    return *this;
  }
  UniqueHkey(const UniqueHkey&) = delete;
  UniqueHkey& operator=(const UniqueHkey&) = delete;

  HKEY get() const { return key_; }
  HKEY* put() {
    reset();
    return &key_;
  }
  void reset(HKEY key = nullptr) {
    if (HKEY old = std::exchange(key_, key)) RegCloseKey(old);
  }

 private:
  HKEY key_ = nullptr;
};

}  // namespace voxtrel::win32::com
