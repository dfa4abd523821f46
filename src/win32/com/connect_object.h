#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <optional>
#include <string>

#include "host/connect.h"
#include "win32/com/automation_error.h"
#include "win32/com/com_object.h"
#include "win32/com/dt_extensibility2.h"
#include "win32/com/ribbon_extensibility.h"

namespace voxtrel::win32::com {

// Voxtrel.Connect, fixed once: {52DE24F7-78C8-4EFD-B326-6BE50CDB2FCB}.
inline constexpr CLSID kClsidConnect = {
    0x52DE24F7, 0x78C8, 0x4EFD, {0xB3, 0x26, 0x6B, 0xE5, 0x0C, 0xDB, 0x2F, 0xCB}};

// The add-in as Outlook creates it: IDTExtensibility2 and IRibbonExtensibility through their
// vtables and through Invoke (by name or dispatch id), with the Ribbon's callbacks by name, over
// one core Connect given the host's application as its port. The final release ends the core;
// nothing throws out of it.
class ConnectObject final : public ComObject<ConnectObject, WithBases<IDTExtensibility2, IDispatch>,
                                             IRibbonExtensibility, ISupportErrorInfo> {
 public:
  static HRESULT Create(REFIID iid, void** out) noexcept;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, int ConnectMode,
                                         IDispatch* AddInInst, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnDisconnection(int RemoveMode, SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

  HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) override;

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  friend ComObject;
  ConnectObject();
  ~ConnectObject() = default;

  template <typename Body>
  HRESULT CallCore(Body&& body) noexcept;
  HRESULT InvokeMember(DISPID id, const DISPPARAMS& parameters, VARIANT* result,
                       UINT* argumentError);
  HRESULT InvokeCallback(const std::string& name, const DISPPARAMS& parameters, VARIANT* result);

  std::unique_ptr<voxtrel::Connect> core_;
  // The failure of the call running inside Invoke, for the EXCEPINFO.
  std::optional<AutomationError> lastError_;
};

}  // namespace voxtrel::win32::com
