#include "wine/support/com_client.h"

#include <windows.h>

#include <objbase.h>
#include <ocidl.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "voxtrel_idl.h"
#include "win32/com/com_ptr.h"
#include "win32/com/unique_bstr.h"
#include "win32/com/unique_variant.h"
#include "win32/base/text.h"

namespace voxtrel::win32::testing {
namespace {

using com::ComPtr;
using com::UniqueBstr;
using com::UniqueVariant;

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
  FinishedPlayingSink() = default;

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
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
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

ComResult LoadTypeInfoFacts(ITypeInfo& info, TypeInfoFacts& facts);

ParameterFacts DescribeParameter(const ELEMDESC& element) {
  ParameterFacts facts;
  facts.type = element.tdesc.vt;
  if (element.tdesc.vt == VT_PTR && element.tdesc.lptdesc != nullptr) {
    facts.pointee = element.tdesc.lptdesc->vt;
  }
  const PARAMDESC& parameter = element.paramdesc;
  facts.flags = parameter.wParamFlags;
  if ((parameter.wParamFlags & PARAMFLAG_FHASDEFAULT) != 0 && parameter.pparamdescex != nullptr &&
      V_VT(&parameter.pparamdescex->varDefaultValue) == VT_BSTR) {
    facts.defaultText = UniqueBstr::ToUtf8(V_BSTR(&parameter.pparamdescex->varDefaultValue));
  }
  return facts;
}

FunctionFacts DescribeFunction(ITypeInfo& info, const FUNCDESC& function) {
  FunctionFacts facts;
  UniqueBstr name;
  info.GetDocumentation(function.memid, name.put(), nullptr, nullptr, nullptr);
  facts.name = name.ToUtf8();
  facts.memid = function.memid;
  facts.invokeKind = function.invkind;
  if (function.funckind != FUNC_DISPATCH) {
    facts.slot = function.oVft / static_cast<int>(sizeof(void*)) - kDispatchMethods + 1;
  }
  for (SHORT index = 0; index < function.cParams; ++index) {
    facts.parameters.push_back(DescribeParameter(function.lprgelemdescParam[index]));
  }
  return facts;
}

ComResult LoadTypeInfoFacts(ITypeInfo& info, TypeInfoFacts& facts) {
  TYPEATTR* attributes = nullptr;
  HRESULT hr = info.GetTypeAttr(&attributes);
  if (FAILED(hr)) return {static_cast<std::uint32_t>(hr), "GetTypeAttr", {}};
  facts.guid = GuidText(attributes->guid);
  facts.kind = attributes->typekind;
  facts.flags = attributes->wTypeFlags;
  UniqueBstr name;
  info.GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
  facts.name = name.ToUtf8();
  for (UINT index = 0; index < attributes->cFuncs; ++index) {
    FUNCDESC* function = nullptr;
    if (SUCCEEDED(info.GetFuncDesc(index, &function))) {
      facts.functions.push_back(DescribeFunction(info, *function));
      info.ReleaseFuncDesc(function);
    }
  }
  for (UINT index = 0; index < attributes->cImplTypes; ++index) {
    INT flags = 0;
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> implemented;
    info.GetImplTypeFlags(index, &flags);
    facts.implementedFlags.push_back(flags);
    if (SUCCEEDED(info.GetRefTypeOfImplType(index, &reference)) &&
        SUCCEEDED(info.GetRefTypeInfo(reference, implemented.put()))) {
      TYPEATTR* implementedAttributes = nullptr;
      if (SUCCEEDED(implemented->GetTypeAttr(&implementedAttributes))) {
        facts.implemented.push_back(GuidText(implementedAttributes->guid));
        implemented->ReleaseTypeAttr(implementedAttributes);
      }
    }
  }
  info.ReleaseTypeAttr(attributes);
  return {};
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

  ComResult Invoke(const std::string& name, WORD flags, DISPPARAMS& parameters, VARIANT* result) {
    std::wstring wide = Utf8ToWide(name);
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return {static_cast<std::uint32_t>(hr), "GetIDsOfNames", name};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, &exception,
                        &argumentError);
    return LateBoundResult(hr, exception);
  }
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

ComResult VoxtrelInstClient::PauseMp3() {
  return EarlyBoundResult(state_->object->pauseMP3());
}

ComResult VoxtrelInstClient::InvokeMethod(const std::string& name) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return state_->Invoke(name, DISPATCH_METHOD, none, nullptr);
}

ComResult VoxtrelInstClient::InvokeMethod(const std::string& name, const std::string& argument,
                                          Passing passing) {
  UniqueVariant text;
  V_VT(text.get()) = VT_BSTR;
  V_BSTR(text.get()) = UniqueBstr::FromUtf8(argument).release();
  VARIANT reference;
  VariantInit(&reference);
  V_VT(&reference) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&reference) = text.get();
  DISPPARAMS parameters{passing == Passing::kByValue ? text.get() : &reference, nullptr, 1, 0};
  return state_->Invoke(name, DISPATCH_METHOD, parameters, nullptr);
}

