#include "sim/outlook/win32/connections.h"

#include <olectl.h>

#include <exception>

#include "sim/outlook/host_errors.h"
#include "sim/outlook/win32/addin_error.h"
#include "sim/outlook/win32/timings.h"
#include "win32/com/dispatch_arguments.h"

namespace voxtrel::olsim::win32 {
namespace {

using voxtrel::win32::com::DispatchArguments;
using voxtrel::win32::com::ExcepInfo;
using voxtrel::win32::com::InvokeDispatch;
using voxtrel::win32::com::UniqueVariant;

// The events a sink says it handles, when it answers their names; else all of the interface's.
std::string ConnectionName(IDispatch& sink, const EventSet& events, const std::string& source) {
  std::string handled, all;
  for (const EventDef& event : events.events) {
    std::wstring name(event.name, event.name + std::char_traits<char>::length(event.name));
    LPOLESTR names[] = {name.data()};
    DISPID id = DISPID_UNKNOWN;
    all += (all.empty() ? "" : " and ") + std::string(event.name);
    if (SUCCEEDED(sink.GetIDsOfNames(IID_NULL, names, 1, 0, &id))) {
      handled += (handled.empty() ? "" : " and ") + std::string(event.name);
    }
  }
  return (handled.empty() ? all : handled) + (source.empty() ? "" : " of " + source);
}

}  // namespace

DWORD Connections::Advise(const void* point, Id source, const EventSet& events,
                          ComPtr<IDispatch> sink, const std::string& sourceName) {
  const std::shared_ptr<Model> model = face_.model.lock();
  if (!model) throw Disconnected();
  const DWORD cookie = next_++;
  Connection connection{
      point, source, sink, {}, ConnectionName(*sink.get(), events, sourceName), sourceName, {}};
  connection.entry = std::make_unique<Census::Entry>(*face_.census, connection.name);
  for (const EventDef& event : events.events) {
    connection.tokens.push_back(model->Subscribe(
        source, event.kind,
        [this, cookie, &event](EventArgs& args) { Deliver(cookie, event, args); }));
  }
  connections_.emplace(cookie, std::move(connection));
  return cookie;
}

HRESULT Connections::Unadvise(const void* point, DWORD cookie) {
  const auto found = connections_.find(cookie);
  if (found == connections_.end() || found->second.point != point) return CONNECT_E_NOCONNECTION;
  // Out of the map first: releasing the sink may call back into a connection point.
  Connection ended = std::move(found->second);
  connections_.erase(found);
  End(ended);
  return S_OK;
}

std::vector<std::pair<DWORD, ComPtr<IDispatch>>> Connections::Of(const void* point) const {
  std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks;
  for (const auto& [cookie, connection] : connections_) {
    if (connection.point == point) sinks.emplace_back(cookie, connection.sink);
  }
  return sinks;
}

void Connections::Clear() {
  auto all = std::move(connections_);
  connections_.clear();
  for (auto& [cookie, connection] : all) End(connection);
}

void Connections::End(Connection& connection) {
  if (const auto model = face_.model.lock()) {
    for (const std::uint64_t token : connection.tokens) model->Unsubscribe(token);
  }
  connection.entry.reset();
  connection.sink.reset();
}

void Connections::Deliver(DWORD cookie, const EventDef& event, EventArgs& args) {
  const auto found = connections_.find(cookie);
  if (found == connections_.end()) return;
  // Copies: the handler may end this connection.
  const ComPtr<IDispatch> sink = found->second.sink;
  const Id source = found->second.source;
  const std::string& sourceName = found->second.sourceName;
  const std::string label = event.name + (sourceName.empty() ? std::string() : " of " + sourceName);
  try {
    VARIANT_BOOL cancel = args.cancel ? VARIANT_TRUE : VARIANT_FALSE;
    DispatchArguments arguments;
    if (event.kind == EventKind::kNewInspector) {
      arguments.Add(
          UniqueVariant::Dispatch(MakeObject(face_, Kind::kInspector, args.window).get()));
    } else if (event.kind == EventKind::kInlineResponse) {
      arguments.Add(UniqueVariant::Dispatch(MakeObject(face_, Kind::kItem, args.item).get()));
    } else if (event.kind == EventKind::kSend) {
      arguments.Add(UniqueVariant::BoolRef(&cancel));
    } else if (event.kind == EventKind::kClick) {
      // The control the user clicked, also where the click reaches a control of the same tag.
      const Id control = args.control != 0 ? args.control : source;
      arguments.Add(UniqueVariant::Dispatch(MakeObject(face_, Kind::kButton, control).get()));
      arguments.Add(UniqueVariant::BoolRef(&cancel));
    }
    ExcepInfo exception;
    const HRESULT hr = face_.timings->Time(label, [&] {
      return InvokeDispatch(*sink.get(), event.dispid, DISPATCH_METHOD, arguments, nullptr,
                            exception);
    });
    arguments.Clear();
    args.cancel = cancel != VARIANT_FALSE;
    if (FAILED(hr) && hr != DISP_E_MEMBERNOTFOUND) {
      face_.census->HandlerFailed(label + " failed: " + AddInError(hr, &exception).description());
    }
  } catch (const std::exception& error) {
    face_.census->HandlerFailed(label + " failed: " + error.what());
  }
}

}  // namespace voxtrel::olsim::win32
