#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string_view>

#include "win32/com/unique_bstr.h"

namespace voxtrel::win32::com {

// An optional [in, out] BSTR* argument as scripts hand it over: left out, a literal by value or a
// variable by reference (VT_VARIANT | VT_BYREF). Wine's ITypeInfo::Invoke accepts only an exact
// VT_BSTR | VT_BYREF and does not apply a string default to a BSTR*, so the argument is brought to
// that form first. The caller's own string is passed on where it has one, so [out] reaches it.
class OptionalBstrArgument {
 public:
  explicit OptionalBstrArgument(std::string_view defaultValue);
  OptionalBstrArgument(const OptionalBstrArgument&) = delete;
  OptionalBstrArgument& operator=(const OptionalBstrArgument&) = delete;

  // Parameters for a method whose only argument this is; they point into this object. Named or
  // surplus arguments are left for Invoke to judge.
  HRESULT Normalize(const DISPPARAMS& received, DISPPARAMS& normalized);

 private:
  HRESULT UseDefault(DISPPARAMS& normalized);
  HRESULT UseCopyOf(const VARIANT& value);
  void Point(BSTR* value, DISPPARAMS& normalized);

  std::string_view defaultValue_;
  UniqueBstr local_;
  BSTR localValue_ = nullptr;
  VARIANT argument_;
};

}  // namespace voxtrel::win32::com
