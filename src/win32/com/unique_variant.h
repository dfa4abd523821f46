#pragma once

#include <windows.h>

#include <oleauto.h>

namespace voxtrel::win32::com {

// Owns what a VARIANT holds and clears it on destruction.
class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&value_); }
  ~UniqueVariant() { VariantClear(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;

  VARIANT* get() { return &value_; }
  const VARIANT& operator*() const { return value_; }
  VARTYPE type() const { return V_VT(&value_); }
  // Empties it, for reuse as an out parameter.
  VARIANT* put() {
    VariantClear(&value_);
    return &value_;
  }

 private:
  VARIANT value_;
};

}  // namespace voxtrel::win32::com
