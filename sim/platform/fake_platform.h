#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "sim/platform/memory_file_system.h"
#include "sim/platform/memory_registry.h"
#include "sim/platform/virtual_event_loop.h"

namespace voxtrel::sim {

// A clock whose text the test sets.
class FixedClock final : public platform::IClock {
 public:
  std::string NowText() override { return text_; }
  void Set(std::string text) { text_ = std::move(text); }

 private:
  std::string text_ = "12/5/2026 10:38:34 AM";
};

class FixedSystemInfo final : public platform::ISystemInfo {
 public:
  // Windows 7 SP1, build 7601: what Wine reports by default.
  static constexpr std::uint32_t kWindows7 = (7601u << 16) | (1u << 8) | 6u;
  std::uint32_t WindowsVersion() override { return version_; }
  void Set(std::uint32_t version) { version_ = version; }

 private:
  std::uint32_t version_ = kWindows7;
};

// Every port's double, installed for the creating thread while it lives.
class FakePlatform {
 public:
  FakePlatform() : scope_(services_) {}
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  MemoryRegistry registry;
  MemoryFileSystem files;
  FixedClock clock;
  FixedSystemInfo system;
  VirtualEventLoop events;

 private:
  platform::Services services_{registry, files, clock, system, events};
  platform::ScopedServices scope_;
};

}  // namespace voxtrel::sim
