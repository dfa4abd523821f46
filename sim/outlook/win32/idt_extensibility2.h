#pragma once

#include <windows.h>

#include <oaidl.h>

// The COM add-in connection interface as Outlook calls it (AddInDesignerObjects 1.0); declared
// here because no system header carries it.
namespace voxtrel::olsim::win32 {

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID kIidDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// ext_ConnectMode and ext_DisconnectMode.
inline constexpr int kConnectStartup = 1;
inline constexpr int kDisconnectHostShutdown = 0;

// Their DISPIDs, for hosts that call through Invoke.
enum DTExtensibility2Dispid : DISPID {
  kOnConnection = 1,
  kOnDisconnection,
  kOnAddInsUpdate,
  kOnStartupComplete,
  kOnBeginShutdown,
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IDTExtensibility2 : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, int ConnectMode,
                                                 IDispatch* AddInInst, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnDisconnection(int RemoveMode, SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};
#pragma GCC diagnostic pop

}  // namespace voxtrel::olsim::win32
