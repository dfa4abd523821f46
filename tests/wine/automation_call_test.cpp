// The automation plumbing the add-in's adapters and the simulated Outlook share: the arguments
// as a callee receives them, who holds what they hold, and a callee's failure as it is read back.
#include <gtest/gtest.h>

#include <windows.h>

#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

#include "win32/com/callee_error.h"
#include "win32/com/com_object.h"
#include "win32/com/dispatch_arguments.h"
#include "win32/com/excep_info.h"
#include "win32/com/unique_bstr.h"
#include "win32/com/unique_variant.h"

namespace voxtrel {
namespace {

using win32::com::CalleeError;
using win32::com::ComObject;
using win32::com::ComPtr;
using win32::com::DispatchArguments;
using win32::com::ExcepInfo;
using win32::com::ReadCalleeError;
using win32::com::UniqueBstr;
using win32::com::UniqueVariant;

ULONG References(IUnknown& object) {
  object.AddRef();
  return object.Release();
}

std::string Describe(const VARIANT& argument) {
  switch (V_VT(&argument)) {
    case VT_BSTR:
      return "\"" + UniqueBstr::ToUtf8(V_BSTR(&argument)) + "\"";
    case VT_I4:
      return std::to_string(V_I4(&argument));
    case VT_BOOL:
      return V_BOOL(&argument) != VARIANT_FALSE ? "True" : "False";
    case VT_DISPATCH:
      return V_DISPATCH(&argument) != nullptr ? "object" : "Nothing";
    case VT_ERROR:
      return V_ERROR(&argument) == DISP_E_PARAMNOTFOUND ? "missing" : "error";
    case VT_BOOL | VT_BYREF:
      return "ByRef Boolean";
    case VT_ARRAY | VT_VARIANT | VT_BYREF:
      return "ByRef Variant()";
    default:
      return "?";
  }
}

// Writes down each call as it arrives, in rgvarg order, and answers ByRef Booleans with True.
class Callee final : public ComObject<Callee, IDispatch> {
 public:
  std::vector<std::string> calls;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT*, EXCEPINFO*, UINT*) override {
    std::string call = std::to_string(id) + (flags == DISPATCH_PROPERTYPUT ? " put" : " call");
    for (UINT i = 0; i < parameters->cArgs; ++i) {
      const VARIANT& argument = parameters->rgvarg[i];
      call += " " + Describe(argument);
      if (V_VT(&argument) == (VT_BOOL | VT_BYREF)) *V_BOOLREF(&argument) = VARIANT_TRUE;
    }
    for (UINT i = 0; i < parameters->cNamedArgs; ++i) {
      call += parameters->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT ? " (named put)" : " (named)";
    }
    calls.push_back(call);
    return S_OK;
  }

