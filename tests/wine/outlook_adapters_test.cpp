// The Outlook adapters against a host object of the test's own, for what the sessions of the
// simulated Outlook never make them do: the argument forms of every kind of call, the host's
// errors, the Outlook 2002 event interfaces and the by-reference answers of event handlers.
#include <gtest/gtest.h>

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/error.h"
#include "win32/base/text.h"
#include "win32/com/com_object.h"
#include "win32/com/unique_bstr.h"
#include "win32/outlook/adapters.h"

namespace voxtrel {
namespace {

using win32::com::ComObject;
using win32::com::ComPtr;
using win32::com::UniqueBstr;
using win32::outlook::OutlookIid;

constexpr IID kExplorerEvents10 = OutlookIid(0x0006300F);
constexpr IID kButtonEvents = OutlookIid(0x000C0351);
constexpr DISPID kClose = 0xF008;
constexpr DISPID kSelectionChange = 0xF007;
constexpr DISPID kClick = 1;

std::string ArgumentText(const VARIANT& argument) {
  switch (V_VT(&argument)) {
    case VT_BSTR:
      return "\"" + UniqueBstr::ToUtf8(V_BSTR(&argument)) + "\"";
    case VT_I4:
      return std::to_string(V_I4(&argument));
    case VT_BOOL:
      return V_BOOL(&argument) ? "True" : "False";
    default:
      return V_VT(&argument) == VT_ERROR ? "missing" : "?";
  }
}

// One object in every role (application, explorer, bars, bar, button) that logs each call by
// name. Delete fails through EXCEPINFO, PasteFace through IErrorInfo, Top is unknown; events
// are offered on ExplorerEvents_10 and _CommandBarButtonEvents only.
class Host final : public ComObject<Host, IDispatch, IConnectionPointContainer, IConnectionPoint> {
 public:
  static constexpr std::array<const wchar_t*, 7> kNames = {
      L"ActiveExplorer", L"CommandBars", L"Add", L"Visible", L"Controls", L"Delete", L"PasteFace"};

  std::vector<std::string> log;
  ComPtr<IDispatch> sink;

  HRESULT Fire(DISPID id, std::vector<VARIANT> arguments, std::string& description) {
    DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    EXCEPINFO exception{};
    const HRESULT hr =
        sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr, &exception, nullptr);
    description = UniqueBstr(exception.bstrDescription).ToUtf8();
    SysFreeString(exception.bstrSource);
    return hr;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    log.push_back("name " + win32::WideToUtf8(names[0]));
    for (std::size_t i = 0; i < kNames.size(); ++i) {
      if (wcscmp(names[0], kNames[i]) == 0) {
        *ids = static_cast<DISPID>(i);
        return S_OK;
      }
    }
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT*) override {
    std::string call = (flags & DISPATCH_PROPERTYPUT) ? "put " : (result ? "get " : "call ");
    call += win32::WideToUtf8(kNames[static_cast<std::size_t>(id)]) + "(";
    for (UINT i = parameters->cArgs; i-- > 0;) {
      call += ArgumentText(parameters->rgvarg[i]) + (i > 0 ? ", " : "");
    }
    log.push_back(call + ")" + (parameters->cNamedArgs == 1 ? " named put" : ""));
    if (kNames[static_cast<std::size_t>(id)] == std::wstring(L"Delete")) {
      exception->scode = DISP_E_BADINDEX;
      exception->bstrSource = SysAllocString(L"Microsoft Office Outlook");
      exception->bstrDescription = SysAllocString(L"Array index out of bounds.");
      return DISP_E_EXCEPTION;
    }
    if (kNames[static_cast<std::size_t>(id)] == std::wstring(L"PasteFace")) {
      ComPtr<ICreateErrorInfo> create;
      CreateErrorInfo(create.put());
      create->SetDescription(const_cast<LPOLESTR>(L"The clipboard holds no picture."));
      SetErrorInfo(0, create.Query<IErrorInfo>().get());
      return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 481);
    }
    if (result != nullptr) {
      V_VT(result) = VT_DISPATCH;
      V_DISPATCH(result) = this;
      AddRef();
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    const bool offered = IsEqualIID(iid, kExplorerEvents10) || IsEqualIID(iid, kButtonEvents);
    char prefix[9];
    std::snprintf(prefix, sizeof prefix, "%08lX", static_cast<unsigned long>(iid.Data1));
    log.push_back((offered ? "find " : "refuse ") + std::string(prefix));
    if (!offered) return CONNECT_E_NOCONNECTION;
    events_ = iid;
    return ComPtr<IConnectionPoint>(this).CopyTo(out);
  }
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* client, DWORD* cookie) override {
    // As Outlook does: the sink must answer the event interface itself.
    if (FAILED(client->QueryInterface(events_, sink.put_void()))) return CONNECT_E_CANNOTCONNECT;
    log.push_back("advise");
    *cookie = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    log.push_back("unadvise " + std::to_string(cookie));
    sink.reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

 private:
  friend ComObject;
  Host() = default;
  ~Host() = default;
  IID events_ = IID_NULL;
};

VARIANT BoolReference(VARIANT_BOOL& value) {
  VARIANT argument;
  V_VT(&argument) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&argument) = &value;
  return argument;
}

