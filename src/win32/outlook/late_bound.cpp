#include "win32/outlook/late_bound.h"

#include <utility>
#include <vector>

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

// Owns the strings a callee put into an EXCEPINFO.
class ExcepInfo {
 public:
  ExcepInfo() = default;
  ~ExcepInfo() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;

  EXCEPINFO* get() { return &info_; }

 private:
  EXCEPINFO info_{};
};

// As a classic client numbers it: runtime errors by their own number, other HRESULTs as they are.
int NumberOf(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
  return static_cast<int>(hr);
}

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
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return voxtrel::Error(NumberOf(hr));
  return voxtrel::Error(NumberOf(hr), kDefaultErrorSource, kAutomationError);
}

voxtrel::Error Described(int number, BSTR source, BSTR description) {
  return voxtrel::Error(number,
                        source != nullptr ? UniqueBstr::ToUtf8(source) : kDefaultErrorSource,
                        UniqueBstr::ToUtf8(description));
}

voxtrel::Error FromExcepInfo(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  const int number = info.wCode != 0 ? info.wCode : NumberOf(info.scode);
  if (SysStringLen(info.bstrDescription) == 0) {
    return info.wCode != 0 ? voxtrel::Error(number) : Undescribed(info.scode);
  }
  return Described(number, info.bstrSource, info.bstrDescription);
}

voxtrel::Error FromErrorInfo(HRESULT hr) {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return Undescribed(hr);
  UniqueBstr source;
  UniqueBstr description;
  info->GetSource(source.put());
  info->GetDescription(description.put());
  if (SysStringLen(description.get()) == 0) return Undescribed(hr);
  return Described(NumberOf(hr), source.get(), description.get());
}

// The arguments last to first, as Invoke takes them; the strings live as long as this.
class PackedArguments {
 public:
  explicit PackedArguments(Arguments arguments) {
    values_.resize(arguments.size());
    auto slot = values_.rbegin();
    for (const Argument& argument : arguments) Pack(argument, *slot++);
  }
  PackedArguments(const PackedArguments&) = delete;
  PackedArguments& operator=(const PackedArguments&) = delete;

  VARIANT* data() { return values_.data(); }
  UINT size() const { return static_cast<UINT>(values_.size()); }

 private:
  void Pack(const Argument& argument, VARIANT& slot) {
    VariantInit(&slot);
    if (const auto* text = std::get_if<std::string>(&argument)) {
      strings_.push_back(UniqueBstr::FromUtf8(*text));
      V_VT(&slot) = VT_BSTR;
      V_BSTR(&slot) = strings_.back().get();
    } else if (const auto* number = std::get_if<std::int32_t>(&argument)) {
      V_VT(&slot) = VT_I4;
      V_I4(&slot) = *number;
    } else if (const auto* flag = std::get_if<bool>(&argument)) {
      V_VT(&slot) = VT_BOOL;
      V_BOOL(&slot) = *flag ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
      V_VT(&slot) = VT_ERROR;
      V_ERROR(&slot) = DISP_E_PARAMNOTFOUND;
    }
  }

  std::vector<VARIANT> values_;
  std::vector<UniqueBstr> strings_;
};

}  // namespace

voxtrel::Error HostError(HRESULT hr, EXCEPINFO* exception) {
  if (hr == DISP_E_EXCEPTION && exception != nullptr) return FromExcepInfo(*exception);
  return FromErrorInfo(hr);
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
  PackedArguments packed(arguments);
  DISPID putId = DISPID_PROPERTYPUT;
  const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
  DISPPARAMS parameters{packed.data(), put ? &putId : nullptr, packed.size(), put ? 1u : 0u};
  ExcepInfo exception;
  UINT argumentError = 0;
  SetErrorInfo(0, nullptr);
  const HRESULT hr = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result,
                                     exception.get(), &argumentError);
  if (FAILED(hr)) throw HostError(hr, exception.get());
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

}  // namespace voxtrel::win32::outlook
