#pragma once

#include <windows.h>

#include <oaidl.h>

// Office's IRibbonExtensibility (Office 2007 on), which no mingw header carries: Office asks an
// add-in for its Ribbon XML through it.
namespace voxtrel::win32::com {

// COM interfaces are released, never deleted through the pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IRibbonExtensibility : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) = 0;
};
#pragma GCC diagnostic pop

}  // namespace voxtrel::win32::com

// {000C0396-0000-0000-C000-000000000046}, for __uuidof.
__CRT_UUID_DECL(voxtrel::win32::com::IRibbonExtensibility, 0x000C0396, 0x0000, 0x0000, 0xC0, 0x00,
                0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
