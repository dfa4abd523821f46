#include "wine/support/com_client.h"

#include <windows.h>

#include <objbase.h>
#include <ocidl.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "voxtrel_idl.h"
#include "win32/base/text.h"
#include "win32/com/com_ptr.h"
#include "win32/com/unique_bstr.h"

namespace voxtrel::win32::testing {
namespace {

using com::ComPtr;
using com::UniqueBstr;

constexpr DISPID kFinishedPlaying = 1;
constexpr int kDispatchMethods = 7;  // IUnknown's three and IDispatch's four

std::string GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return WideToUtf8(text);
}

// A failed early-bound call, with what the object's IErrorInfo says.
ComResult EarlyBoundResult(HRESULT hr) {
  ComResult result{static_cast<std::uint32_t>(hr), {}, {}};
  if (SUCCEEDED(hr)) return result;
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) == S_OK) {
    UniqueBstr source;
    UniqueBstr description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    result.source = source.ToUtf8();
    result.description = description.ToUtf8();
  }
  return result;
}

// A failed Invoke, with what its EXCEPINFO says; the scode stands for DISP_E_EXCEPTION.
ComResult LateBoundResult(HRESULT hr, EXCEPINFO& exception) {
  if (hr == DISP_E_EXCEPTION && exception.pfnDeferredFillIn != nullptr) {
    exception.pfnDeferredFillIn(&exception);
  }
  const UniqueBstr source(exception.bstrSource);
  const UniqueBstr description(exception.bstrDescription);
  const UniqueBstr helpFile(exception.bstrHelpFile);
  ComResult result{static_cast<std::uint32_t>(hr), source.ToUtf8(), description.ToUtf8()};
  if (hr == DISP_E_EXCEPTION) {
    result.hresult = exception.scode != 0 ? static_cast<std::uint32_t>(exception.scode)
                                          : static_cast<std::uint32_t>(MAKE_HRESULT(
                                                SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode));
  }
  return result;
}

// COM objects are deleted by their own Release, never through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The client's event sink: answers IUnknown, IDispatch and __VoxtrelInst, counts the event.
class FinishedPlayingSink final : public IDispatch {
 public:
  int count() const { return count_; }
  void OnEvent(std::function<void()> handler) { handler_ = std::move(handler); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID___VoxtrelInst)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  // The object only ever calls Invoke on its sinks.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id != kFinishedPlaying) return DISP_E_MEMBERNOTFOUND;
    if (parameters == nullptr || parameters->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    ++count_;
    if (handler_) std::exchange(handler_, nullptr)();
    return S_OK;
  }

 private:
  virtual ~FinishedPlayingSink() = default;

  ULONG references_ = 1;
  int count_ = 0;
  std::function<void()> handler_;
};
#pragma GCC diagnostic pop

// "recordMp3 0x60030001 func slot 3 (26->8 flags 0x00000033 = Voxtrel Voice Message)"
std::string DescribeFunction(ITypeInfo& info, const FUNCDESC& function) {
  UniqueBstr name;
  info.GetDocumentation(function.memid, name.put(), nullptr, nullptr, nullptr);
  const char* kind = function.invkind == INVOKE_FUNC          ? "func"
                     : function.invkind == INVOKE_PROPERTYGET ? "get"
                                                              : "put";
  std::string line = "  " + name.ToUtf8() + " " + HResultText(function.memid) + " " + kind;
  if (function.funckind != FUNC_DISPATCH) {
    line += " slot " +
            std::to_string(function.oVft / static_cast<int>(sizeof(void*)) - kDispatchMethods + 1);
  }
  for (SHORT index = 0; index < function.cParams; ++index) {
    const ELEMDESC& parameter = function.lprgelemdescParam[index];
    line += " (" + std::to_string(parameter.tdesc.vt);
    if (parameter.tdesc.vt == VT_PTR) line += "->" + std::to_string(parameter.tdesc.lptdesc->vt);
    line += " flags " + HResultText(parameter.paramdesc.wParamFlags);
    const auto* extra = parameter.paramdesc.pparamdescex;
    if ((parameter.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) != 0 && extra != nullptr &&
        V_VT(&extra->varDefaultValue) == VT_BSTR) {
      line += " = " + UniqueBstr::ToUtf8(V_BSTR(&extra->varDefaultValue));
    }
    line += ")";
  }
  return line;
}

