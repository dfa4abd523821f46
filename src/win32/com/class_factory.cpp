#include "win32/com/class_factory.h"

#include <new>

#include "win32/com/com_ptr.h"
#include "win32/com/voxtrel_inst_object.h"

namespace voxtrel::win32::com {

HRESULT VoxtrelInstFactory::Create(REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const auto factory = ComPtr<VoxtrelInstFactory>::Adopt(new (std::nothrow) VoxtrelInstFactory());
  if (!factory) return E_OUTOFMEMORY;
  return factory->QueryInterface(iid, out);
}

HRESULT VoxtrelInstFactory::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG VoxtrelInstFactory::AddRef() {
  return refs_.Increment();
}

ULONG VoxtrelInstFactory::Release() {
  const ULONG left = refs_.Decrement();
  if (left == 0) delete this;
  return left;
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
