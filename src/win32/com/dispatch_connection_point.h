#pragma once

#include <windows.h>

#include <ocidl.h>

#include <map>

#include "win32/com/com_object.h"
#include "win32/com/com_ptr.h"

namespace voxtrel::win32::com {

// A connection point for one event dispinterface: its sinks are IDispatch, and an event
// reaches each of them through Invoke. It lives inside its container and shares its
// reference count, so a client holding it keeps the container alive.
class DispatchConnectionPoint final : public ComPart<IConnectionPointContainer, IConnectionPoint> {
 public:
  DispatchConnectionPoint(IConnectionPointContainer& container, REFIID events);

  // Calls every sink connected when the event starts; sinks may disconnect meanwhile.
  void Fire(DISPID event) noexcept;

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

 private:
  const IID events_;
  std::map<DWORD, ComPtr<IDispatch>> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace voxtrel::win32::com
