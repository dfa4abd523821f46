// The DLL's exports, named in voxtrel.def.
#include <windows.h>

#include <objbase.h>
#include <olectl.h>

#include "voxtrel_idl.h"
#include "win32/com/class_factory.h"
#include "win32/com/connect_object.h"
#include "win32/com/module.h"
#include "win32/com/registration.h"
#include "win32/com/thread_platform.h"
#include "win32/com/voxtrel_inst_object.h"

using voxtrel::win32::com::ClassFactory;
using voxtrel::win32::com::ModuleCounts;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (IsEqualCLSID(clsid, CLSID_VoxtrelInst)) {
    return ClassFactory::Create(&voxtrel::win32::com::VoxtrelInstObject::Create, iid, out);
  }
  if (IsEqualCLSID(clsid, voxtrel::win32::com::kClsidConnect)) {
    return ClassFactory::Create(&voxtrel::win32::com::ConnectObject::Create, iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
  if (ModuleCounts::InUse()) return S_FALSE;
  // The last object has gone and COM asks from outside our code: the thread's windows, timers
  // and devices can end now, not later under the loader lock.
  voxtrel::win32::com::ReleaseThreadPlatform();
  // Another thread's ports keep windows whose procedures are in this DLL.
  if (voxtrel::win32::com::ThreadPlatformsAlive()) return S_FALSE;
  voxtrel::win32::UnregisterWindowClasses();
  return S_OK;
}

STDAPI DllRegisterServer() {
  return voxtrel::win32::com::RegisterServer();
}

STDAPI DllUnregisterServer() {
  return voxtrel::win32::com::UnregisterServer();
}
