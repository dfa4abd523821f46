#include "win32/com/unique_bstr.h"

#include <new>

#include "win32/base/text.h"

namespace voxtrel::win32::com {

UniqueBstr UniqueBstr::FromWide(std::wstring_view wide) {
  BSTR value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (value == nullptr) throw std::bad_alloc();
  return UniqueBstr(value);
}

UniqueBstr UniqueBstr::FromUtf8(std::string_view utf8) {
  return FromWide(Utf8ToWide(utf8));
}

std::string UniqueBstr::ToUtf8(BSTR value) {
  if (value == nullptr) return std::string();
  return WideToUtf8(std::wstring_view(value, SysStringLen(value)));
}

}  // namespace voxtrel::win32::com