ComResult VoxtrelInstClient::InvokePut(const std::string& name, const std::string& value) {
  UniqueVariant text;
  V_VT(text.get()) = VT_BSTR;
  V_BSTR(text.get()) = UniqueBstr::FromUtf8(value).release();
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{text.get(), &named, 1, 1};
  return state_->Invoke(name, DISPATCH_PROPERTYPUT, parameters, nullptr);
}

ComResult VoxtrelInstClient::InvokeGet(const std::string& name, std::string& value) {
  UniqueVariant result;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  ComResult outcome = state_->Invoke(name, DISPATCH_PROPERTYGET, none, result.get());
  value = result.type() == VT_BSTR ? UniqueBstr::ToUtf8(V_BSTR(&*result)) : std::string();
  return outcome;
}

ComResult VoxtrelInstClient::Advise() {
  const auto container = state_->object.Query<IConnectionPointContainer>();
  if (!container) return {static_cast<std::uint32_t>(E_NOINTERFACE), "Advise", {}};
  HRESULT hr = container->FindConnectionPoint(DIID___VoxtrelInst, state_->point.put());
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

int VoxtrelInstClient::ConnectionCount() const {
  if (!state_->point) return 0;
  ComPtr<IEnumConnections> connections;
  if (FAILED(state_->point->EnumConnections(connections.put()))) return -1;
  int count = 0;
  CONNECTDATA data{};
  while (connections->Next(1, &data, nullptr) == S_OK) {
    if (data.pUnk != nullptr) data.pUnk->Release();
    ++count;
  }
  return count;
}

std::vector<std::string> VoxtrelInstClient::ConnectionPointInterfaces() const {
  std::vector<std::string> interfaces;
  const auto container = state_->object.Query<IConnectionPointContainer>();
  ComPtr<IEnumConnectionPoints> points;
  if (!container || FAILED(container->EnumConnectionPoints(points.put()))) return interfaces;
  ComPtr<IConnectionPoint> point;
  while (points->Next(1, point.put(), nullptr) == S_OK) {
    IID events{};
    if (SUCCEEDED(point->GetConnectionInterface(&events))) interfaces.push_back(GuidText(events));
  }
  return interfaces;
}

std::string VoxtrelInstClient::DefaultSourceInterface() const {
  const auto provider = state_->object.Query<IProvideClassInfo2>();
  GUID events{};
  if (!provider || FAILED(provider->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events))) {
    return std::string();
  }
  return GuidText(events);
}

bool VoxtrelInstClient::Supports(const std::string& iid) const {
  IID parsed{};
  std::wstring text = Utf8ToWide(iid);
  if (FAILED(IIDFromString(text.data(), &parsed))) return false;
  return static_cast<bool>(state_->object.Query(parsed));
}

bool VoxtrelInstClient::SupportsErrorInfo() const {
  const auto support = state_->object.Query<ISupportErrorInfo>();
  return support && support->InterfaceSupportsErrorInfo(IID__VoxtrelInst) == S_OK;
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

ComResult DescribeTypeLibrary(const std::string& dllPath, TypeLibraryFacts& facts) {
  ComPtr<ITypeLib> library;
  const std::wstring path = Utf8ToWide(dllPath);
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
  if (FAILED(hr)) return {static_cast<std::uint32_t>(hr), "LoadTypeLibEx", dllPath};
  UniqueBstr name;
  UniqueBstr help;
  library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr);
  facts.name = name.ToUtf8();
  facts.helpString = help.ToUtf8();
  TLIBATTR* attributes = nullptr;
  if (SUCCEEDED(library->GetLibAttr(&attributes))) {
    facts.libid = GuidText(attributes->guid);
    facts.major = attributes->wMajorVerNum;
    facts.minor = attributes->wMinorVerNum;
    library->ReleaseTLibAttr(attributes);
  }
  ComPtr<ITypeInfo> dispatch;
  ComPtr<ITypeInfo> vtable;
  ComPtr<ITypeInfo> events;
  ComPtr<ITypeInfo> coclass;
  HREFTYPE vtableReference = 0;
  hr = library->GetTypeInfoOfGuid(IID__VoxtrelInst, dispatch.put());
  if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableReference);
  if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeInfo(vtableReference, vtable.put());
  if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(DIID___VoxtrelInst, events.put());
  if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(CLSID_VoxtrelInst, coclass.put());
  if (FAILED(hr)) return {static_cast<std::uint32_t>(hr), "GetTypeInfoOfGuid", {}};
  for (const auto& [info, out] :
       {std::pair{dispatch.get(), &facts.dispatch}, std::pair{vtable.get(), &facts.vtable},
        std::pair{events.get(), &facts.events}, std::pair{coclass.get(), &facts.coclass}}) {
    if (const ComResult result = LoadTypeInfoFacts(*info, *out); !result.ok()) return result;
  }
  return {};
}

}  // namespace voxtrel::win32::testing
