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

  // Pumps until `done`; false when it did not happen within a generous bound. The tick count
  // must never go back meanwhile.
  bool PumpUntil(const std::function<bool()>& done) {
    const std::uint64_t start = loop().TickCount();
    for (std::uint64_t last = start; !done(); last = loop().TickCount()) {
      EXPECT_GE(loop().TickCount(), last);
      if (loop().TickCount() - start > kPatienceMs) return false;
      loop().DoEvents();
    }
    return true;
  }

  std::unique_ptr<platform::ITimer> Timer(std::uint32_t interval, bool enabled,
                                          std::function<void()> handler) {
    auto timer = loop().CreateTimer(std::move(handler));
    timer->SetInterval(interval);
    timer->SetEnabled(enabled);
    return timer;
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
};

TEST_F(EventLoopContract, OnlyEnabledTimersWithAnIntervalFireAndADueOneEndsAWait) {
  int fast = 0, disabled = 0, zero = 0;
  const auto fastTimer = Timer(10, true, [&] { ++fast; });
  const auto disabledTimer = Timer(10, false, [&] { ++disabled; });
  const auto zeroTimer = Timer(0, true, [&] { ++zero; });
  EXPECT_FALSE(loop().CreateTimer([] {})->Enabled());
  ASSERT_TRUE(PumpUntil([&] { return fast >= 5; }));
  EXPECT_EQ(disabled + zero, 0);
  EXPECT_EQ(fastTimer->Interval(), 10u);

  fastTimer->SetEnabled(false);
  disabledTimer->SetEnabled(true);
  const int fastBefore = fast;
  const std::uint64_t start = loop().TickCount();
  ASSERT_TRUE(PumpUntil([&] {
    loop().WaitForEvents(60000);  // a due timer ends the wait long before its timeout
    return disabled >= 3;
  }));
  EXPECT_EQ(fast, fastBefore);
  EXPECT_GT(loop().TickCount(), start);
  disabledTimer->SetEnabled(false);
  loop().WaitForEvents(20);  // nothing due: the wait ends at its timeout
}

TEST_F(EventLoopContract, AHandlerThatPumpsIsNotReenteredButOtherTimersRun) {
  int depth = 0, maxDepth = 0, outerRuns = 0, inner = 0;
  const auto innerTimer = Timer(10, true, [&] { ++inner; });
  const auto outer = Timer(10, true, [&] {
    ++outerRuns;
    maxDepth = std::max(maxDepth, ++depth);
    const int target = inner + 3;
    PumpUntil([&] { return inner >= target; });
    --depth;
  });
  ASSERT_TRUE(PumpUntil([&] { return outerRuns >= 2; }));
  EXPECT_EQ(maxDepth, 1);
  EXPECT_GE(inner, 6);
}

// The audio form's handlers stop or unload their own form, and may fail.
TEST_F(EventLoopContract, AHandlerMayStopOrDestroyItsTimerAndItsErrorReachesThePump) {
  int stopped = 0, destroyed = 0, failing = 0;
  std::unique_ptr<platform::ITimer> oneShot, selfDestroying;
  oneShot = Timer(10, true, [&] {
    ++stopped;
    oneShot->SetEnabled(false);
  });
  selfDestroying = Timer(10, true, [&] {
    ++destroyed;
    selfDestroying.reset();
  });
  const auto failingTimer = Timer(10, true, [&] {
    if (++failing == 1) throw std::runtime_error("handler failed");
  });
  EXPECT_THROW(PumpUntil([] { return false; }), std::runtime_error);
  ASSERT_TRUE(PumpUntil([&] { return failing >= 5; }));  // and the timer goes on
  EXPECT_EQ(stopped, 1);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(selfDestroying, nullptr);
}

}  // namespace
}  // namespace voxtrel
