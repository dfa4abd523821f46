#include "win32/com/callee_error.h"

#include <oleauto.h>

#include "win32/com/automation_error.h"
#include "win32/com/com_ptr.h"
#include "win32/com/unique_bstr.h"

namespace voxtrel::win32::com {
namespace {

CalleeError Described(HRESULT hr, BSTR source, BSTR description) {
  CalleeError error{hr, AutomationNumber(hr), std::nullopt, UniqueBstr::ToUtf8(description)};
  if (source != nullptr) error.source = UniqueBstr::ToUtf8(source);
  return error;
}

CalleeError FromExcepInfo(const EXCEPINFO& info) {
  const HRESULT hr = info.wCode != 0 ? AutomationHResult(info.wCode) : info.scode;
  return Described(hr, info.bstrSource, info.bstrDescription);
}

CalleeError FromErrorInfo(HRESULT hr) {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return Described(hr, nullptr, nullptr);
  UniqueBstr source;
  UniqueBstr description;
  info->GetSource(source.put());
  info->GetDescription(description.put());
  return Described(hr, source.get(), description.get());
}

}  // namespace

CalleeError ReadCalleeError(HRESULT hr, ExcepInfo* exception) {
  if (hr == DISP_E_EXCEPTION && exception != nullptr) return FromExcepInfo(exception->Read());
  return FromErrorInfo(hr);
}

}  // namespace voxtrel::win32::com
