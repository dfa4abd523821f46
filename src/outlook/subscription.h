#pragma once

#include <memory>

namespace voxtrel::outlook {

// One event subscription on a host object; it ends when this is released.
class ISubscription {
 public:
  virtual ~ISubscription() = default;
};
using Subscription = std::unique_ptr<ISubscription>;

}  // namespace voxtrel::outlook
