#include "win32/com/connect_object.h"

#include <array>
#include <utility>

#include "win32/com/thread_platform.h"
#include "win32/com/unique_variant.h"
#include "win32/outlook/adapters.h"

namespace voxtrel::win32::com {
namespace {

struct Member {
  const wchar_t* name;
  UINT maxArguments;
};

// By dispatch id from 1, as the interface declares them.
constexpr std::array<Member, 5> kMembers = {{{L"OnConnection", 4},
                                             {L"OnDisconnection", 2},
                                             {L"OnAddInsUpdate", 1},
                                             {L"OnStartupComplete", 1},
                                             {L"OnBeginShutdown", 1}}};
constexpr DISPID kOnConnection = 1;
constexpr DISPID kOnDisconnection = 2;
constexpr DISPID kOnAddInsUpdate = 3;
constexpr DISPID kOnStartupComplete = 4;
constexpr DISPID kOnBeginShutdown = 5;

// OnConnection's first argument, however a host wraps it; Nothing is left to the core.
HRESULT ApplicationArgument(const DISPPARAMS& parameters, ComPtr<IDispatch>& application) {
  if (parameters.cArgs == 0) return DISP_E_PARAMNOTOPTIONAL;
  UniqueVariant value;
  if (FAILED(VariantCopyInd(value.get(), &parameters.rgvarg[parameters.cArgs - 1]))) {
    return DISP_E_TYPEMISMATCH;
  }
  switch (value.type()) {
    case VT_EMPTY:
    case VT_NULL:
      return S_OK;
    case VT_DISPATCH:
      application = ComPtr<IDispatch>(V_DISPATCH(value.get()));
      return S_OK;
    case VT_UNKNOWN:
      application = ComPtr<IUnknown>(V_UNKNOWN(value.get())).Query<IDispatch>();
      return application || V_UNKNOWN(value.get()) == nullptr ? S_OK : DISP_E_TYPEMISMATCH;
    case VT_ERROR:
      return DISP_E_PARAMNOTOPTIONAL;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

HRESULT ConnectObject::Create(REFIID iid, void** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return ComEntry(__uuidof(IDTExtensibility2), [&] {
    EnsureThreadPlatform();
    return Make()->QueryInterface(iid, out);
  });
}

ConnectObject::ConnectObject() : core_(std::make_unique<voxtrel::Connect>()) {}

template <typename Body>
HRESULT ConnectObject::CallCore(Body&& body) noexcept {
  // The core pumps messages; the host may drop its last reference from one of them.
  const ComPtr<ConnectObject> self(this);
  return ComEntry(
      __uuidof(IDTExtensibility2), [&] { body(*core_); }, &lastError_);
}

HRESULT ConnectObject::OnConnection(IDispatch* Application, int, IDispatch*, SAFEARRAY**) {
  return CallCore([&](voxtrel::Connect& core) {
    core.AddinInstance_OnConnection(outlook::WrapApplication(ComPtr<IDispatch>(Application)));
  });
}

HRESULT ConnectObject::OnDisconnection(int, SAFEARRAY**) {
  return CallCore([](voxtrel::Connect& core) { core.AddinInstance_OnDisconnection(); });
}

HRESULT ConnectObject::OnAddInsUpdate(SAFEARRAY**) {
  return CallCore([](voxtrel::Connect& core) { core.AddinInstance_OnAddInsUpdate(); });
}

HRESULT ConnectObject::OnStartupComplete(SAFEARRAY**) {
  return CallCore([](voxtrel::Connect& core) { core.AddinInstance_OnStartupComplete(); });
}

HRESULT ConnectObject::OnBeginShutdown(SAFEARRAY**) {
  return CallCore([](voxtrel::Connect& core) { core.AddinInstance_OnBeginShutdown(); });
}

HRESULT ConnectObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ConnectObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT ConnectObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0) return S_OK;
  for (std::size_t i = 0; i < kMembers.size(); ++i) {
    if (CompareStringOrdinal(names[0], -1, kMembers[i].name, -1, TRUE) == CSTR_EQUAL) {
      ids[0] = static_cast<DISPID>(i + 1);
    }
  }
  // Arguments are taken by position only.
  return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT ConnectObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (id < 1 || id > static_cast<DISPID>(kMembers.size()) || (flags & DISPATCH_METHOD) == 0) {
    return DISP_E_MEMBERNOTFOUND;
  }
  if (parameters == nullptr) return E_INVALIDARG;
  if (parameters->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  if (parameters->cArgs > kMembers[static_cast<std::size_t>(id - 1)].maxArguments) {
    return DISP_E_BADPARAMCOUNT;
  }
  if (result != nullptr) VariantInit(result);
  const ComPtr<ConnectObject> self(this);
  lastError_.reset();
  const HRESULT hr = InvokeMember(id, *parameters, argumentError);
  if (FAILED(hr) && lastError_) return InvokeFailure(exception, *lastError_, hr);
  return hr;
}

// The arguments the core ignores are not looked at.
HRESULT ConnectObject::InvokeMember(DISPID id, const DISPPARAMS& parameters, UINT* argumentError) {
  switch (id) {
    case kOnConnection: {
      ComPtr<IDispatch> application;
      if (const HRESULT hr = ApplicationArgument(parameters, application); FAILED(hr)) {
        if (argumentError != nullptr && parameters.cArgs > 0) *argumentError = parameters.cArgs - 1;
        return hr;
      }
      return OnConnection(application.get(), 0, nullptr, nullptr);
    }
    case kOnDisconnection:
      return OnDisconnection(0, nullptr);
    case kOnAddInsUpdate:
      return OnAddInsUpdate(nullptr);
    case kOnStartupComplete:
      return OnStartupComplete(nullptr);
    case kOnBeginShutdown:
      return OnBeginShutdown(nullptr);
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT ConnectObject::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, __uuidof(IDTExtensibility2)) ? S_OK : S_FALSE;
}

}  // namespace voxtrel::win32::com
