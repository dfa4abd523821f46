#pragma once

#include <windows.h>

#include <oaidl.h>

#include "win32/com/com_ptr.h"

namespace voxtrel::win32::com {

// What the recorder object needs from the type library embedded in this DLL.
struct RecorderTypeInfos {
  ComPtr<ITypeInfo> dispatch;  // _VoxtrelInst as IDispatch clients see it
  ComPtr<ITypeInfo> vtable;    // its dual half, whose functions ITypeInfo::Invoke calls
  ComPtr<ITypeInfo> coclass;   // VoxtrelInst, for IProvideClassInfo
};

HRESULT LoadEmbeddedTypeLibrary(ComPtr<ITypeLib>& library) noexcept;
HRESULT LoadRecorderTypeInfos(RecorderTypeInfos& infos) noexcept;

}  // namespace voxtrel::win32::com
