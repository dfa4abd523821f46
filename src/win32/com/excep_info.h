#pragma once

#include <windows.h>

#include <oaidl.h>

namespace voxtrel::win32::com {

// The EXCEPINFO a callee fills when IDispatch::Invoke raises DISP_E_EXCEPTION; owns its strings.
class ExcepInfo {
 public:
  ExcepInfo() = default;
  ~ExcepInfo();
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;

  // For the callee.
  EXCEPINFO* get() { return &info_; }
  // What the callee said, its deferred part filled in first (once).
  const EXCEPINFO& Read();

 private:
  EXCEPINFO info_{};
};

}  // namespace voxtrel::win32::com
