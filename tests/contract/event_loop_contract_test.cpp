// Form timers and the event pump, natively on the virtual clock and under Wine on the
// thread's message queue. Nothing here measures time: tests wait for events, bounded.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "contract/contract_platform.h"

namespace voxtrel {
namespace {

constexpr std::uint64_t kPatienceMs = 20000;

class EventLoopContract : public testing::Test {
 protected:
  void SetUp() override { platform_ = contract::MakeContractPlatform(); }

  platform::IEventLoop& loop() { return platform_->services().events; }

  // Pumps until `done`; false when it did not happen within a generous bound.
  bool PumpUntil(const std::function<bool()>& done) {
    const std::uint64_t start = loop().TickCount();
    while (!done()) {
      if (loop().TickCount() - start > kPatienceMs) return false;
      loop().DoEvents();
    }
    return true;
  }

  std::unique_ptr<platform::ITimer> Counting(int& count, std::uint32_t interval, bool enabled) {
    auto timer = loop().CreateTimer([&count] { ++count; });
    timer->SetInterval(interval);
    timer->SetEnabled(enabled);
    return timer;
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
};

TEST_F(EventLoopContract, OnlyEnabledTimersWithAnIntervalFire) {
  int fast = 0;
  int disabled = 0;
  int zero = 0;
  const auto fastTimer = Counting(fast, 10, true);
  const auto disabledTimer = Counting(disabled, 10, false);
  const auto zeroTimer = Counting(zero, 0, true);
  EXPECT_EQ(loop().CreateTimer([] {})->Enabled(), false);

  ASSERT_TRUE(PumpUntil([&] { return fast >= 5; }));
  EXPECT_EQ(disabled, 0);
  EXPECT_EQ(zero, 0);
  EXPECT_TRUE(fastTimer->Enabled());
  EXPECT_EQ(fastTimer->Interval(), 10u);

  fastTimer->SetEnabled(false);
  disabledTimer->SetEnabled(true);
  const int fastBefore = fast;
  ASSERT_TRUE(PumpUntil([&] { return disabled >= 3; }));
  EXPECT_EQ(fast, fastBefore);
}

TEST_F(EventLoopContract, AHandlerThatPumpsIsNotReenteredButOtherTimersRun) {
  int depth = 0;
  int maxDepth = 0;
  int outerRuns = 0;
  int inner = 0;
  const auto innerTimer = Counting(inner, 10, true);
  auto outer = loop().CreateTimer([&] {
    ++outerRuns;
    maxDepth = std::max(maxDepth, ++depth);
    const int target = inner + 3;
    PumpUntil([&] { return inner >= target; });
    --depth;
  });
  outer->SetInterval(10);
  outer->SetEnabled(true);

  ASSERT_TRUE(PumpUntil([&] { return outerRuns >= 2; }));
  EXPECT_EQ(maxDepth, 1);
  EXPECT_GE(inner, 6);
}

TEST_F(EventLoopContract, ATimerMayStopOrDestroyItselfFromItsHandler) {
  int stopped = 0;
  std::unique_ptr<platform::ITimer> oneShot;
  oneShot = loop().CreateTimer([&] {
    ++stopped;
    oneShot->SetEnabled(false);
  });
  oneShot->SetInterval(10);
  oneShot->SetEnabled(true);

  int destroyed = 0;
  std::unique_ptr<platform::ITimer> selfDestroying;
  selfDestroying = loop().CreateTimer([&] {
    ++destroyed;
    selfDestroying.reset();
  });
  selfDestroying->SetInterval(10);
  selfDestroying->SetEnabled(true);

  int clock = 0;
  const auto clockTimer = Counting(clock, 10, true);
  ASSERT_TRUE(PumpUntil([&] { return clock >= 10; }));
  EXPECT_EQ(stopped, 1);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(selfDestroying, nullptr);
}

TEST_F(EventLoopContract, AnErrorInAHandlerReachesThePumpAndTheTimerGoesOn) {
  int runs = 0;
  auto failing = loop().CreateTimer([&] {
    if (++runs == 1) throw std::runtime_error("handler failed");
  });
  failing->SetInterval(10);
  failing->SetEnabled(true);
  EXPECT_THROW(PumpUntil([] { return false; }), std::runtime_error);
  ASSERT_TRUE(PumpUntil([&] { return runs >= 3; }));
}

TEST_F(EventLoopContract, WaitingForEventsReturnsForADueTimerOrAtItsTimeout) {
  int ticks = 0;
  const auto timer = Counting(ticks, 30, true);
  ASSERT_TRUE(PumpUntil([&] {
    loop().WaitForEvents(60000);  // a due timer ends the wait long before its timeout
    return ticks >= 3;
  }));
  timer->SetEnabled(false);
  const std::uint64_t before = loop().TickCount();
  loop().WaitForEvents(20);
  EXPECT_GE(loop().TickCount(), before);
}

TEST_F(EventLoopContract, TickCountNeverGoesBackAndMovesWhileTimersRun) {
  const std::uint64_t start = loop().TickCount();
  int ticks = 0;
  const auto timer = Counting(ticks, 20, true);
  std::uint64_t last = start;
  bool monotonic = true;
  ASSERT_TRUE(PumpUntil([&] {
    const std::uint64_t now = loop().TickCount();
    monotonic = monotonic && now >= last;
    last = now;
    return ticks >= 3;
  }));
  EXPECT_TRUE(monotonic);
  EXPECT_GT(loop().TickCount(), start);
}

}  // namespace
}  // namespace voxtrel
