#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <tuple>
#include <type_traits>
#include <utility>

#include "win32/com/com_ptr.h"
#include "win32/com/module.h"

namespace voxtrel::win32::com {

// An interface that QueryInterface also hands out for the IIDs of some of its bases, such as a
// dual interface for IDispatch or IProvideClassInfo2 for IProvideClassInfo.
template <typename Interface, typename... Bases>
struct WithBases {};

namespace com_object_detail {

template <typename Entry>
struct InterfaceOf {
  using Type = Entry;
  static bool Answers(REFIID iid) { return IsEqualIID(iid, __uuidof(Entry)); }
};

template <typename Interface, typename... Bases>
struct InterfaceOf<WithBases<Interface, Bases...>> {
  static_assert((std::is_base_of_v<Bases, Interface> && ...));
  using Type = Interface;
  static bool Answers(REFIID iid) {
    return IsEqualIID(iid, __uuidof(Interface)) || (IsEqualIID(iid, __uuidof(Bases)) || ...);
  }
};

// COM objects are deleted by their own Release, never through an interface pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// Derives from every listed interface and answers QueryInterface for them; the first also stands
// for IUnknown, the identity of the object.
template <typename... Entries>
class Interfaces : public InterfaceOf<Entries>::Type... {
 public:
  Interfaces(const Interfaces&) = delete;
  Interfaces& operator=(const Interfaces&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    IUnknown* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
      found = As<std::tuple_element_t<0, std::tuple<Entries...>>>();
    } else {
      (void)((InterfaceOf<Entries>::Answers(iid) && (found = As<Entries>()) != nullptr) || ...);
    }
    *out = found;
    if (found == nullptr) return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
  }

 protected:
  Interfaces() = default;
  ~Interfaces() = default;

 private:
  template <typename Entry>
  IUnknown* As() {
    return static_cast<typename InterfaceOf<Entry>::Type*>(this);
  }
};
#pragma GCC diagnostic pop

}  // namespace com_object_detail

// IUnknown for a COM object implementing `Entries` (interfaces or WithBases): its reference
// count starts at one for its maker, it deletes itself on the last Release, and while it lives
// it counts for DllCanUnloadNow. Derived befriends this base when its constructor is private.
template <typename Derived, typename... Entries>
class ComObject : public com_object_detail::Interfaces<Entries...> {
 public:
  // Throws std::bad_alloc, or what the constructor throws.
  template <typename... Args>
  static ComPtr<Derived> Make(Args&&... args) {
    return ComPtr<Derived>::Adopt(new Derived(std::forward<Args>(args)...));
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1) + 1; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 protected:
  ComObject() { ModuleCounts::AddObject(); }
  ~ComObject() { ModuleCounts::RemoveObject(); }

 private:
  std::atomic<ULONG> refs_{1};
};

// IUnknown for a part of an outer object that lives and dies with it: a client holding the part
// holds the outer object. It answers only its own interfaces.
template <typename Outer, typename... Entries>
class ComPart : public com_object_detail::Interfaces<Entries...> {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return outer_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return outer_.Release(); }

 protected:
  explicit ComPart(Outer& outer) : outer_(outer) {}
  ~ComPart() = default;

  Outer& outer() const { return outer_; }

 private:
  Outer& outer_;
};

}  // namespace voxtrel::win32::com
