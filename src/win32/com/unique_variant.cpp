#include "win32/com/unique_variant.h"

#include "win32/com/unique_bstr.h"

namespace voxtrel::win32::com {

UniqueVariant& UniqueVariant::operator=(UniqueVariant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    value_ = other.release();
  }
  return *this;
}

UniqueVariant UniqueVariant::Text(std::string_view utf8) {
  UniqueVariant result;
  V_BSTR(result.get()) = UniqueBstr::FromUtf8(utf8).release();
  V_VT(result.get()) = VT_BSTR;
  return result;
}

UniqueVariant UniqueVariant::Int(std::int32_t number) {
  UniqueVariant result;
  V_VT(result.get()) = VT_I4;
  V_I4(result.get()) = number;
  return result;
}

UniqueVariant UniqueVariant::Bool(bool flag) {
  UniqueVariant result;
  V_VT(result.get()) = VT_BOOL;
  V_BOOL(result.get()) = flag ? VARIANT_TRUE : VARIANT_FALSE;
  return result;
}

UniqueVariant UniqueVariant::Dispatch(IDispatch* object) {
  UniqueVariant result;
  if (object != nullptr) object->AddRef();
  V_VT(result.get()) = VT_DISPATCH;
  V_DISPATCH(result.get()) = object;
  return result;
}

UniqueVariant UniqueVariant::BoolRef(VARIANT_BOOL* flag) {
  UniqueVariant result;
  V_VT(result.get()) = VT_BOOL | VT_BYREF;
  V_BOOLREF(result.get()) = flag;
  return result;
}

UniqueVariant UniqueVariant::VariantArrayRef(SAFEARRAY** array) {
  UniqueVariant result;
  V_VT(result.get()) = VT_ARRAY | VT_VARIANT | VT_BYREF;
  V_ARRAYREF(result.get()) = array;
  return result;
}

UniqueVariant UniqueVariant::Omitted() {
  UniqueVariant result;
  V_VT(result.get()) = VT_ERROR;
  V_ERROR(result.get()) = DISP_E_PARAMNOTFOUND;
  return result;
}

}  // namespace voxtrel::win32::com
