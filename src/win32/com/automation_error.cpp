#include "win32/com/automation_error.h"

#include <exception>
#include <new>

#include "common/error.h"
#include "win32/base/text.h"
#include "win32/com/com_ptr.h"
#include "win32/com/unique_bstr.h"

namespace voxtrel::win32::com {

HRESULT AutomationHResult(int number) {
  // A host's error that came in as an HRESULT goes out unchanged.
  if (number < 0 || number > 0xFFFF) return static_cast<HRESULT>(number);
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<unsigned>(number));
}

int AutomationNumber(HRESULT hr) {
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
  return static_cast<int>(hr);
}

AutomationError CurrentAutomationError() noexcept {
  try {
    try {
      throw;
    } catch (const voxtrel::Error& error) {
      return {AutomationHResult(error.number()), error.source(), error.description()};
    } catch (const std::bad_alloc&) {
      return {E_OUTOFMEMORY, {}, {}};
    } catch (const std::exception& error) {
      return {E_FAIL, kDefaultErrorSource, error.what()};
    }
  } catch (...) {
    // Not an exception the core throws, or no memory left to describe it.
  }
  return {E_UNEXPECTED, {}, {}};
}

HRESULT ReportAutomationError(const AutomationError& error, REFIID iid) noexcept {
  try {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put()))) return error.hresult;
    std::wstring source = Utf8ToWide(error.source);
    std::wstring description = Utf8ToWide(error.description);
    create->SetGUID(iid);
    create->SetSource(source.data());
    create->SetDescription(description.data());
    if (const ComPtr<IErrorInfo> info = create.Query<IErrorInfo>()) SetErrorInfo(0, info.get());
  } catch (...) {
    // The HRESULT alone still tells the client what failed.
  }
  return error.hresult;
}

void CompleteExcepInfo(EXCEPINFO& info, const AutomationError& error) noexcept {
  try {
    if (info.wCode == 0 && info.scode == 0) info.scode = error.hresult;
    if (info.bstrSource == nullptr) info.bstrSource = UniqueBstr::FromUtf8(error.source).release();
    if (info.bstrDescription == nullptr) {
      info.bstrDescription = UniqueBstr::FromUtf8(error.description).release();
    }
  } catch (...) {
    // Without memory for the texts the scode still reaches the client.
  }
}

HRESULT InvokeFailure(EXCEPINFO* exception, const AutomationError& error, HRESULT hr) noexcept {
  if (exception == nullptr) return hr;
  *exception = EXCEPINFO{};
  CompleteExcepInfo(*exception, error);
  return DISP_E_EXCEPTION;
}

}  // namespace voxtrel::win32::com
