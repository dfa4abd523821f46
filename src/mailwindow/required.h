#pragma once

#include <memory>

#include "common/error.h"

namespace voxtrel {

inline constexpr int kObjectNotSet = 91;

// An object reference a step needs: an empty one fails the step as the classic runtime does.
template <typename T>
T& Required(const std::shared_ptr<T>& object) {
  if (!object) throw Error(kObjectNotSet);
  return *object;
}

}  // namespace voxtrel
