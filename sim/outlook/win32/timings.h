#pragma once

#include <chrono>
#include <string>

namespace voxtrel::olsim::win32 {

// With --timings: how long the add-in took for each call and event, on standard error.
class Timings {
 public:
  explicit Timings(bool enabled) : enabled_(enabled) {}
  bool enabled() const { return enabled_; }
  template <typename Body>
  auto Time(const std::string& what, Body&& body) {
    const auto start = std::chrono::steady_clock::now();
    struct Report {
      Timings& timings;
      const std::string& what;
      std::chrono::steady_clock::time_point start;
      ~Report() { timings.Print(what, std::chrono::steady_clock::now() - start); }
    } report{*this, what, start};
    return body();
  }
  void Print(const std::string& what, std::chrono::steady_clock::duration took) const;

 private:
  bool enabled_;
};

}  // namespace voxtrel::olsim::win32
