// The settings store over the in-memory registry: what the contract tests cannot see.
#include <gtest/gtest.h>

#include "common/error.h"
#include "host/registry.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel {
namespace {

using classic::Variant;
using platform::kHkeyCurrentUser;

TEST(SettingsStore, EveryOperationClosesTheKeysItOpenedAndPortFailuresAreSwallowed) {
  sim::FakePlatform fake;
  Registry::SetValue(kHkeyCurrentUser, Registry::kSettingsKey, "AQ", Variant("1"));
  Registry::GetValue(kHkeyCurrentUser, Registry::kSettingsKey, "AQ");
  Registry::GetValue(kHkeyCurrentUser, "Software\\Missing", "AQ");
  Registry::KeyExists(kHkeyCurrentUser, Registry::kSettingsKey);
  Registry::CreateKey(kHkeyCurrentUser, "Software\\Other\\Key");
  Registry::DeleteKey(kHkeyCurrentUser, "Software\\Other", "Key");
  EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);

  // A handle that is not a key makes every port call fail; the store needs no open log.
  constexpr platform::RegKey kNotAKey = 0x42;
  EXPECT_NO_THROW(Registry::SetValue(kNotAKey, "Software\\X", "AQ", Variant("1")));
  EXPECT_EQ(Registry::GetValue(kNotAKey, "Software\\X", "AQ"), Variant(""));
  EXPECT_FALSE(Registry::KeyExists(kNotAKey, "Software\\X"));
  EXPECT_FALSE(Registry::DeleteKey(kNotAKey, "Software", "X"));
}

}  // namespace
}  // namespace voxtrel
