#pragma once

#include <windows.h>

#include <unknwn.h>

#include "win32/com/com_object.h"

namespace voxtrel::win32::com {

// Makes VoxtrelInst objects for CoCreateInstance; no aggregation.
class VoxtrelInstFactory final : public ComObject<VoxtrelInstFactory, IClassFactory> {
 public:
  static HRESULT Create(REFIID iid, void** out) noexcept;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  friend ComObject;
  VoxtrelInstFactory() = default;
  ~VoxtrelInstFactory() = default;
};

}  // namespace voxtrel::win32::com
