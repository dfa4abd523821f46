#include "win32/com/dispatch_connection_point.h"

#include <windows.h>

#include <olectl.h>

#include <vector>

#include "win32/com/automation_error.h"
#include "win32/com/snapshot_enumerator.h"

namespace voxtrel::win32::com {

DispatchConnectionPoint::DispatchConnectionPoint(IConnectionPointContainer& container,
                                                 REFIID events)
    : ComPart(container), events_(events) {}

void DispatchConnectionPoint::Fire(DISPID event) noexcept {
  try {
    std::vector<ComPtr<IDispatch>> sinks;
    sinks.reserve(sinks_.size());
    for (const auto& [cookie, sink] : sinks_) sinks.push_back(sink);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (const ComPtr<IDispatch>& sink : sinks) {
      // A failing sink is the client's business; the others still hear the event.
      sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                   nullptr);
    }
  } catch (...) {
    // No memory for the snapshot: the event is lost rather than thrown into the core.
  }
}

HRESULT DispatchConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = events_;
  return S_OK;
}

HRESULT DispatchConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  return ComPtr<IConnectionPointContainer>(&outer()).CopyTo(out);
}

HRESULT DispatchConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  // Sinks made for the event interface answer its IID; generic ones answer IDispatch.
  ComPtr<IDispatch> dispatch;
  if (FAILED(sink->QueryInterface(events_, dispatch.put_void())) &&
      FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void()))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  return ComEntry(IID_IConnectionPoint, [&] {
    sinks_.emplace(nextCookie_, std::move(dispatch));
    *cookie = nextCookie_++;
  });
}

HRESULT DispatchConnectionPoint::Unadvise(DWORD cookie) {
  const auto found = sinks_.find(cookie);
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  // Released after the map changed: the sink's Release may call back into this object.
  const ComPtr<IDispatch> sink = std::move(found->second);
  sinks_.erase(found);
  return S_OK;
}

HRESULT DispatchConnectionPoint::EnumConnections(IEnumConnections** out) {
  return ComEntry(IID_IConnectionPoint, [&] {
    ConnectionEnumerator::Entries entries;
    for (const auto& [cookie, sink] : sinks_) {
      entries.push_back({sink.Query<IUnknown>(), cookie});
    }
    return ConnectionEnumerator::Create(std::move(entries), out);
  });
}

}  // namespace voxtrel::win32::com
