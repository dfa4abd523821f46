#include "win32/com/type_library.h"

#include <string>

#include "voxtrel_idl.h"
#include "win32/com/module.h"

namespace voxtrel::win32::com {

HRESULT LoadEmbeddedTypeLibrary(ComPtr<ITypeLib>& library) noexcept {
  try {
    const std::wstring path = ThisModulePath();
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put());
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT LoadRecorderTypeInfos(RecorderTypeInfos& infos) noexcept {
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadEmbeddedTypeLibrary(library);
  if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(IID__VoxtrelInst, infos.dispatch.put());
  // A dual interface's vtable half is the reference -1 of its dispatch half.
  HREFTYPE vtable = 0;
  if (SUCCEEDED(hr)) hr = infos.dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
  if (SUCCEEDED(hr)) hr = infos.dispatch->GetRefTypeInfo(vtable, infos.vtable.put());
  if (SUCCEEDED(hr)) hr = library->GetTypeInfoOfGuid(CLSID_VoxtrelInst, infos.coclass.put());
  return hr;
}

}  // namespace voxtrel::win32::com
