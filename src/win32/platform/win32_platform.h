#pragma once

#include <memory>

#include "platform/platform.h"

namespace voxtrel::win32 {

// Every port's Win32 implementation, installed for the creating thread while it lives.
class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  const platform::Services& services() const;

 private:
  struct Ports;
  std::unique_ptr<Ports> ports_;
  std::unique_ptr<platform::ScopedServices> scope_;
};

}  // namespace voxtrel::win32
