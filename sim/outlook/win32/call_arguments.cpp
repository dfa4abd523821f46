#include "sim/outlook/win32/call_arguments.h"

#include <oleauto.h>

#include "win32/com/unique_bstr.h"

namespace voxtrel::olsim::win32 {
namespace {

using voxtrel::win32::com::UniqueBstr;
using voxtrel::win32::com::UniqueVariant;

std::string TextOf(const UniqueVariant& text) {
  return UniqueBstr::ToUtf8(V_BSTR(&*text));
}

std::int32_t IntOf(const UniqueVariant& number) {
  return V_I4(&*number);
}

bool BoolOf(const UniqueVariant& flag) {
  return V_BOOL(&*flag) != VARIANT_FALSE;
}

}  // namespace

Args::Args(const DISPPARAMS& params, bool put) : count_(params.cArgs) {
  const UINT named = params.cNamedArgs;
  for (UINT i = params.cArgs; i > named; --i) positional_.push_back(&params.rgvarg[i - 1]);
  if (put && named == 1) value_ = &params.rgvarg[0];
}

const VARIANT* Args::positional(std::size_t index) const {
  if (index >= positional_.size()) return nullptr;
  const VARIANT* arg = positional_[index];
  if (V_VT(arg) == VT_ERROR && V_ERROR(arg) == DISP_E_PARAMNOTFOUND) return nullptr;
  return arg;
}

bool Args::Has(std::size_t index) const {
  return positional(index) != nullptr;
}

UniqueVariant Args::Converted(const VARIANT* arg, VARTYPE type, std::size_t position) const {
  const UINT where = static_cast<UINT>(count_ - 1 - position);
  if (arg == nullptr) throw ArgumentError{DISP_E_PARAMNOTFOUND, where};
  UniqueVariant plain;
  UniqueVariant result;
  if (FAILED(VariantCopyInd(plain.get(), const_cast<VARIANT*>(arg))) ||
      FAILED(VariantChangeType(result.get(), plain.get(), 0, type))) {
    throw ArgumentError{DISP_E_TYPEMISMATCH, where};
  }
  return result;
}

std::string Args::Text(std::size_t index) const {
  return TextOf(Converted(positional(index), VT_BSTR, index));
}

std::int32_t Args::Int(std::size_t index) const {
  return IntOf(Converted(positional(index), VT_I4, index));
}

bool Args::Bool(std::size_t index) const {
  return BoolOf(Converted(positional(index), VT_BOOL, index));
}

std::string Args::TextValue() const {
  return TextOf(Converted(value_, VT_BSTR, count_ - 1));
}

std::int32_t Args::IntValue() const {
  return IntOf(Converted(value_, VT_I4, count_ - 1));
}

bool Args::BoolValue() const {
  return BoolOf(Converted(value_, VT_BOOL, count_ - 1));
}

}  // namespace voxtrel::olsim::win32
