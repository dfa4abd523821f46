// voxtrel.dll loaded by hand, as COM loads it: once its last object has gone, DllCanUnloadNow
// ends the thread's windows and timers and unregisters its window classes there, not later under
// the loader lock; the DLL then unloads and serves again after a fresh load.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include "voxtrel_idl.h"

namespace voxtrel {
namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

constexpr wchar_t kMessageWindowClass[] = L"VoxtrelMessageWindow";

template <typename Function>
Function Export(HMODULE dll, const char* name) {
  // Through void*: FARPROC's own type says nothing about the export's.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

bool ClassRegistered(HMODULE dll) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  return GetClassInfoExW(dll, kMessageWindowClass, &info) != 0;
}

TEST(ComUnload, TheLastObjectGoneTheDllEndsItsWindowsAndUnloads) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  for (int load = 1; load <= 2; ++load) {
    SCOPED_TRACE("load " + std::to_string(load));
    HMODULE dll = LoadLibraryW(L"voxtrel.dll");
    ASSERT_NE(dll, nullptr);
    const auto getClassObject = Export<GetClassObjectFn>(dll, "DllGetClassObject");
    const auto canUnloadNow = Export<CanUnloadNowFn>(dll, "DllCanUnloadNow");
    ASSERT_TRUE(getClassObject != nullptr && canUnloadNow != nullptr);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(
        getClassObject(CLSID_VoxtrelInst, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    IDispatch* recorder = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&recorder)),
              S_OK);
    factory->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_TRUE(ClassRegistered(dll));

    recorder->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);
    EXPECT_FALSE(ClassRegistered(dll)) << "a class would outlive the DLL with a dangling procedure";
    EXPECT_TRUE(FreeLibrary(dll));
  }
  CoUninitialize();
}

}  // namespace
}  // namespace voxtrel
