#include "sim/outlook/win32/sim_object.h"

#include <olectl.h>

#include <utility>

#include "sim/outlook/host_errors.h"
#include "sim/outlook/win32/event_point.h"
#include "win32/com/automation_error.h"
#include "win32/com/snapshot_enumerator.h"
#include "win32/com/unique_variant.h"

namespace voxtrel::olsim::win32 {

using voxtrel::win32::com::AutomationError;
using voxtrel::win32::com::ComEntry;
using voxtrel::win32::com::ConnectionPointEnumerator;
using voxtrel::win32::com::UniqueVariant;

namespace {

// {00063034-0000-0000-C000-000000000046}
constexpr IID kIidMailItem = {0x00063034, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

UniqueVariant ToVariant(const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return UniqueVariant::Text(*text);
  if (const auto* number = std::get_if<std::int32_t>(&value)) return UniqueVariant::Int(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return UniqueVariant::Bool(*flag);
  if (const auto* object = std::get_if<ComPtr<IDispatch>>(&value)) {
    return UniqueVariant::Dispatch(object->get());
  }
  return {};
}

bool Offered(const Member& member, Model& model) {
  return model.MajorVersion() >= member.sinceVersion;
}

bool SameName(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// A failure as Outlook reports it: the HRESULT for a voxtrel::Error's number, its source and
// description; sets the thread's IErrorInfo.
HRESULT ReportCurrentError(EXCEPINFO* exception) noexcept {
  const AutomationError error = voxtrel::win32::com::CurrentAutomationError();
  const HRESULT hr = voxtrel::win32::com::ReportAutomationError(error, IID_IDispatch);
  return voxtrel::win32::com::InvokeFailure(exception, error, hr);
}

}  // namespace

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

Object::~Object() {
  if (sharedAsWindow_ && face_.windows != nullptr) face_.windows->erase(id_);
}

void Object::ShareAsWindow() {
  if (face_.windows == nullptr) return;
  (*face_.windows)[id_] = this;
  sharedAsWindow_ = true;
}

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
  const std::shared_ptr<Model> model = face_.model.lock();
  for (std::size_t i = 0; i < def_.members.size(); ++i) {
    if (SameName(names[0], def_.members[i].name) && (!model || Offered(def_.members[i], *model))) {
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
  if (const auto model = face_.model.lock(); model && !Offered(member, *model)) {
    return DISP_E_MEMBERNOTFOUND;
  }
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
  const Value value = member.get(*this, *model, args);
  if (result != nullptr) *result = ToVariant(value).release();
  return S_OK;
}

HRESULT Object::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, IID_IDispatch) ? S_OK : S_FALSE;
}

HRESULT Object::EnumConnectionPoints(IEnumConnectionPoints** out) {
  return ComEntry(IID_IConnectionPointContainer, [&] {
    ConnectionPointEnumerator::Entries entries;
    for (const auto& point : points_) entries.push_back(ComPtr<IConnectionPoint>(point.get()));
    return ConnectionPointEnumerator::Create(std::move(entries), out);
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

}  // namespace voxtrel::olsim::win32
