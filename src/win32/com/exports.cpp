// The DLL's exports, named in voxtrel.def.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include "voxtrel_idl.h"
#include "win32/com/class_factory.h"
#include "win32/com/module.h"
#include "win32/com/registration.h"
#include "win32/com/thread_platform.h"

using voxtrel::win32::com::ModuleCounts;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_VoxtrelInst)) return CLASS_E_CLASSNOTAVAILABLE;
  return voxtrel::win32::com::VoxtrelInstFactory::Create(iid, out);
}

STDAPI DllCanUnloadNow() {
  // A thread's ports keep windows whose procedures are in this DLL.
  const bool busy = ModuleCounts::InUse() || voxtrel::win32::com::ThreadPlatformsAlive();
  return busy ? S_FALSE : S_OK;
}

STDAPI DllRegisterServer() {
  return voxtrel::win32::com::RegisterServer();
}

STDAPI DllUnregisterServer() {
  return voxtrel::win32::com::UnregisterServer();
}