 private:
  friend ComObject;
  Callee() = default;
  ~Callee() = default;
};

class AutomationCall : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

TEST_F(AutomationCall, ArgumentsArriveLastFirstAndHoldTheirObjectsUntilCleared) {
  const ComPtr<Callee> callee = Callee::Make();
  const ComPtr<Callee> object = Callee::Make();
  SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  VARIANT_BOOL cancel = VARIANT_FALSE;
  {
    DispatchArguments arguments(UniqueVariant::Text("Vox Trel \xC3\xA9"), UniqueVariant::Int(-7),
                                UniqueVariant::Bool(true), UniqueVariant::Omitted(),
                                UniqueVariant::Dispatch(object.get()),
                                UniqueVariant::Dispatch(nullptr), UniqueVariant::BoolRef(&cancel),
                                UniqueVariant::VariantArrayRef(&custom));
    EXPECT_EQ(References(*object.get()), 2u);
    ExcepInfo exception;
    EXPECT_EQ(InvokeDispatch(*callee.get(), 3, DISPATCH_METHOD, arguments, nullptr, exception),
              S_OK);
    arguments.Clear();
    EXPECT_EQ(References(*object.get()), 1u);
    arguments.Add(UniqueVariant::Bool(false));
    EXPECT_EQ(InvokeDispatch(*callee.get(), 4, DISPATCH_PROPERTYPUT, arguments, nullptr, exception),
              S_OK);
  }
  SafeArrayDestroy(custom);
  EXPECT_EQ(cancel, VARIANT_TRUE);
  EXPECT_EQ(callee->calls, (std::vector<std::string>{
                               "3 call ByRef Variant() ByRef Boolean Nothing object missing True "
                               "-7 \"Vox Trel \xC3\xA9\"",
                               "4 put False (named put)"}));
}

TEST_F(AutomationCall, AVariantMovesReleasesAndClearsWhatItHeld) {
  const ComPtr<Callee> first = Callee::Make();
  const ComPtr<Callee> second = Callee::Make();
  UniqueVariant held = UniqueVariant::Dispatch(first.get());
  UniqueVariant moved(std::move(held));
  EXPECT_EQ(held.type(), VT_EMPTY);
  EXPECT_EQ(References(*first.get()), 2u);
  moved = UniqueVariant::Dispatch(second.get());
  EXPECT_EQ(References(*first.get()), 1u);
  EXPECT_EQ(References(*second.get()), 2u);
  VARIANT released = moved.release();
  EXPECT_EQ(moved.type(), VT_EMPTY);
  EXPECT_EQ(References(*second.get()), 2u);
  VariantClear(&released);
  EXPECT_EQ(References(*second.get()), 1u);
}

int fillIns = 0;

HRESULT STDAPICALLTYPE FillIn(EXCEPINFO* info) {
  ++fillIns;
  info->scode = DISP_E_BADINDEX;
  info->bstrDescription = SysAllocString(L"Array index out of bounds.");
  return S_OK;
}

TEST_F(AutomationCall, AnExcepInfoIsReadWithItsRuntimeNumberAndItsDeferredPartFilledInOnce) {
  ExcepInfo runtime;
  runtime.get()->wCode = 481;
  const CalleeError undescribed = ReadCalleeError(DISP_E_EXCEPTION, &runtime);
  EXPECT_EQ(undescribed.hresult, static_cast<HRESULT>(0x800A01E1));
  EXPECT_EQ(undescribed.number, 481);
  EXPECT_FALSE(undescribed.source);
  EXPECT_EQ(undescribed.description, "");

  ExcepInfo office;
  office.get()->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 5);
  office.get()->bstrSource = SysAllocString(L"Office");
  office.get()->bstrDescription = SysAllocString(L"Invalid procedure call or argument");
  const CalleeError described = ReadCalleeError(DISP_E_EXCEPTION, &office);
  EXPECT_EQ(described.number, 5);
  EXPECT_EQ(described.source, "Office");
  EXPECT_EQ(described.description, "Invalid procedure call or argument");

  ExcepInfo deferred;
  deferred.get()->bstrSource = SysAllocString(L"");
  deferred.get()->pfnDeferredFillIn = FillIn;
  const CalleeError filled = ReadCalleeError(DISP_E_EXCEPTION, &deferred);
  deferred.Read();
  EXPECT_EQ(fillIns, 1);
  EXPECT_EQ(filled.number, -2147352565);
  EXPECT_EQ(filled.source, "");
  EXPECT_EQ(filled.description, "Array index out of bounds.");
}

TEST_F(AutomationCall, WithoutDispExceptionTheThreadsErrorInfoIsTakenAndTheExcepInfoIgnored) {
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.put()), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(L"The clipboard holds no picture."));
  SetErrorInfo(0, create.Query<IErrorInfo>().get());
  ExcepInfo ignored;
  ignored.get()->bstrDescription = SysAllocString(L"not this");
  const HRESULT hr = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 481);
  const CalleeError error = ReadCalleeError(hr, &ignored);
  EXPECT_EQ(error.hresult, hr);
  EXPECT_EQ(error.number, 481);
  EXPECT_FALSE(error.source);
  EXPECT_EQ(error.description, "The clipboard holds no picture.");

  const CalleeError none = ReadCalleeError(E_FAIL);
  EXPECT_EQ(none.number, static_cast<int>(E_FAIL));
  EXPECT_FALSE(none.source);
  EXPECT_EQ(none.description, "");
}

}  // namespace
}  // namespace voxtrel
