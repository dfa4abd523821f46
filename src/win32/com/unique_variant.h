#pragma once

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <string_view>

namespace voxtrel::win32::com {

// Owns what a VARIANT holds and clears it on destruction.
class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&value_); }
  ~UniqueVariant() { VariantClear(&value_); }
  UniqueVariant(UniqueVariant&& other) noexcept : value_(other.release()) {}
  UniqueVariant& operator=(UniqueVariant&& other) noexcept;
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;

  // Throws std::bad_alloc when the system has no memory for the string.
  static UniqueVariant Text(std::string_view utf8);
  static UniqueVariant Int(std::int32_t number);
  static UniqueVariant Bool(bool flag);
  // Holds a reference of its own; null stays null.
  static UniqueVariant Dispatch(IDispatch* object);
  // By reference: the callee writes through to the caller's storage, which must outlive this.
  static UniqueVariant BoolRef(VARIANT_BOOL* flag);
  static UniqueVariant VariantArrayRef(SAFEARRAY** array);
  // An optional argument left out, as automation clients leave one in the middle of a list.
  static UniqueVariant Omitted();

  VARIANT* get() { return &value_; }
  const VARIANT& operator*() const { return value_; }
  VARTYPE type() const { return V_VT(&value_); }
  // Empties it, for reuse as an out parameter.
  VARIANT* put() {
    VariantClear(&value_);
    return &value_;
  }
  // Hands what it holds to the caller, who clears it.
  VARIANT release() {
    const VARIANT value = value_;
    VariantInit(&value_);
    return value;
  }

 private:
  VARIANT value_;
};

}  // namespace voxtrel::win32::com
