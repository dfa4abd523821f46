#include "win32/outlook/event_sink.h"

#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <string>
#include <utility>

#include "common/error.h"
#include "win32/com/automation_error.h"
#include "win32/com/com_object.h"
#include "win32/outlook/late_bound.h"

namespace voxtrel::win32::outlook {
namespace {

using com::AutomationError;
using com::ComEntry;

constexpr int kEventsNotSupported = 459;
constexpr char kEventsNotSupportedText[] = "Object or class does not support the set of events";

// What the host's connection point calls: it answers IUnknown, IDispatch and the event's
// interfaces, and hands its one event to the handler until it is disconnected.
class EventSink final : public com::ComObject<EventSink, IDispatch> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, event_.diid) || (event_.diid10 && IsEqualIID(iid, *event_.diid10))) {
      return ComObject::QueryInterface(IID_IDispatch, out);
    }
    return ComObject::QueryInterface(iid, out);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    return DISP_E_BADINDEX;
  }
  // Only the handled event's name: hosts may ask which events a sink handles.
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (names == nullptr || ids == nullptr) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (count == 0 || CompareStringOrdinal(names[0], -1, event_.name, -1, TRUE) != CSTR_EQUAL) {
      return DISP_E_UNKNOWNNAME;
    }
    ids[0] = event_.dispid;
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* arguments, VARIANT*,
                                   EXCEPINFO* exception, UINT*) override {
    // The interface's other events are no failure: this sink just does not handle them.
    if (id != event_.dispid) return S_OK;
    if (arguments == nullptr) return E_INVALIDARG;
    // The handler may end the subscription, and with it the host's reference to this sink.
    const ComPtr<EventSink> self(this);
    const std::shared_ptr<const EventHandler> handler = handler_;
    if (!handler) return S_OK;
    std::optional<AutomationError> failure;
    const HRESULT hr = ComEntry(
        event_.diid, [&] { (*handler)(*arguments); }, &failure);
    if (FAILED(hr) && failure) return com::InvokeFailure(exception, *failure, hr);
    return hr;
  }

  // Deliveries already on their way find no handler.
  void Disconnect() { handler_.reset(); }

 private:
  friend ComObject;
  EventSink(const EventId& event, EventHandler handler)
      : event_(event), handler_(std::make_shared<const EventHandler>(std::move(handler))) {}
  ~EventSink() = default;

  EventId event_;
  std::shared_ptr<const EventHandler> handler_;
};

class SinkSubscription final : public voxtrel::outlook::ISubscription {
 public:
  SinkSubscription(ComPtr<EventSink> sink, ComPtr<IConnectionPoint> point, DWORD cookie)
      : sink_(std::move(sink)), point_(std::move(point)), cookie_(cookie) {}
  ~SinkSubscription() override {
    sink_->Disconnect();
    // A host that has gone cannot be told, and has forgotten the sink anyway.
    point_->Unadvise(cookie_);
  }
  SinkSubscription(const SinkSubscription&) = delete;
  SinkSubscription& operator=(const SinkSubscription&) = delete;

 private:
  ComPtr<EventSink> sink_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_;
};

HRESULT Advise(IConnectionPointContainer& container, REFIID iid, EventSink& sink,
               ComPtr<IConnectionPoint>& point, DWORD& cookie) {
  SetErrorInfo(0, nullptr);
  HRESULT hr = container.FindConnectionPoint(iid, point.put());
  if (SUCCEEDED(hr)) hr = point->Advise(static_cast<IDispatch*>(&sink), &cookie);
  return hr;
}

voxtrel::Error AdviseError(HRESULT hr) {
  if (hr == E_NOINTERFACE || hr == CONNECT_E_NOCONNECTION) {
    return voxtrel::Error(kEventsNotSupported, kDefaultErrorSource, kEventsNotSupportedText);
  }
  return HostError(hr);
}

const VARIANT* Referenced(const DISPPARAMS& arguments, UINT position) {
  if (position >= arguments.cArgs) return nullptr;
  const VARIANT* argument = &arguments.rgvarg[arguments.cArgs - 1 - position];
  if (V_VT(argument) == (VT_VARIANT | VT_BYREF)) return V_VARIANTREF(argument);
  return argument;
}

}  // namespace

voxtrel::outlook::Subscription Subscribe(IDispatch& source, const EventId& event,
                                         EventHandler handler) {
  const auto container = ComPtr<IDispatch>(&source).Query<IConnectionPointContainer>();
  if (!container) throw AdviseError(E_NOINTERFACE);
  const ComPtr<EventSink> sink = EventSink::Make(event, std::move(handler));
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
  HRESULT hr = Advise(*container.get(), event.diid, *sink.get(), point, cookie);
  if (FAILED(hr) && event.diid10) {
    hr = Advise(*container.get(), *event.diid10, *sink.get(), point, cookie);
  }
  if (FAILED(hr)) throw AdviseError(hr);
  return std::make_unique<SinkSubscription>(sink, std::move(point), cookie);
}

ComPtr<IDispatch> ObjectArgument(const DISPPARAMS& arguments, UINT position) {
  const VARIANT* argument = Referenced(arguments, position);
  if (argument == nullptr) return nullptr;
  switch (V_VT(argument)) {
    case VT_DISPATCH:
      return ComPtr<IDispatch>(V_DISPATCH(argument));
    case VT_DISPATCH | VT_BYREF:
      return ComPtr<IDispatch>(*V_DISPATCHREF(argument));
    case VT_UNKNOWN:
      return ComPtr<IUnknown>(V_UNKNOWN(argument)).Query<IDispatch>();
    default:
      return nullptr;
  }
}

VARIANT_BOOL* BoolReference(const DISPPARAMS& arguments, UINT position) {
  if (position >= arguments.cArgs) return nullptr;
  VARIANT* argument = &arguments.rgvarg[arguments.cArgs - 1 - position];
  if (V_VT(argument) == (VT_BOOL | VT_BYREF)) return V_BOOLREF(argument);
  // A Variant held by reference: the handler's answer goes into it.
  if (V_VT(argument) != (VT_VARIANT | VT_BYREF)) return nullptr;
  VARIANT* held = V_VARIANTREF(argument);
  return held != nullptr && V_VT(held) == VT_BOOL ? &V_BOOL(held) : nullptr;
}

}  // namespace voxtrel::win32::outlook
