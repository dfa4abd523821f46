// The virtual clock: exact times, which the contract tests cannot assert.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/platform/virtual_event_loop.h"

namespace voxtrel::sim {
namespace {

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
  std::vector<std::string> log_;
};

TEST_F(VirtualClock, PumpsJumpToTheNextDueTimerAndRunEverythingDueThen) {
  const auto a = Timer("a", 10);
  const auto b = Timer("b", 25);
  loop_.PostAt(20, [this] { log_.push_back("click@" + Now()); });
  for (int i = 0; i < 5; ++i) loop_.RunNext();
  EXPECT_EQ(log_, (std::vector<std::string>{"a@10", "click@20", "a@20", "b@25", "a@30", "a@40"}));
  EXPECT_EQ(loop_.PumpCount(), 5u);
}

TEST_F(VirtualClock, RestartingATimerRestartsItsCount) {
  const auto a = Timer("a", 500);
  loop_.AdvanceTo(300);
  a->SetInterval(500);  // due at 800 now, not 500
  loop_.RunNext();
  a->SetEnabled(false);
  a->SetEnabled(true);  // due at 1300
  loop_.RunNext();
  EXPECT_EQ(log_, (std::vector<std::string>{"a@800", "a@1300"}));
}

TEST_F(VirtualClock, ThePumpOfTheCodeUnderTestTakesAMillisecondWhenNothingIsDue) {
  const auto a = Timer("a", 3);
  loop_.DoEvents();
  loop_.DoEvents();
  EXPECT_EQ(loop_.Now(), 2 * VirtualEventLoop::kPumpCostMs);
  EXPECT_TRUE(log_.empty());
  loop_.DoEvents();
  EXPECT_EQ(log_, (std::vector<std::string>{"a@3"}));
  loop_.DoEvents();  // nothing due: the next due time is not skipped to
  EXPECT_EQ(loop_.Now(), 4u);
}

TEST_F(VirtualClock, AnIdleTestPumpLetsAShortStepPass) {
  loop_.RunNext();
  loop_.RunNext();
  EXPECT_EQ(loop_.Now(), 2 * VirtualEventLoop::kIdleStepMs);
  EXPECT_FALSE(loop_.PumpUntil([] { return false; }, 100));
  EXPECT_EQ(loop_.Now(), 120u);
  loop_.WaitForEvents(50);  // a wait with nothing scheduled runs out its time
  EXPECT_EQ(loop_.Now(), 170u);
}

TEST_F(VirtualClock, NestedPumpsInsideAHandlerRunOtherTimersAndPostedWork) {
  std::unique_ptr<platform::ITimer> outer = loop_.CreateTimer([this] {
    log_.push_back("outer-start@" + Now());
    loop_.Post([this] { log_.push_back("posted@" + Now()); });
    for (int i = 0; i < 3; ++i) {
      loop_.WaitForEvents(1000);
      loop_.DoEvents();
    }
    log_.push_back("outer-end@" + Now());
  });
  outer->SetInterval(10);
  outer->SetEnabled(true);
  const auto inner = Timer("inner", 15);
  loop_.RunNext();
  EXPECT_EQ(log_, (std::vector<std::string>{"outer-start@10", "posted@10", "inner@15", "inner@30",
                                            "outer-end@30"}));
  log_.clear();
  loop_.DoEvents();  // the outer timer fell due during its own run: it fires at once
  ASSERT_FALSE(log_.empty());
  EXPECT_EQ(log_.front(), "outer-start@30");
}

TEST_F(VirtualClock, AWaitThatDoesNotPumpOnlyMovesTime) {
  const auto a = Timer("a", 10);
  loop_.AdvanceTo(95);
  EXPECT_TRUE(log_.empty());
  loop_.RunNext();
  EXPECT_EQ(log_, (std::vector<std::string>{"a@95"}));
  loop_.AdvanceTo(50);  // never backwards
  EXPECT_EQ(loop_.Now(), 95u);
}

}  // namespace
}  // namespace voxtrel::sim
