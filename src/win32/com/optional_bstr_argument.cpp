#include "win32/com/optional_bstr_argument.h"

#include "win32/com/unique_variant.h"

namespace voxtrel::win32::com {
namespace {

bool IsMissing(const VARIANT& value) {
  return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
}

}  // namespace

OptionalBstrArgument::OptionalBstrArgument(std::string_view defaultValue)
    : defaultValue_(defaultValue) {
  VariantInit(&argument_);
}

HRESULT OptionalBstrArgument::Normalize(const DISPPARAMS& received, DISPPARAMS& normalized) {
  normalized = received;
  if (received.cNamedArgs != 0 || received.cArgs > 1) return S_OK;
  if (received.cArgs == 0) return UseDefault(normalized);
  const VARIANT* value = &received.rgvarg[0];
  if (V_VT(value) == (VT_BSTR | VT_BYREF)) return S_OK;
  if (V_VT(value) == (VT_VARIANT | VT_BYREF)) {
    VARIANT* referenced = V_VARIANTREF(value);
    if (V_VT(referenced) == VT_BSTR) {
      Point(&V_BSTR(referenced), normalized);
      return S_OK;
    }
    value = referenced;
  }
  if (IsMissing(*value)) return UseDefault(normalized);
  if (FAILED(UseCopyOf(*value))) return DISP_E_TYPEMISMATCH;
  Point(&localValue_, normalized);
  return S_OK;
}

HRESULT OptionalBstrArgument::UseDefault(DISPPARAMS& normalized) {
  try {
    local_ = UniqueBstr::FromUtf8(defaultValue_);
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  localValue_ = local_.get();
  Point(&localValue_, normalized);
  return S_OK;
}

HRESULT OptionalBstrArgument::UseCopyOf(const VARIANT& value) {
  UniqueVariant text;
  const HRESULT hr =
      VariantChangeType(text.get(), const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR);
  if (FAILED(hr)) return hr;
  local_.reset(V_BSTR(text.get()));
  V_VT(text.get()) = VT_EMPTY;
  localValue_ = local_.get();
  return S_OK;
}

void OptionalBstrArgument::Point(BSTR* value, DISPPARAMS& normalized) {
  V_VT(&argument_) = VT_BSTR | VT_BYREF;
  V_BSTRREF(&argument_) = value;
  normalized.rgvarg = &argument_;
  normalized.cArgs = 1;
}

}  // namespace voxtrel::win32::com