// "_VoxtrelInst kind 4 {...} flags 0x1050", then its members or the types it implements.
void DescribeType(ITypeInfo& info, std::vector<std::string>& lines) {
  TYPEATTR* attributes = nullptr;
  if (FAILED(info.GetTypeAttr(&attributes))) return lines.push_back("GetTypeAttr failed");
  UniqueBstr name;
  info.GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
  lines.push_back(name.ToUtf8() + " kind " + std::to_string(attributes->typekind) + " " +
                  GuidText(attributes->guid) + " flags " + HResultText(attributes->wTypeFlags));
  // A dual interface's dispatch half lists IDispatch's methods too: its vtable half follows.
  const bool dualDispatch =
      attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0;
  for (UINT index = 0; index < attributes->cFuncs && !dualDispatch; ++index) {
    FUNCDESC* function = nullptr;
    if (FAILED(info.GetFuncDesc(index, &function))) continue;
    lines.push_back(DescribeFunction(info, *function));
    info.ReleaseFuncDesc(function);
  }
  for (UINT index = 0; index < attributes->cImplTypes && !dualDispatch; ++index) {
    INT flags = 0;
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> implemented;
    TYPEATTR* implementedAttributes = nullptr;
    if (attributes->typekind == TKIND_COCLASS && SUCCEEDED(info.GetImplTypeFlags(index, &flags)) &&
        SUCCEEDED(info.GetRefTypeOfImplType(index, &reference)) &&
        SUCCEEDED(info.GetRefTypeInfo(reference, implemented.put())) &&
        SUCCEEDED(implemented->GetTypeAttr(&implementedAttributes))) {
      lines.push_back("  implements " + GuidText(implementedAttributes->guid) + " flags " +
                      std::to_string(flags));
      implemented->ReleaseTypeAttr(implementedAttributes);
    }
  }
  HREFTYPE vtable = 0;
  ComPtr<ITypeInfo> vtableHalf;
  if (dualDispatch && SUCCEEDED(info.GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable)) &&
      SUCCEEDED(info.GetRefTypeInfo(vtable, vtableHalf.put()))) {
    DescribeType(*vtableHalf.get(), lines);
  }
  info.ReleaseTypeAttr(attributes);
}

}  // namespace

std::string HResultText(std::uint32_t hresult) {
  char text[16] = {};
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(hresult));
  return text;
}

ComApartment::ComApartment()
    : hresult_(static_cast<std::uint32_t>(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment() {
  if (SUCCEEDED(static_cast<HRESULT>(hresult_))) CoUninitialize();
}

struct VoxtrelInstClient::State {
  ComPtr<_VoxtrelInst> object;
  ComPtr<FinishedPlayingSink> sink;
  ComPtr<IConnectionPoint> point;
  DWORD cookie = 0;
};

VoxtrelInstClient::VoxtrelInstClient(std::unique_ptr<State> state) : state_(std::move(state)) {}

VoxtrelInstClient::~VoxtrelInstClient() {
  if (state_->cookie != 0) Unadvise();
  // Released before the sink, which the object may still call while it ends.
  state_->point.reset();
  state_->object.reset();
}

ComResult VoxtrelInstClient::Create(std::unique_ptr<VoxtrelInstClient>& client) {
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(L"Voxtrel.VoxtrelInst", &clsid);
  if (FAILED(hr)) return {static_cast<std::uint32_t>(hr), "CLSIDFromProgID", {}};
  auto state = std::make_unique<State>();
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__VoxtrelInst,
                        state->object.put_void());
  if (FAILED(hr)) return EarlyBoundResult(hr);
  client.reset(new VoxtrelInstClient(std::move(state)));
  return {};
}

ComResult VoxtrelInstClient::SetFileName(const std::string& value) {
  const UniqueBstr text = UniqueBstr::FromUtf8(value);
  return EarlyBoundResult(state_->object->put_fileName(text.get()));
}

ComResult VoxtrelInstClient::GetFileName(std::string& value) {
  UniqueBstr text;
  const HRESULT hr = state_->object->get_fileName(text.put());
  value = text.ToUtf8();
  return EarlyBoundResult(hr);
}

ComResult VoxtrelInstClient::RecordMp3(const std::optional<std::string>& tag) {
  if (!tag) return EarlyBoundResult(state_->object->recordMp3(nullptr));
  UniqueBstr text = UniqueBstr::FromUtf8(*tag);
  BSTR value = text.get();
  const HRESULT hr = state_->object->recordMp3(&value);
  // [in, out]: a callee that replaced the string gave the new one to the caller.
  if (value != text.get()) text.reset(value);
  return EarlyBoundResult(hr);
}

ComResult VoxtrelInstClient::PlayMp3() {
  return EarlyBoundResult(state_->object->playMp3());
}

ComResult VoxtrelInstClient::InvokeMethod(const std::string& name) {
  std::wstring wide = Utf8ToWide(name);
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = state_->object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return {static_cast<std::uint32_t>(hr), "GetIDsOfNames", name};
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXCEPINFO exception{};
  hr = state_->object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                              &exception, nullptr);
  return LateBoundResult(hr, exception);
}

