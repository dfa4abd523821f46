#pragma once

#include <windows.h>

#include <utility>

namespace voxtrel::win32 {

template <typename T>
constexpr bool NotNull(T value) noexcept {
  return value != T{};
}

// Owns one handle of a kind that `Close` gives back; a handle for which `IsValid` is false is
// none. One line per kind below, as wil::unique_any does it.
template <typename T, auto Close, auto IsValid = &NotNull<T>>
class UniqueAny {
 public:
  using pointer = T;

  UniqueAny() = default;
  explicit UniqueAny(T value) noexcept : value_(value) {}
  ~UniqueAny() { reset(); }
  UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
  UniqueAny& operator=(UniqueAny&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueAny(const UniqueAny&) = delete;
  UniqueAny& operator=(const UniqueAny&) = delete;

  T get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return IsValid(value_); }
  // For functions that hand a new handle out through a pointer.
  T* put() noexcept {
    reset();
    return &value_;
  }
  [[nodiscard]] T release() noexcept { return std::exchange(value_, T{}); }
  void reset(T value = T{}) noexcept {
    const T old = std::exchange(value_, value);
    if (IsValid(old)) Close(old);
  }

 private:
  T value_{};
};

inline bool IsValidKernelHandle(HANDLE handle) noexcept {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

using UniqueHandle = UniqueAny<HANDLE, &CloseHandle, &IsValidKernelHandle>;
using UniqueFindHandle = UniqueAny<HANDLE, &FindClose, &IsValidKernelHandle>;
using UniqueHkey = UniqueAny<HKEY, &RegCloseKey>;
using UniqueWindow = UniqueAny<HWND, &DestroyWindow>;
using UniqueMemoryDc = UniqueAny<HDC, &DeleteDC>;
template <typename Gdi>
void DeleteGdiObject(Gdi object) noexcept {
  DeleteObject(object);
}
template <typename Gdi>
using UniqueGdiObject = UniqueAny<Gdi, &DeleteGdiObject<Gdi>>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniquePen = UniqueGdiObject<HPEN>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueGlobal = UniqueAny<HGLOBAL, &GlobalFree>;
using UniqueEnhMetafile = UniqueAny<HENHMETAFILE, &DeleteEnhMetaFile>;
using UniqueMetafile = UniqueAny<HMETAFILE, &DeleteMetaFile>;

}  // namespace voxtrel::win32
