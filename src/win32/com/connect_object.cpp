#include "win32/com/connect_object.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "common/error.h"
#include "ribbon/custom_ui_xml.h"
#include "win32/base/text.h"
#include "win32/com/thread_platform.h"
#include "win32/com/unique_bstr.h"
#include "win32/com/unique_variant.h"
#include "win32/outlook/adapters.h"
#include "win32/outlook/event_sink.h"
#include "win32/outlook/ribbon_adapters.h"

namespace voxtrel::win32::com {
namespace {

struct Member {
  const char* name;
  UINT maxArguments;
};

// By dispatch id from 1: IDTExtensibility2's as the interface declares them, then
// IRibbonExtensibility's, then the Ribbon's callbacks.
constexpr std::array<Member, 16> kMembers = {{{"OnConnection", 4},
                                              {"OnDisconnection", 2},
                                              {"OnAddInsUpdate", 1},
                                              {"OnStartupComplete", 1},
                                              {"OnBeginShutdown", 1},
                                              {"GetCustomUI", 1},
                                              {ribbon::kOnLoad, 1},
                                              {ribbon::kGetLabel, 1},
                                              {ribbon::kGetImage, 1},
                                              {ribbon::kGetVisible, 1},
                                              {ribbon::kGetEnabled, 1},
                                              {ribbon::kOnAction, 1},
                                              {ribbon::kGetItemCount, 1},
                                              {ribbon::kGetItemLabel, 2},
                                              {ribbon::kGetSelectedItemIndex, 1},
                                              {ribbon::kOnChoose, 3}}};
constexpr DISPID kOnConnection = 1;
constexpr DISPID kOnDisconnection = 2;
constexpr DISPID kOnAddInsUpdate = 3;
constexpr DISPID kOnStartupComplete = 4;
constexpr DISPID kOnBeginShutdown = 5;
constexpr DISPID kGetCustomUI = 6;
constexpr DISPID kFirstCallback = 7;

bool SameName(const std::string& a, const char* b) {
  return CompareStringOrdinal(Utf8ToWide(a).c_str(), -1, Utf8ToWide(b).c_str(), -1, TRUE) ==
         CSTR_EQUAL;
}

// An argument in declaration order, converted; throws a type mismatch.
UniqueVariant Argument(const DISPPARAMS& parameters, UINT position, VARTYPE type) {
  if (position >= parameters.cArgs) throw voxtrel::Error(errnum::kTypeMismatch);
  UniqueVariant value;
  if (FAILED(VariantChangeType(value.get(), &parameters.rgvarg[parameters.cArgs - 1 - position], 0,
                               type))) {
    throw voxtrel::Error(errnum::kTypeMismatch);
  }
  return value;
}

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

HRESULT ConnectObject::GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) {
  if (RibbonXml == nullptr) return E_POINTER;
  *RibbonXml = nullptr;
  return CallCore([&](voxtrel::Connect& core) {
    *RibbonXml =
        UniqueBstr::FromUtf8(core.Ribbon_GetCustomUI(UniqueBstr::ToUtf8(RibbonID))).release();
  });
}

// Office passes the IRibbonControl first, then a dropDown's index or its choice.
HRESULT ConnectObject::InvokeCallback(const std::string& name, const DISPPARAMS& parameters,
                                      VARIANT* result) {
  return CallCore([&](voxtrel::Connect& core) {
    if (name == ribbon::kOnLoad) {
      core.Ribbon_OnLoad(outlook::WrapRibbonUI(outlook::ObjectArgument(parameters, 0)));
      return;
    }
    const ComPtr<IDispatch> object = outlook::ObjectArgument(parameters, 0);
    if (!object) throw voxtrel::Error(errnum::kTypeMismatch);
    const voxtrel::outlook::RibbonControl control = outlook::ReadRibbonControl(*object.get());
    UniqueVariant answer;
    if (name == ribbon::kGetLabel) {
      answer = UniqueVariant::Text(core.Ribbon_GetLabel(control));
    } else if (name == ribbon::kGetImage) {
      const auto image = core.Ribbon_GetImage(control);
      if (image) answer = UniqueVariant::Dispatch(outlook::MakeRibbonImage(*image).get());
    } else if (name == ribbon::kGetVisible) {
      answer = UniqueVariant::Bool(core.Ribbon_GetVisible(control));
    } else if (name == ribbon::kGetEnabled) {
      answer = UniqueVariant::Bool(core.Ribbon_GetEnabled(control));
    } else if (name == ribbon::kOnAction) {
      core.Ribbon_OnAction(control);
    } else if (name == ribbon::kGetItemCount) {
      answer = UniqueVariant::Int(core.Ribbon_GetItemCount(control));
    } else if (name == ribbon::kGetItemLabel) {
      const std::int32_t index = V_I4(Argument(parameters, 1, VT_I4).get());
      answer = UniqueVariant::Text(core.Ribbon_GetItemLabel(control, index));
    } else if (name == ribbon::kGetSelectedItemIndex) {
      answer = UniqueVariant::Int(core.Ribbon_GetSelectedItemIndex(control));
    } else if (name == ribbon::kOnChoose) {
      UniqueVariant selected = Argument(parameters, 1, VT_BSTR);
      const std::int32_t index = V_I4(Argument(parameters, 2, VT_I4).get());
      core.Ribbon_OnChoose(control, UniqueBstr::ToUtf8(V_BSTR(selected.get())), index);
    }
    if (result != nullptr) *result = answer.release();
  });
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
  const std::string name = WideToUtf8(names[0]);
  for (std::size_t i = 0; i < kMembers.size(); ++i) {
    if (SameName(name, kMembers[i].name)) ids[0] = static_cast<DISPID>(i + 1);
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
  const HRESULT hr = InvokeMember(id, *parameters, result, argumentError);
  if (FAILED(hr) && lastError_) return InvokeFailure(exception, *lastError_, hr);
  return hr;
}

// The arguments the core ignores are not looked at.
HRESULT ConnectObject::InvokeMember(DISPID id, const DISPPARAMS& parameters, VARIANT* result,
                                    UINT* argumentError) {
  if (id >= kFirstCallback) {
    return InvokeCallback(kMembers[static_cast<std::size_t>(id - 1)].name, parameters, result);
  }
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
    case kGetCustomUI: {
      UniqueVariant ribbonId;
      if (parameters.cArgs != 1) return DISP_E_BADPARAMCOUNT;
      if (FAILED(VariantChangeType(ribbonId.get(), &parameters.rgvarg[0], 0, VT_BSTR))) {
        if (argumentError != nullptr) *argumentError = 0;
        return DISP_E_TYPEMISMATCH;
      }
      BSTR xml = nullptr;
      const HRESULT hr = GetCustomUI(V_BSTR(ribbonId.get()), &xml);
      if (SUCCEEDED(hr) && result != nullptr) {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = xml;
      } else {
        SysFreeString(xml);
      }
      return hr;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

HRESULT ConnectObject::InterfaceSupportsErrorInfo(REFIID iid) {
  return IsEqualIID(iid, __uuidof(IDTExtensibility2)) ? S_OK : S_FALSE;
}

}  // namespace voxtrel::win32::com