ComResult VoxtrelInstClient::Advise() {
  const auto container = state_->object.Query<IConnectionPointContainer>();
  HRESULT hr = container ? container->FindConnectionPoint(DIID___VoxtrelInst, state_->point.put())
                         : E_NOINTERFACE;
  if (FAILED(hr)) return {static_cast<std::uint32_t>(hr), "FindConnectionPoint", {}};
  state_->sink = ComPtr<FinishedPlayingSink>::Adopt(new FinishedPlayingSink());
  hr = state_->point->Advise(static_cast<IDispatch*>(state_->sink.get()), &state_->cookie);
  return {static_cast<std::uint32_t>(hr), "Advise", {}};
}

ComResult VoxtrelInstClient::Unadvise() {
  if (!state_->point) return {static_cast<std::uint32_t>(E_UNEXPECTED), "Unadvise", {}};
  const HRESULT hr = state_->point->Unadvise(state_->cookie);
  state_->cookie = 0;
  return {static_cast<std::uint32_t>(hr), "Unadvise", {}};
}

int VoxtrelInstClient::finishedPlayingCount() const {
  return state_->sink ? state_->sink->count() : 0;
}

void VoxtrelInstClient::ReleaseObjectOnFinishedPlaying() {
  if (!state_->sink) return;
  State* state = state_.get();
  state_->sink->OnEvent([state] {
    if (state->point) state->point->Unadvise(state->cookie);
    state->cookie = 0;
    state->point.reset();
    state->object.reset();
  });
}

bool VoxtrelInstClient::HoldsObject() const {
  return static_cast<bool>(state_->object);
}

std::vector<std::string> VoxtrelInstClient::Describe(const std::vector<std::string>& iids) const {
  std::vector<std::string> lines;
  for (const std::string& iid : iids) {
    IID parsed{};
    const bool answers =
        SUCCEEDED(IIDFromString(Utf8ToWide(iid).c_str(), &parsed)) && state_->object.Query(parsed);
    lines.push_back((answers ? "answers " : "refuses ") + iid);
  }
  const auto support = state_->object.Query<ISupportErrorInfo>();
  if (support && support->InterfaceSupportsErrorInfo(IID__VoxtrelInst) == S_OK) {
    lines.push_back("error info");
  }
  GUID events{};
  const auto provider = state_->object.Query<IProvideClassInfo2>();
  if (provider && SUCCEEDED(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events))) {
    lines.push_back("default source " + GuidText(events));
  }
  const auto container = state_->object.Query<IConnectionPointContainer>();
  ComPtr<IEnumConnectionPoints> points;
  if (!container || FAILED(container->EnumConnectionPoints(points.put()))) return lines;
  ComPtr<IConnectionPoint> point;
  while (points->Next(1, point.put(), nullptr) == S_OK) {
    ComPtr<IEnumConnections> connections;
    int count = 0;
    CONNECTDATA data{};
    if (SUCCEEDED(point->GetConnectionInterface(&events)) &&
        SUCCEEDED(point->EnumConnections(connections.put()))) {
      for (; connections->Next(1, &data, nullptr) == S_OK; ++count) data.pUnk->Release();
    }
    lines.push_back("point " + GuidText(events) + ": " + std::to_string(count) + " connections");
  }
  return lines;
}

bool PumpMessagesUntil(const std::function<bool()>& done, std::uint32_t timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    const ULONGLONG elapsed = GetTickCount64() - start;
    if (elapsed >= timeoutMs) return false;
    const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(50, timeoutMs - elapsed));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
  }
}

void PumpMessagesFor(std::uint32_t milliseconds) {
  PumpMessagesUntil([] { return false; }, milliseconds);
}

VoxtrelIds PublishedIds() {
  return {GuidText(LIBID_Voxtrel), GuidText(CLSID_VoxtrelInst), GuidText(IID__VoxtrelInst),
          GuidText(DIID___VoxtrelInst)};
}

std::vector<std::string> DescribeTypeLibrary(const std::string& dllPath) {
  ComPtr<ITypeLib> library;
  if (FAILED(LoadTypeLibEx(Utf8ToWide(dllPath).c_str(), REGKIND_NONE, library.put()))) {
    return {"LoadTypeLibEx failed for " + dllPath};
  }
  UniqueBstr name;
  UniqueBstr help;
  library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr);
  TLIBATTR* attributes = nullptr;
  if (FAILED(library->GetLibAttr(&attributes))) return {"GetLibAttr failed"};
  std::vector<std::string> lines = {name.ToUtf8() + " " + std::to_string(attributes->wMajorVerNum) +
                                    "." + std::to_string(attributes->wMinorVerNum) + " " +
                                    GuidText(attributes->guid) + " " + help.ToUtf8()};
  library->ReleaseTLibAttr(attributes);
  for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(library->GetTypeInfo(index, info.put()))) DescribeType(*info.get(), lines);
  }
  return lines;
}

}  // namespace voxtrel::win32::testing
