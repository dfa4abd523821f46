#pragma once

#include <windows.h>

#include <oaidl.h>

#include <utility>
#include <vector>

#include "win32/com/excep_info.h"
#include "win32/com/unique_variant.h"

namespace voxtrel::win32::com {

// The arguments of one IDispatch::Invoke, given first to last and kept last to first as Invoke
// takes them; owns what they hold.
class DispatchArguments {
 public:
  template <typename... Arguments>
  explicit DispatchArguments(Arguments&&... arguments) {
    (Add(std::forward<Arguments>(arguments)), ...);
  }
  ~DispatchArguments() { Clear(); }
  DispatchArguments(const DispatchArguments&) = delete;
  DispatchArguments& operator=(const DispatchArguments&) = delete;

  // After those added so far.
  void Add(UniqueVariant argument);
  // Releases what they hold; no argument is left.
  void Clear();
  // With `put`, the last argument is the new value of a property.
  DISPPARAMS Params(bool put);

 private:
  std::vector<VARIANT> lastFirst_;
  DISPID putId_ = DISPID_PROPERTYPUT;
};

// Calls `id` on `object` as automation clients do: by position, in the user's locale; the
// callee describes a failure in `exception`.
HRESULT InvokeDispatch(IDispatch& object, DISPID id, WORD flags, DispatchArguments& arguments,
                       VARIANT* result, ExcepInfo& exception);

}  // namespace voxtrel::win32::com
