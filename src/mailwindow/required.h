#pragma once

#include <memory>

#include "common/error.h"
#include "outlook/subscription.h"

namespace voxtrel {

inline constexpr int kObjectNotSet = 91;
inline constexpr int kEventsNotSupported = 459;

// An object reference a step needs: an empty one fails the step as the classic runtime does.
template <typename T>
T& Required(const std::shared_ptr<T>& object) {
  if (!object) throw Error(kObjectNotSet);
  return *object;
}

// A subscription a step needs: one the host refused fails the step as the classic runtime's
// WithEvents does.
inline outlook::Subscription Required(outlook::Subscription subscription) {
  if (!subscription) {
    throw Error(kEventsNotSupported, kDefaultErrorSource,
                "Object or class does not support the set of events");
  }
  return subscription;
}

}  // namespace voxtrel
