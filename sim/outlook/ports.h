#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "outlook/object_model.h"
#include "sim/outlook/model.h"

// The add-in's ports over the simulated Outlook, for the core linked directly.
namespace voxtrel::olsim {

// Every port object and subscription handed to the add-in while it lives, so that what the
// add-in still holds at the end can be named; and the failures of its event handlers, which
// Outlook swallows.
class Census {
 public:
  class Entry {
   public:
    Entry(Census& census, std::string what);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

   private:
    Census& census_;
    std::uint64_t key_;
  };

  // In the order they were handed out.
  std::vector<std::string> Live() const;
  void HandlerFailed(std::string text) { failures_.push_back(std::move(text)); }
  std::vector<std::string> TakeFailures() { return std::exchange(failures_, {}); }

 private:
  std::uint64_t next_ = 1;
  std::map<std::uint64_t, std::string> live_;
  std::vector<std::string> failures_;
};

// Counts the calls the add-in makes into Outlook's and Office's objects; one of them, chosen by
// its number from 1, can be made to answer Nothing (an empty object, value or subscription; a
// method or a put does nothing) or to fail as Outlook fails.
class CallGate {
 public:
  enum class Fault { kNothing, kError };
  void FailCall(std::uint64_t number, Fault fault) {
    failing_ = number;
    fault_ = fault;
  }
  std::uint64_t calls() const { return calls_; }
  // Counts one call; what it must do instead of its work, when it is the chosen one.
  std::optional<Fault> Enter() {
    if (++calls_ != failing_) return std::nullopt;
    return fault_;
  }

 private:
  std::uint64_t calls_ = 0;
  std::uint64_t failing_ = 0;
  Fault fault_ = Fault::kNothing;
};

// The application object the add-in is connected with. The ports hold the model weakly: once
// it is gone every call fails as on a disconnected object.
std::shared_ptr<outlook::IApplication> MakeApplication(const std::shared_ptr<Model>& model,
                                                       Census& census, CallGate& gate);

}  // namespace voxtrel::olsim
