#pragma once

#include <windows.h>

#include <unknwn.h>

#include "win32/com/com_object.h"

namespace voxtrel::win32::com {

// Makes one class's objects for CoCreateInstance; no aggregation.
class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
 public:
  // Makes a new object answering `iid`.
  using Maker = HRESULT (*)(REFIID iid, void** out) noexcept;

  static HRESULT Create(Maker maker, REFIID iid, void** out) noexcept;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  friend ComObject;
  explicit ClassFactory(Maker maker) : maker_(maker) {}
  ~ClassFactory() = default;

  Maker maker_;
};

}  // namespace voxtrel::win32::com
