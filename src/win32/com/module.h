#pragma once

#include <windows.h>

#include <atomic>

#include "win32/base/module.h"

namespace voxtrel::win32::com {

// What DllCanUnloadNow weighs: live objects (class factories and enumerators included) and
// IClassFactory::LockServer locks.
class ModuleCounts {
 public:
  static void AddObject() { objects_.fetch_add(1); }
  static void RemoveObject() { objects_.fetch_sub(1); }
  static void Lock() { locks_.fetch_add(1); }
  static void Unlock() { locks_.fetch_sub(1); }
  static bool InUse() { return objects_.load() != 0 || locks_.load() != 0; }

 private:
  static inline std::atomic<long> objects_{0};
  static inline std::atomic<long> locks_{0};
};

}  // namespace voxtrel::win32::com
