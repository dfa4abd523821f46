#pragma once

#include <windows.h>

#include <ocidl.h>

#include <map>

#include "win32/com/com_ptr.h"

namespace voxtrel::win32::com {

// COM objects are deleted by their own Release, never through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A connection point for one event dispinterface: its sinks are IDispatch, and an event
// reaches each of them through Invoke. It lives inside its container and shares its
// reference count, so a client holding it keeps the container alive.
class DispatchConnectionPoint final : public IConnectionPoint {
 public:
  DispatchConnectionPoint(IConnectionPointContainer& container, REFIID events);
  ~DispatchConnectionPoint() = default;
  DispatchConnectionPoint(const DispatchConnectionPoint&) = delete;
  DispatchConnectionPoint& operator=(const DispatchConnectionPoint&) = delete;

  // Calls every sink connected when the event starts; sinks may disconnect meanwhile.
  void Fire(DISPID event) noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

 private:
  IConnectionPointContainer& container_;
  const IID events_;
  std::map<DWORD, ComPtr<IDispatch>> sinks_;
  DWORD nextCookie_ = 1;
};
#pragma GCC diagnostic pop

}  // namespace voxtrel::win32::com
