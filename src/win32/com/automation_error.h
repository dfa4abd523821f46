#pragma once

#include <windows.h>

#include <oaidl.h>

#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace voxtrel::win32::com {

// A failure as an automation client sees it. Core errors number N arrive as 0x800A0000 + N.
struct AutomationError {
  HRESULT hresult = E_UNEXPECTED;
  std::string source;       // UTF-8
  std::string description;  // UTF-8
};

// Numbers outside 0 to 65535 are HRESULTs already (a host's errors) and stay as they are.
HRESULT AutomationHResult(int number);
// Its inverse, as a classic client numbers a failure: FACILITY_CONTROL codes as the runtime
// error, other HRESULTs as they are.
int AutomationNumber(HRESULT hr);

// What the exception being handled means to the client; call it inside a catch block only.
AutomationError CurrentAutomationError() noexcept;

// Makes the thread's IErrorInfo describe the error, raised on `iid`; returns its HRESULT.
HRESULT ReportAutomationError(const AutomationError& error, REFIID iid) noexcept;

// Fills what IDispatch::Invoke left empty, so script hosts show the number, source and text.
void CompleteExcepInfo(EXCEPINFO& info, const AutomationError& error) noexcept;

// What an Invoke returns for a failure: DISP_E_EXCEPTION with a fresh `exception` describing
// it, or `hr` as it is when the caller gave no EXCEPINFO.
HRESULT InvokeFailure(EXCEPINFO* exception, const AutomationError& error, HRESULT hr) noexcept;

// Runs a COM method's body so that nothing throws across the boundary: the body's HRESULT (S_OK
// when it returns nothing), or for an exception its HRESULT with IErrorInfo describing it, raised
// on `iid`. `failure`, when given, also receives the error.
template <typename Body>
HRESULT ComEntry(REFIID iid, Body&& body,
                 std::optional<AutomationError>* failure = nullptr) noexcept {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
      body();
      return S_OK;
    } else {
      return body();
    }
  } catch (...) {
    AutomationError error = CurrentAutomationError();
    const HRESULT hr = ReportAutomationError(error, iid);
    if (failure != nullptr) *failure = std::move(error);
    return hr;
  }
}

}  // namespace voxtrel::win32::com
