#pragma once

#include <string>

namespace voxtrel::platform {

// The wall clock as the user's locale shows it.
class IClock {
 public:
  virtual ~IClock() = default;
  // The current local date and time: the locale's short date, a blank, its long time.
  virtual std::string NowText() = 0;
};

}  // namespace voxtrel::platform
