#pragma once

#include <functional>
#include <map>
#include <memory>

namespace voxtrel {

// An event a class raises and its listeners connect to. A listener stays connected for the
// lifetime of its Connection. Listeners may connect or disconnect while the event is raised.
template <typename... Args>
class Event {
 public:
  using Listener = std::function<void(Args...)>;

  class Connection {
   public:
    Connection() = default;
    Connection(std::weak_ptr<std::map<int, Listener>> listeners, int id)
        : listeners_(std::move(listeners)), id_(id) {}
    ~Connection() { Disconnect(); }
    Connection(Connection&& other) noexcept
        : listeners_(std::move(other.listeners_)), id_(other.id_) {}
    Connection& operator=(Connection&& other) noexcept {
      if (this != &other) {
        Disconnect();
        listeners_ = std::move(other.listeners_);
        id_ = other.id_;
      }
      return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void Disconnect() {
      if (const auto listeners = listeners_.lock()) listeners->erase(id_);
      listeners_.reset();
    }

   private:
    std::weak_ptr<std::map<int, Listener>> listeners_;
    int id_ = 0;
  };

  [[nodiscard]] Connection Connect(Listener listener) {
    const int id = nextId_++;
    (*listeners_)[id] = std::move(listener);
    return Connection(listeners_, id);
  }

  void Raise(Args... args) const {
    // A copy, so listeners may change the set while it runs.
    const auto snapshot = *listeners_;
    for (const auto& [id, listener] : snapshot) {
      if (listeners_->count(id) == 1) listener(args...);
    }
  }

 private:
  std::shared_ptr<std::map<int, Listener>> listeners_ = std::make_shared<std::map<int, Listener>>();
  int nextId_ = 1;
};

}  // namespace voxtrel
