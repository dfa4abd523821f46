// Voxtrel.Connect called through IDispatch, as hosts other than Outlook call an add-in: by name
// or by dispatch id, with the arguments the add-in ignores in whatever type the host chose.
// Without an Outlook the connection handler traces its error; the log shows that each call
// reached the add-in. Sessions of outlook-sim.exe show the rest, with an application.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win32/com/com_ptr.h"
#include "wine/support/com_registry.h"

namespace voxtrel {
namespace {

using win32::com::ComPtr;

VARIANT Text(const wchar_t* text) {
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(text);
  return value;
}

VARIANT Typed(VARTYPE type) {
  VARIANT value{};
  V_VT(&value) = type;
  return value;
}

// The trace log's lines after its header.
std::vector<std::string> TraceLines() {
  std::ifstream file(win32::testing::ProgramFolder() + "\\Debug.log", std::ios::binary);
  const std::string log{std::istreambuf_iterator<char>(file), {}};
  std::vector<std::string> lines;
  for (std::size_t start = log.find("\r\n"); start != std::string::npos;) {
    const std::size_t end = log.find("\r\n", start + 2);
    if (end == std::string::npos) break;
    lines.push_back(log.substr(start + 2, end - start - 2));
    start = end;
  }
  return lines;
}

class ComConnect : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }

  HRESULT Call(DISPID id, std::vector<VARIANT> arguments, UINT* argumentError = nullptr) {
    DISPPARAMS parameters{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    const HRESULT hr = connect_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &parameters, nullptr,
                                        nullptr, argumentError);
    for (VARIANT& argument : arguments) VariantClear(&argument);
    return hr;
  }

  ComPtr<IDispatch> connect_;
};

TEST_F(ComConnect, InvokeTakesEachCallByNameOrIdWithArgumentsOfAnyType) {
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"Voxtrel.Connect", &clsid), S_OK) << "see com.register";
  ASSERT_EQ(
      CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, connect_.put_void()),
      S_OK);

  std::vector<DISPID> ids;
  for (const wchar_t* name : {L"onconnection", L"OnDisconnection", L"ONADDINSUPDATE",
                              L"OnStartupComplete", L"OnBeginShutdown"}) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(connect_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
    ids.push_back(id);
  }
  EXPECT_EQ(ids, (std::vector<DISPID>{1, 2, 3, 4, 5}));

  // OnConnection(Application, ConnectMode, AddInInst, custom), last argument first.
  UINT argumentError = 99;
  EXPECT_EQ(Call(1, {Typed(VT_EMPTY), Typed(VT_EMPTY), Text(L"start-up"), Text(L"Outlook")},
                 &argumentError),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argumentError, 3u);
  EXPECT_EQ(Call(1, {Typed(VT_I4), Typed(VT_NULL), Text(L"1"), Typed(VT_DISPATCH)}), S_OK);
  EXPECT_EQ(Call(4, {Text(L"custom")}), S_OK);
  EXPECT_EQ(Call(3, {}), S_OK);
  EXPECT_EQ(Call(5, {Typed(VT_R8)}), S_OK);
  EXPECT_EQ(Call(2, {Typed(VT_ERROR), Text(L"host shutdown")}), S_OK);
  // Then IRibbonExtensibility's GetCustomUI and the Ribbon's callbacks; nothing after them.
  EXPECT_EQ(Call(6, {}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(6, {Typed(VT_DISPATCH)}), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Call(17, {}), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(4, {Typed(VT_EMPTY), Typed(VT_EMPTY)}), DISP_E_BADPARAMCOUNT);
  connect_.reset();

  EXPECT_EQ(TraceLines(),
            (std::vector<std::string>{
                "Connect.AddinInstance_OnConnection ERROR: Type mismatch",
                "ENTER AddinInstance_OnDisconnection()", "-> ENT AddinInstance_Terminate()",
                "-> EXT  AddinInstance_Terminate()", "EXIT AddinInstance_OnDisconnection()",
                "-> ENT AddinInstance_Terminate()", "-> EXT  AddinInstance_Terminate()"}));
}

}  // namespace
}  // namespace voxtrel
