#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

namespace voxtrel::win32::com {

// A failure as an automation client sees it. Core errors number N arrive as 0x800A0000 + N.
struct AutomationError {
  HRESULT hresult = E_UNEXPECTED;
  std::string source;       // UTF-8
  std::string description;  // UTF-8
};

HRESULT AutomationHResult(int number);

// What the exception being handled means to the client; call it inside a catch block only.
AutomationError CurrentAutomationError() noexcept;

// Makes the thread's IErrorInfo describe the error, raised on `iid`; returns its HRESULT.
HRESULT ReportAutomationError(const AutomationError& error, REFIID iid) noexcept;

// Fills what IDispatch::Invoke left empty, so script hosts show the number, source and text.
void CompleteExcepInfo(EXCEPINFO& info, const AutomationError& error) noexcept;

}  // namespace voxtrel::win32::com
