#pragma once

#include <windows.h>

#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <variant>

#include "common/error.h"
#include "win32/com/com_ptr.h"
#include "win32/com/excep_info.h"

namespace voxtrel::win32::outlook {

using com::ComPtr;

// An optional argument left out, as automation clients leave one in the middle of a list.
struct Omitted {};
inline constexpr Omitted kOmitted;

using Argument = std::variant<Omitted, std::string, std::int32_t, bool, ComPtr<IDispatch>>;
using Arguments = std::initializer_list<Argument>;

// The error a failed call raises in a classic client: the host's number, source and
// description from its EXCEPINFO or IErrorInfo, else the runtime error the HRESULT stands for.
voxtrel::Error HostError(HRESULT hr, com::ExcepInfo* exception = nullptr);

// One host object called by name, as a late-bound classic client calls it; each name is
// looked up once per object. Every failure throws voxtrel::Error (see HostError).
class LateBound {
 public:
  // `object` is never null.
  explicit LateBound(ComPtr<IDispatch> object);

  IDispatch& object() const { return *object_.get(); }

  // A property's value or a method's result.
  std::string Text(const wchar_t* name, Arguments arguments = {});
  std::int32_t Int(const wchar_t* name, Arguments arguments = {});
  bool Bool(const wchar_t* name, Arguments arguments = {});
  // Null for Nothing.
  ComPtr<IDispatch> Object(const wchar_t* name, Arguments arguments = {});
  // A method whose result is not used.
  void Call(const wchar_t* name, Arguments arguments = {});
  void Put(const wchar_t* name, const Argument& value);
  // An object property: a host that declares it for Set alone (PUTREF) gets it that way.
  void PutObject(const wchar_t* name, ComPtr<IDispatch> value);

 private:
  DISPID IdOf(const wchar_t* name);
  void Invoke(const wchar_t* name, WORD flags, Arguments arguments, VARIANT* result);
  void Get(const wchar_t* name, Arguments arguments, VARTYPE type, VARIANT& converted);

  ComPtr<IDispatch> object_;
  std::map<std::wstring, DISPID, std::less<>> ids_;
};

}  // namespace voxtrel::win32::outlook
