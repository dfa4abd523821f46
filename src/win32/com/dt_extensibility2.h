#pragma once

#include <windows.h>

#include <oaidl.h>

// The COM add-in connection interface (AddInDesignerObjects 1.0), which no system header carries.
// Published: the slot order after IDispatch and the dispatch ids 1 to 5 follow the declaration.
namespace voxtrel::win32::com {

// COM interfaces are released, never deleted through the pointer.
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

}  // namespace voxtrel::win32::com

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}, for __uuidof.
__CRT_UUID_DECL(voxtrel::win32::com::IDTExtensibility2, 0xB65AD801, 0xABAF, 0x11D0, 0xBB, 0x8B,
                0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44)
