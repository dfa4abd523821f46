#include "sim/outlook/win32/sim_object.h"

#include <olectl.h>

#include <cstdio>
#include <iostream>
#include <new>
#include <utility>

#include "common/error.h"
#include "sim/outlook/host_errors.h"
#include "win32/com/automation_error.h"
#include "win32/com/snapshot_enumerator.h"
#include "win32/com/unique_bstr.h"
#include "win32/com/unique_variant.h"

namespace voxtrel::olsim::win32 {

using voxtrel::win32::com::AutomationError;
using voxtrel::win32::com::ComEntry;
using voxtrel::win32::com::ComPart;
using voxtrel::win32::com::UniqueBstr;
using voxtrel::win32::com::UniqueVariant;

namespace {

// {00063034-0000-0000-C000-000000000046}
constexpr IID kIidMailItem = {0x00063034, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

VARIANT ToVariant(Value value) {
  VARIANT result;
  VariantInit(&result);
  if (auto* text = std::get_if<std::string>(&value)) {
    V_VT(&result) = VT_BSTR;
    V_BSTR(&result) = UniqueBstr::FromUtf8(*text).release();
  } else if (auto* number = std::get_if<std::int32_t>(&value)) {
    V_VT(&result) = VT_I4;
    V_I4(&result) = *number;
  } else if (auto* flag = std::get_if<bool>(&value)) {
    V_VT(&result) = VT_BOOL;
    V_BOOL(&result) = *flag ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (auto* object = std::get_if<ComPtr<IDispatch>>(&value)) {
    V_VT(&result) = VT_DISPATCH;
    V_DISPATCH(&result) = object->detach();
  }
  return result;
}

bool SameName(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

void Timings::Print(const std::string& what, std::chrono::steady_clock::duration took) const {
  if (!enabled_) return;
  const double ms = std::chrono::duration<double, std::milli>(took).count();
  char figure[32];
  std::snprintf(figure, sizeof figure, "%.3f", ms);
  std::cerr << "timing " << what << ' ' << figure << " ms\n";
}

// Arguments.

Args::Args(const DISPPARAMS& params, bool put) : count_(params.cArgs) {
  const UINT named = params.cNamedArgs;
  for (UINT i = params.cArgs; i > named; --i) positional_.push_back(&params.rgvarg[i - 1]);
  if (put && named == 1) value_ = &params.rgvarg[0];
}

const VARIANT* Args::positional(std::size_t index) const {
  if (index >= positional_.size()) return nullptr;
  const VARIANT* arg = positional_[index];
  if (V_VT(arg) == VT_ERROR && V_ERROR(arg) == DISP_E_PARAMNOTFOUND) return nullptr;
  return arg;
}

bool Args::Has(std::size_t index) const {
  return positional(index) != nullptr;
}

VARIANT Args::Converted(const VARIANT* arg, VARTYPE type, std::size_t position) const {
  const UINT where = static_cast<UINT>(count_ - 1 - position);
  if (arg == nullptr) throw ArgumentError{DISP_E_PARAMNOTFOUND, where};
  UniqueVariant plain;
  VARIANT result;
  VariantInit(&result);
  if (FAILED(VariantCopyInd(plain.get(), const_cast<VARIANT*>(arg))) ||
      FAILED(VariantChangeType(&result, plain.get(), 0, type))) {
    throw ArgumentError{DISP_E_TYPEMISMATCH, where};
  }
  return result;
}

std::string Args::Text(std::size_t index) const {
  VARIANT text = Converted(positional(index), VT_BSTR, index);
  return UniqueBstr(V_BSTR(&text)).ToUtf8();
}

std::int32_t Args::Int(std::size_t index) const {
  const VARIANT number = Converted(positional(index), VT_I4, index);
  return V_I4(&number);
}

bool Args::Bool(std::size_t index) const {
  const VARIANT flag = Converted(positional(index), VT_BOOL, index);
  return V_BOOL(&flag) != VARIANT_FALSE;
}

std::string Args::TextValue() const {
  VARIANT text = Converted(value_, VT_BSTR, count_ - 1);
  return UniqueBstr(V_BSTR(&text)).ToUtf8();
}

std::int32_t Args::IntValue() const {
  const VARIANT number = Converted(value_, VT_I4, count_ - 1);
  return V_I4(&number);
}

bool Args::BoolValue() const {
  const VARIANT flag = Converted(value_, VT_BOOL, count_ - 1);
  return V_BOOL(&flag) != VARIANT_FALSE;
}

// Connection points: parts of their object.

class EventPoint final : public ComPart<IConnectionPointContainer, IConnectionPoint> {
 public:
  EventPoint(Object& object, const IID& iid, const EventSet& events)
      : ComPart(object), object_(object), iid_(iid), events_(events) {}
  ~EventPoint() = default;

  const IID& iid() const { return iid_; }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (iid == nullptr) return E_POINTER;
    *iid = iid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    return ComPtr<IConnectionPointContainer>(&outer()).CopyTo(out);
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
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
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    return object_.face().connections->Unadvise(this, cookie);
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
    return ComEntry(IID_IConnectionPoint, [&] {
      voxtrel::win32::com::ConnectionEnumerator::Entries entries;
      for (const auto& [cookie, sink] : object_.face().connections->Of(this)) {
        entries.push_back({sink.Query<IUnknown>(), cookie});
      }
      return voxtrel::win32::com::ConnectionEnumerator::Create(std::move(entries), out);
    });
  }

 private:
  Object& object_;
  const IID iid_;
  const EventSet& events_;
};

// Objects.

Object::Object(const Face& face, const ClassDef& def, Id id, std::vector<Id> items,
               std::string name, std::string eventSource)
    : face_(face),
      def_(def),
      id_(id),
      items_(std::move(items)),
      eventSource_(std::move(eventSource)),
      entry_(*face.census, std::move(name)) {
  for (const EventSet* events : def_.events) {
    points_.push_back(std::make_unique<EventPoint>(*this, events->diid, *events));
    if (events->diid10) {
      points_.push_back(std::make_unique<EventPoint>(*this, *events->diid10, *events));
    }
  }
}

Object::~Object() = default;

HRESULT Object::QueryInterface(REFIID iid, void** out) {
  if (def_.mailItem && out != nullptr && IsEqualIID(iid, kIidMailItem)) {
    AddRef();
    *out = static_cast<IDispatch*>(this);
    return S_OK;
  }
  return ComObject::QueryInterface(iid, out);
}

HRESULT Object::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT Object::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Object::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (std::size_t i = 0; i < def_.members.size(); ++i) {
    if (SameName(names[0], def_.members[i].name)) {
      ids[0] = static_cast<DISPID>(i + 1);
      return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
  }
  return DISP_E_UNKNOWNNAME;
}

HRESULT Object::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception, UINT* argumentError) {
  if (params == nullptr) return E_POINTER;
  if (id < 1 || static_cast<std::size_t>(id) > def_.members.size()) {
    return DISP_E_MEMBERNOTFOUND;
  }
  const Member& member = def_.members[static_cast<std::size_t>(id - 1)];
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  if (put ? !member.put : !member.get) return DISP_E_MEMBERNOTFOUND;
  const bool namedValue = params->cNamedArgs == 1 && params->rgdispidNamedArgs != nullptr &&
                          params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
  if (put ? !namedValue : params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (params->cArgs - params->cNamedArgs > member.maxArgs) return DISP_E_BADPARAMCOUNT;
  if (result != nullptr) VariantInit(result);
  try {
    return Call(member, put, *params, result);
  } catch (const ArgumentError& error) {
    if (argumentError != nullptr) *argumentError = error.position;
    return error.hresult;
  } catch (...) {
    return ReportCurrentError(exception);
  }
}

HRESULT Object::Call(const Member& member, bool put, const DISPPARAMS& params, VARIANT* result) {
  const std::shared_ptr<Model> model = face_.model.lock();
  if (!model) {
    throw Disconnected();
  }
  const Args args(params, put);
  if (put) {
    member.put(*this, *model, args);
    return S_OK;
  }
  Value value = member.get(*this, *model, args);
  if (result != nullptr) *result = ToVariant(std::move(value));
  return S_OK;
}

HRESULT Object::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID_IDispatch) ? S_OK : S_FALSE;
}

HRESULT Object::EnumConnectionPoints(IEnumConnectionPoints** out) {
  return ComEntry(IID_IConnectionPointContainer, [&] {
    voxtrel::win32::com::ConnectionPointEnumerator::Entries entries;
    for (const auto& point : points_) entries.push_back(ComPtr<IConnectionPoint>(point.get()));
    return voxtrel::win32::com::ConnectionPointEnumerator::Create(std::move(entries), out);
  });
}

HRESULT Object::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const auto& point : points_) {
    if (IsEqualIID(point->iid(), iid)) return ComPtr<IConnectionPoint>(point.get()).CopyTo(out);
  }
  return CONNECT_E_NOCONNECTION;
}

