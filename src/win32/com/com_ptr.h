#pragma once

#include <windows.h>

#include <objbase.h>

#include <cstddef>
#include <utility>

namespace voxtrel::win32::com {

// Owns one reference to a COM object; copying adds a reference, destruction releases it.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Adds a reference of its own to a borrowed pointer.
  explicit ComPtr(T* borrowed) : pointer_(borrowed) {
    if (pointer_ != nullptr) pointer_->AddRef();
  }
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr& other) : ComPtr(other.pointer_) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }

  // Takes over a reference the caller owns.
  static ComPtr Adopt(T* owned) {
    ComPtr result;
    result.pointer_ = owned;
    return result;
  }

  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For an out parameter: releases what is held and lets the callee fill it.
  T** put() {
    reset();
    return &pointer_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  T* detach() { return std::exchange(pointer_, nullptr); }
  void reset() {
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }

  // A new reference into an out parameter; null stays null.
  HRESULT CopyTo(T** out) const {
    if (out == nullptr) return E_POINTER;
    *out = pointer_;
    if (pointer_ != nullptr) pointer_->AddRef();
    return S_OK;
  }

  template <typename U>
  ComPtr<U> Query() const {
    ComPtr<U> result;
    if (pointer_ != nullptr) pointer_->QueryInterface(__uuidof(U), result.put_void());
    return result;
  }
  ComPtr<IUnknown> Query(REFIID iid) const {
    ComPtr<IUnknown> result;
    if (pointer_ != nullptr) pointer_->QueryInterface(iid, result.put_void());
    return result;
  }

 private:
  T* pointer_ = nullptr;
};

}  // namespace voxtrel::win32::com
