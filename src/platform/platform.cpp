#include "platform/platform.h"

#include <stdexcept>

namespace voxtrel::platform {
namespace {
thread_local const Services* current = nullptr;
}

const Services& Current() {
  if (current == nullptr) throw std::logic_error("no platform services on this thread");
  return *current;
}

ScopedServices::ScopedServices(const Services& services) : previous_(current) {
  current = &services;
}

ScopedServices::~ScopedServices() {
  current = previous_;
}

}  // namespace voxtrel::platform
