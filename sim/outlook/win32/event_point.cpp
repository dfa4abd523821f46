#include "sim/outlook/win32/event_point.h"

#include <olectl.h>

#include <utility>

#include "sim/outlook/win32/connections.h"
#include "win32/com/automation_error.h"
#include "win32/com/snapshot_enumerator.h"

namespace voxtrel::olsim::win32 {

using voxtrel::win32::com::ComEntry;
using voxtrel::win32::com::ConnectionEnumerator;

EventPoint::EventPoint(Object& object, const IID& iid, const EventSet& events)
    : ComPart(object), object_(object), iid_(iid), events_(events) {}

HRESULT EventPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT EventPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  return ComPtr<IConnectionPointContainer>(&outer()).CopyTo(out);
}

HRESULT EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr || sink == nullptr) return E_POINTER;
  *cookie = 0;
  // As Outlook does: the sink must answer the event interface itself.
  ComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(iid_, dispatch.put_void())) || !dispatch) {
    return CONNECT_E_CANNOTCONNECT;
  }
  return ComEntry(IID_IConnectionPoint, [&] {
    *cookie = object_.face().connections->Advise(this, object_.id(), events_, std::move(dispatch),
                                                 object_.eventSource());
  });
}

HRESULT EventPoint::Unadvise(DWORD cookie) {
  return object_.face().connections->Unadvise(this, cookie);
}

HRESULT EventPoint::EnumConnections(IEnumConnections** out) {
  return ComEntry(IID_IConnectionPoint, [&] {
    ConnectionEnumerator::Entries entries;
    for (const auto& [cookie, sink] : object_.face().connections->Of(this)) {
      entries.push_back({sink.Query<IUnknown>(), cookie});
    }
    return ConnectionEnumerator::Create(std::move(entries), out);
  });
}

}  // namespace voxtrel::olsim::win32
