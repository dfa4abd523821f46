#pragma once

#include <windows.h>

#include <atomic>

#include "win32/com/module.h"

namespace voxtrel::win32::com {

// One COM object's reference count, starting at one for its creator. While it lives, the
// object counts as in use for DllCanUnloadNow.
class ObjectRefCount {
 public:
  ObjectRefCount() { ModuleCounts::AddObject(); }
  ~ObjectRefCount() { ModuleCounts::RemoveObject(); }
  ObjectRefCount(const ObjectRefCount&) = delete;
  ObjectRefCount& operator=(const ObjectRefCount&) = delete;

  ULONG Increment() { return count_.fetch_add(1) + 1; }
  ULONG Decrement() { return count_.fetch_sub(1) - 1; }

 private:
  std::atomic<ULONG> count_{1};
};

}  // namespace voxtrel::win32::com
