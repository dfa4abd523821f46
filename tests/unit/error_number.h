#pragma once

#include <functional>

#include "common/error.h"

namespace voxtrel {

// The number of the error an action raises; 0 when it raises none.
inline int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

}  // namespace voxtrel
