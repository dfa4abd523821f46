#pragma once

#include <windows.h>

#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "win32/com/unique_variant.h"

namespace voxtrel::olsim::win32 {

// The arguments of one call in declaration order; omitted ones (VT_ERROR
// DISP_E_PARAMNOTFOUND, or past the end) read as absent.
class Args {
 public:
  Args(const DISPPARAMS& params, bool put);
  std::size_t size() const { return positional_.size(); }
  bool Has(std::size_t index) const;
  // Throw ArgumentError when absent or not convertible.
  std::string Text(std::size_t index) const;
  std::int32_t Int(std::size_t index) const;
  bool Bool(std::size_t index) const;
  // The value of a property put.
  const VARIANT& Value() const { return *value_; }
  std::string TextValue() const;
  std::int32_t IntValue() const;
  bool BoolValue() const;

 private:
  voxtrel::win32::com::UniqueVariant Converted(const VARIANT* arg, VARTYPE type,
                                               std::size_t position) const;
  const VARIANT* positional(std::size_t index) const;

  std::vector<const VARIANT*> positional_;
  const VARIANT* value_ = nullptr;
  UINT count_ = 0;
};

// A failure of the call's form, not of Outlook: an HRESULT and the argument's rgvarg position.
struct ArgumentError {
  HRESULT hresult;
  UINT position;
};

}  // namespace voxtrel::olsim::win32
