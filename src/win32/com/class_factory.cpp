#include "win32/com/class_factory.h"

#include "win32/com/automation_error.h"

namespace voxtrel::win32::com {

HRESULT ClassFactory::Create(Maker maker, REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return ComEntry(IID_IClassFactory, [&] { return Make(maker)->QueryInterface(iid, out); });
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return maker_(iid, out);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    ModuleCounts::Lock();
  } else {
    ModuleCounts::Unlock();
  }
  return S_OK;
}

}  // namespace voxtrel::win32::com
