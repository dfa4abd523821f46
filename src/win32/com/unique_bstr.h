#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace voxtrel::win32::com {

// Owns a BSTR. A null BSTR is the empty string, as automation treats it.
class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR owned) : value_(owned) {}
  ~UniqueBstr() { reset(); }
  UniqueBstr(UniqueBstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept {
    if (this != &other) reset(std::exchange(other.value_, nullptr));
    return *this;
  }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;

  // Throws std::bad_alloc when the system has no memory for it.
  static UniqueBstr FromUtf8(std::string_view utf8);
  static UniqueBstr FromWide(std::wstring_view wide);

  BSTR get() const { return value_; }
  BSTR* put() {
    reset();
    return &value_;
  }
  BSTR release() { return std::exchange(value_, nullptr); }
  void reset(BSTR value = nullptr) {
    if (BSTR old = std::exchange(value_, value)) SysFreeString(old);
  }

  std::string ToUtf8() const { return ToUtf8(value_); }
  static std::string ToUtf8(BSTR value);

 private:
  BSTR value_ = nullptr;
};

}  // namespace voxtrel::win32::com
