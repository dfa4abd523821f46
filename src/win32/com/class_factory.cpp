#include "win32/com/class_factory.h"

#include "win32/com/automation_error.h"
#include "win32/com/voxtrel_inst_object.h"

namespace voxtrel::win32::com {

HRESULT VoxtrelInstFactory::Create(REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return ComEntry(IID_IClassFactory, [&] { return Make()->QueryInterface(iid, out); });
}

HRESULT VoxtrelInstFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return VoxtrelInstObject::Create(iid, out);
}

HRESULT VoxtrelInstFactory::LockServer(BOOL lock) {
  if (lock) {
    ModuleCounts::Lock();
  } else {
    ModuleCounts::Unlock();
  }
  return S_OK;
}

}  // namespace voxtrel::win32::com