std::string Failure(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& error) {
    return std::to_string(error.number()) + " " + error.source() + ": " + error.description();
  }
  return "no failure";
}

class OutlookAdapters : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

TEST_F(OutlookAdapters, CallByNameOncePerObjectWithOmittedArgumentsAndRaiseTheHostsErrors) {
  const ComPtr<Host> host = Host::Make();
  {
    const auto bars = win32::outlook::WrapApplication(ComPtr<IDispatch>(host.get()))
                          ->ActiveExplorer()
                          ->CommandBars();
    const auto bar = bars->Add("Vox Trel", outlook::kBarTop, true);
    bar->Visible(false);
    bar->Visible(true);
    const auto button = bar->Controls()->AddButton("Record");
    EXPECT_EQ(Failure([&] { bar->Delete(); }),
              "-2147352565 Microsoft Office Outlook: Array index out of bounds.");
    EXPECT_EQ(Failure([&] { button->PasteFace(); }),
              "481 Voxtrel: The clipboard holds no picture.");
    EXPECT_EQ(Failure([&] { button->Top(); }),
              "438 Voxtrel: Object doesn't support this property or method");
  }
  EXPECT_EQ(host->log,
            (std::vector<std::string>{
                "name ActiveExplorer", "get ActiveExplorer()", "name CommandBars",
                "get CommandBars()", "name Add", "get Add(\"Vox Trel\", 1, missing, True)",
                "name Visible", "put Visible(False) named put", "put Visible(True) named put",
                "name Controls", "get Controls()", "name Add", "get Add(1, missing, \"Record\")",
                "name Delete", "call Delete()", "name PasteFace", "call PasteFace()", "name Top"}));
}

TEST_F(OutlookAdapters, SinksHearTheirOneEventOnTheOutlook2002InterfaceUntilReleased) {
  const ComPtr<Host> host = Host::Make();
  const auto explorer =
      win32::outlook::WrapApplication(ComPtr<IDispatch>(host.get()))->ActiveExplorer();
  int closes = 0;
  auto subscription = explorer->SubscribeClose([&] { ++closes; });
  std::string description;
  EXPECT_EQ(host->Fire(kSelectionChange, {}, description), S_OK);
  EXPECT_EQ(host->Fire(kClose, {}, description), S_OK);
  EXPECT_EQ(closes, 1);
  const ComPtr<IDispatch> sink = host->sink;
  subscription.reset();
  // A delivery already on its way when the subscription ended.
  DISPPARAMS none{};
  EXPECT_EQ(sink->Invoke(kClose, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(host->log,
            (std::vector<std::string>{"name ActiveExplorer", "get ActiveExplorer()",
                                      "refuse 0006304F", "find 0006300F", "advise", "unadvise 7"}));
}

TEST_F(OutlookAdapters, AClickHandlerAnswersByReferenceAndItsErrorsStayInTheSink) {
  const ComPtr<Host> host = Host::Make();
  const auto button = win32::outlook::WrapCommandBars(ComPtr<IDispatch>(host.get()))
                          ->Add("Vox Trel", outlook::kBarTop, true)
                          ->Controls()
                          ->AddButton("Record");
  bool fail = false;
  const auto subscription = button->SubscribeClick([&](bool& cancelDefault) {
    if (fail) throw Error(errnum::kInvalidProcedureCall);
    cancelDefault = true;
  });
  VARIANT_BOOL cancel = VARIANT_FALSE;
  std::string description;
  EXPECT_EQ(host->Fire(kClick, {BoolReference(cancel), VARIANT{}}, description), S_OK);
  EXPECT_EQ(cancel, VARIANT_TRUE);
  fail = true;
  cancel = VARIANT_FALSE;
  EXPECT_EQ(host->Fire(kClick, {BoolReference(cancel), VARIANT{}}, description), DISP_E_EXCEPTION);
  EXPECT_EQ(description, "Invalid procedure call or argument");
  EXPECT_EQ(cancel, VARIANT_FALSE);
}

}  // namespace
}  // namespace voxtrel
