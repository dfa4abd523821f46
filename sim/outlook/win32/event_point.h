#pragma once

#include <windows.h>

#include <ocidl.h>

#include "sim/outlook/win32/sim_object.h"
#include "win32/com/com_object.h"

namespace voxtrel::olsim::win32 {

// A connection point for one event dispinterface: a part of its object, whose connections go to
// the run's store.
class EventPoint final
    : public voxtrel::win32::com::ComPart<IConnectionPointContainer, IConnectionPoint> {
 public:
  EventPoint(Object& object, const IID& iid, const EventSet& events);
  ~EventPoint() = default;

  const IID& iid() const { return iid_; }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

 private:
  Object& object_;
  const IID iid_;
  const EventSet& events_;
};

}  // namespace voxtrel::olsim::win32
