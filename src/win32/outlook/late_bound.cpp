#include "win32/outlook/late_bound.h"

#include <utility>

#include "win32/com/automation_error.h"
#include "win32/com/callee_error.h"
#include "win32/com/dispatch_arguments.h"
#include "win32/com/unique_bstr.h"
#include "win32/com/unique_variant.h"

namespace voxtrel::win32::outlook {
namespace {

using com::UniqueBstr;
using com::UniqueVariant;

constexpr int kOutOfMemory = 7;
constexpr int kSubscriptOutOfRange = 9;
constexpr int kObjectDoesNotSupport = 438;
constexpr char kAutomationError[] = "Automation error";

// What a classic client makes of an HRESULT that comes without a description.
voxtrel::Error Undescribed(HRESULT hr) {
  switch (hr) {
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      return voxtrel::Error(kObjectDoesNotSupport);
    case DISP_E_TYPEMISMATCH:
      return voxtrel::Error(errnum::kTypeMismatch);
    case DISP_E_BADINDEX:
      return voxtrel::Error(kSubscriptOutOfRange);
    case DISP_E_OVERFLOW:
      return voxtrel::Error(errnum::kOverflow);
    case E_OUTOFMEMORY:
      return voxtrel::Error(kOutOfMemory);
    default:
      break;
  }
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return voxtrel::Error(com::AutomationNumber(hr));
  return voxtrel::Error(com::AutomationNumber(hr), kDefaultErrorSource, kAutomationError);
}

UniqueVariant ToVariant(const Argument& argument) {
  if (const auto* text = std::get_if<std::string>(&argument)) return UniqueVariant::Text(*text);
  if (const auto* number = std::get_if<std::int32_t>(&argument)) return UniqueVariant::Int(*number);
  if (const auto* flag = std::get_if<bool>(&argument)) return UniqueVariant::Bool(*flag);
  if (const auto* object = std::get_if<ComPtr<IDispatch>>(&argument)) {
    return UniqueVariant::Dispatch(object->get());
  }
  return UniqueVariant::Omitted();
}

}  // namespace

voxtrel::Error HostError(HRESULT hr, com::ExcepInfo* exception) {
  const com::CalleeError error = com::ReadCalleeError(hr, exception);
  if (error.description.empty()) return Undescribed(error.hresult);
  return voxtrel::Error(error.number, error.source.value_or(kDefaultErrorSource),
                        error.description);
}

LateBound::LateBound(ComPtr<IDispatch> object) : object_(std::move(object)) {}

DISPID LateBound::IdOf(const wchar_t* name) {
  if (const auto found = ids_.find(name); found != ids_.end()) return found->second;
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  SetErrorInfo(0, nullptr);
  const HRESULT hr = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) throw HostError(hr);
  ids_.emplace(name, id);
  return id;
}

void LateBound::Invoke(const wchar_t* name, WORD flags, Arguments arguments, VARIANT* result) {
  const DISPID id = IdOf(name);
  com::DispatchArguments packed;
  for (const Argument& argument : arguments) packed.Add(ToVariant(argument));
  com::ExcepInfo exception;
  SetErrorInfo(0, nullptr);
  const HRESULT hr = com::InvokeDispatch(*object_.get(), id, flags, packed, result, exception);
  if (FAILED(hr)) throw HostError(hr, &exception);
}

void LateBound::Get(const wchar_t* name, Arguments arguments, VARTYPE type, VARIANT& converted) {
  UniqueVariant result;
  Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arguments, result.get());
  if (FAILED(VariantChangeType(&converted, result.get(), 0, type))) {
    throw voxtrel::Error(errnum::kTypeMismatch);
  }
}

std::string LateBound::Text(const wchar_t* name, Arguments arguments) {
  UniqueVariant text;
  Get(name, arguments, VT_BSTR, *text.get());
  return UniqueBstr::ToUtf8(V_BSTR(text.get()));
}

std::int32_t LateBound::Int(const wchar_t* name, Arguments arguments) {
  UniqueVariant number;
  Get(name, arguments, VT_I4, *number.get());
  return V_I4(number.get());
}

bool LateBound::Bool(const wchar_t* name, Arguments arguments) {
  UniqueVariant flag;
  Get(name, arguments, VT_BOOL, *flag.get());
  return V_BOOL(flag.get()) != VARIANT_FALSE;
}

ComPtr<IDispatch> LateBound::Object(const wchar_t* name, Arguments arguments) {
  UniqueVariant result;
  Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, arguments, result.get());
  if (result.type() == VT_EMPTY || result.type() == VT_NULL) return nullptr;
  UniqueVariant object;
  if (FAILED(VariantChangeType(object.get(), result.get(), 0, VT_DISPATCH))) {
    throw voxtrel::Error(errnum::kTypeMismatch);
  }
  return ComPtr<IDispatch>(V_DISPATCH(object.get()));
}

void LateBound::Call(const wchar_t* name, Arguments arguments) {
  Invoke(name, DISPATCH_METHOD, arguments, nullptr);
}

void LateBound::Put(const wchar_t* name, const Argument& value) {
  Invoke(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

void LateBound::PutObject(const wchar_t* name, ComPtr<IDispatch> value) {
  try {
    Invoke(name, DISPATCH_PROPERTYPUT, {value}, nullptr);
  } catch (const voxtrel::Error& error) {
    if (error.number() != kObjectDoesNotSupport) throw;
    Invoke(name, DISPATCH_PROPERTYPUTREF, {value}, nullptr);
  }
}

}  // namespace voxtrel::win32::outlook
