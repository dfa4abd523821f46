#include "win32/com/excep_info.h"

#include <oleauto.h>

namespace voxtrel::win32::com {

ExcepInfo::~ExcepInfo() {
  SysFreeString(info_.bstrSource);
  SysFreeString(info_.bstrDescription);
  SysFreeString(info_.bstrHelpFile);
}

const EXCEPINFO& ExcepInfo::Read() {
  if (info_.pfnDeferredFillIn != nullptr) {
    info_.pfnDeferredFillIn(&info_);
    info_.pfnDeferredFillIn = nullptr;
  }
  return info_;
}

}  // namespace voxtrel::win32::com
