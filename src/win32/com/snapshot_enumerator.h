#pragma once

#include <windows.h>

#include <ocidl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "win32/com/automation_error.h"
#include "win32/com/com_object.h"
#include "win32/com/com_ptr.h"

namespace voxtrel::win32::com {

// A connection as IEnumConnections hands it out.
struct ConnectionEntry {
  ComPtr<IUnknown> sink;
  DWORD cookie = 0;
};

inline void CopyOut(const ConnectionEntry& entry, CONNECTDATA& out) {
  entry.sink.CopyTo(&out.pUnk);
  out.dwCookie = entry.cookie;
}

template <typename T>
void CopyOut(const ComPtr<T>& entry, T*& out) {
  entry.CopyTo(&out);
}

// IEnumXxx over a snapshot it holds its own references to, so the source may change while a
// client walks it. Clones share the snapshot.
template <typename Interface, typename Item, typename Entry>
class SnapshotEnumerator final
    : public ComObject<SnapshotEnumerator<Interface, Item, Entry>, Interface> {
 public:
  using Entries = std::vector<Entry>;

  static HRESULT Create(Entries entries, Interface** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return ComEntry(__uuidof(Interface), [&] {
      *out = SnapshotEnumerator::Make(std::make_shared<const Entries>(std::move(entries)), 0u)
                 .detach();
    });
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) override {
    if (items == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    for (; done < count && position_ < entries_->size(); ++done, ++position_) {
      CopyOut((*entries_)[position_], items[done]);
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = entries_->size() - position_;
    position_ += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(Interface** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    return ComEntry(__uuidof(Interface),
                    [&] { *out = SnapshotEnumerator::Make(entries_, position_).detach(); });
  }

 private:
  friend ComObject<SnapshotEnumerator, Interface>;
  SnapshotEnumerator(std::shared_ptr<const Entries> entries, std::size_t position)
      : entries_(std::move(entries)), position_(position) {}
  ~SnapshotEnumerator() = default;

  std::shared_ptr<const Entries> entries_;
  std::size_t position_;
};

using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, ConnectionEntry>;
using ConnectionPointEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>>;

}  // namespace voxtrel::win32::com
