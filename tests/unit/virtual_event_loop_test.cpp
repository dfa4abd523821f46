// The virtual clock: exact times, which the contract tests cannot assert.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/platform/virtual_event_loop.h"

namespace voxtrel::sim {
namespace {

using Log = std::vector<std::string>;

class VirtualClock : public testing::Test {
 protected:
  std::unique_ptr<platform::ITimer> Timer(const std::string& name, std::uint32_t interval) {
    auto timer = loop_.CreateTimer([this, name] { log_.push_back(name + "@" + Now()); });
    timer->SetInterval(interval);
    timer->SetEnabled(true);
    return timer;
  }
  std::string Now() { return std::to_string(loop_.Now()); }

  VirtualEventLoop loop_;
  Log log_;
};

TEST_F(VirtualClock, PumpsJumpToTheNextDueItemAndRestartingATimerRestartsItsCount) {
  const auto a = Timer("a", 10);
  const auto b = Timer("b", 25);
  loop_.PostAt(20, [this] { log_.push_back("click@" + Now()); });
  for (int i = 0; i < 5; ++i) loop_.RunNext();
  EXPECT_EQ(log_, (Log{"a@10", "click@20", "a@20", "b@25", "a@30", "a@40"}));
  EXPECT_EQ(loop_.PumpCount(), 5u);

  log_.clear();
  a->SetEnabled(false);
  b->SetInterval(500);  // due 500 ms from now, not at its old count
  loop_.AdvanceTo(300);
  loop_.RunNext();
  EXPECT_EQ(log_, Log{"b@540"});
  loop_.DoEvents();  // the pump of the code under test: nothing is due, a millisecond passes
  EXPECT_EQ(loop_.Now(), 540 + VirtualEventLoop::kPumpCostMs);
}

}  // namespace
}  // namespace voxtrel::sim
