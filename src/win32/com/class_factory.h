#pragma once

#include <windows.h>

#include <unknwn.h>

#include "win32/com/object_ref_count.h"

namespace voxtrel::win32::com {

// COM objects are deleted by their own Release, never through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// Makes VoxtrelInst objects for CoCreateInstance; no aggregation.
class VoxtrelInstFactory final : public IClassFactory {
 public:
  static HRESULT Create(REFIID iid, void** out) noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  VoxtrelInstFactory() = default;
  virtual ~VoxtrelInstFactory() = default;

  ObjectRefCount refs_;
};
#pragma GCC diagnostic pop

}  // namespace voxtrel::win32::com