// Connections.

namespace {

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

void ClearExcepInfo(EXCEPINFO& info) {
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  info = EXCEPINFO{};
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

namespace {

VARIANT DispatchArg(IDispatch* object) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_DISPATCH;
  V_DISPATCH(&arg) = object;
  return arg;
}

VARIANT BoolByRef(VARIANT_BOOL* flag) {
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&arg) = flag;
  return arg;
}

}  // namespace

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
    ComPtr<IDispatch> object;
    std::vector<VARIANT> argv;  // last argument first
    if (event.kind == EventKind::kNewInspector) {
      object = MakeObject(face_, Kind::kInspector, args.window);
      argv = {DispatchArg(object.get())};
    } else if (event.kind == EventKind::kSend) {
      argv = {BoolByRef(&cancel)};
    } else if (event.kind == EventKind::kClick) {
      // The control the user clicked, also where the click reaches a control of the same tag.
      object = MakeObject(face_, Kind::kButton, args.control != 0 ? args.control : source);
      argv = {BoolByRef(&cancel), DispatchArg(object.get())};
    }
    DISPPARAMS params{argv.data(), nullptr, static_cast<UINT>(argv.size()), 0};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT hr = face_.timings->Time(label, [&] {
      return sink->Invoke(event.dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                          nullptr, &exception, &argumentError);
    });
    object.reset();
    args.cancel = cancel != VARIANT_FALSE;
    const std::string text = FailureText(hr, exception);
    if (FAILED(hr) && hr != DISP_E_MEMBERNOTFOUND) {
      face_.census->HandlerFailed(label + " failed: " + text);
    }
  } catch (const std::exception& error) {
    face_.census->HandlerFailed(label + " failed: " + error.what());
  }
}

// Errors.

HRESULT ReportCurrentError(EXCEPINFO* exception) noexcept {
  const AutomationError error = voxtrel::win32::com::CurrentAutomationError();
  const HRESULT hr = voxtrel::win32::com::ReportAutomationError(error, IID_IDispatch);
  if (exception == nullptr) return hr;
  *exception = EXCEPINFO{};
  voxtrel::win32::com::CompleteExcepInfo(*exception, error);
  return DISP_E_EXCEPTION;
}

std::string FailureText(HRESULT hr, EXCEPINFO& exception) {
  if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
  std::string text = UniqueBstr::ToUtf8(exception.bstrDescription);
  ClearExcepInfo(exception);
  if (SUCCEEDED(hr) || !text.empty()) return text;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) == S_OK && info) {
    UniqueBstr description;
    if (SUCCEEDED(info->GetDescription(description.put()))) text = description.ToUtf8();
  }
  if (!text.empty()) return text;
  char number[16];
  std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(hr));
  return std::string("error ") + number;
}

}  // namespace voxtrel::olsim::win32
