#include "win32/com/dispatch_arguments.h"

#include <oleauto.h>

namespace voxtrel::win32::com {

void DispatchArguments::Add(UniqueVariant argument) {
  // Room first, so that what it holds is never dropped.
  lastFirst_.reserve(lastFirst_.size() + 1);
  lastFirst_.insert(lastFirst_.begin(), argument.release());
}

void DispatchArguments::Clear() {
  for (VARIANT& argument : lastFirst_) VariantClear(&argument);
  lastFirst_.clear();
}

DISPPARAMS DispatchArguments::Params(bool put) {
  return {lastFirst_.data(), put ? &putId_ : nullptr, static_cast<UINT>(lastFirst_.size()),
          put ? 1u : 0u};
}

HRESULT InvokeDispatch(IDispatch& object, DISPID id, WORD flags, DispatchArguments& arguments,
                       VARIANT* result, ExcepInfo& exception) {
  DISPPARAMS params =
      arguments.Params((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0);
  UINT argumentError = 0;
  return object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception.get(),
                       &argumentError);
}

}  // namespace voxtrel::win32::com
