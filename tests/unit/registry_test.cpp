// The settings store over the in-memory registry: what the contract tests cannot see.
#include <gtest/gtest.h>

#include "common/error.h"
#include "host/registry.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel {
namespace {

using classic::Variant;
using platform::kHkeyCurrentUser;

class SettingsStore : public testing::Test {
 protected:
  sim::FakePlatform fake_;
};

TEST_F(SettingsStore, EveryOperationClosesTheKeysItOpened) {
  Registry::SetValue(kHkeyCurrentUser, Registry::kSettingsKey, "AQ", Variant("1"));
  Registry::GetValue(kHkeyCurrentUser, Registry::kSettingsKey, "AQ");
  Registry::GetValue(kHkeyCurrentUser, "Software\\Missing", "AQ");
  Registry::KeyExists(kHkeyCurrentUser, Registry::kSettingsKey);
  Registry::CreateKey(kHkeyCurrentUser, "Software\\Other\\Key");
  Registry::DeleteKey(kHkeyCurrentUser, "Software\\Other", "Key");
  EXPECT_EQ(fake_.registry.OpenHandleCount(), 0u);
}

TEST_F(SettingsStore, AudioQualityReadsAsTheReadersConvertIt) {
  // The recorder converts "AQ" with CInt; these are the values its rate table sees.
  const auto aq = [&](const Variant& stored) {
    Registry::SetValue(kHkeyCurrentUser, Registry::kSettingsKey, "AQ", stored);
    return classic::CInt(Registry::GetValue(kHkeyCurrentUser, Registry::kSettingsKey, "AQ"));
  };
  EXPECT_EQ(aq(Variant("1.5")), 2);
  EXPECT_EQ(aq(Variant("0.5")), 0);
  EXPECT_EQ(aq(Variant("2.5")), 2);
  EXPECT_EQ(aq(Variant(" 3 ")), 3);

  // A REG_DWORD written by hand reads as a number.
  platform::RegKey key = 0;
  fake_.registry.OpenKey(kHkeyCurrentUser, Registry::kSettingsKey, &key);
  const std::int32_t two = 2;
  fake_.registry.SetValue(key, "AQ", platform::kRegDword, reinterpret_cast<const std::byte*>(&two),
                          sizeof(two));
  fake_.registry.CloseKey(key);
  EXPECT_EQ(Registry::GetValue(kHkeyCurrentUser, Registry::kSettingsKey, "AQ"), Variant(2));
}

TEST_F(SettingsStore, AMissingTagLineReadsAsEmptyAndFalseMeansOff) {
  const Variant missing = Registry::GetValue(kHkeyCurrentUser, Registry::kSettingsKey, "TagLine");
  EXPECT_EQ(missing, Variant(""));
  EXPECT_EQ(classic::Val(classic::CStr(missing)), 0);
  Registry::SetValue(kHkeyCurrentUser, Registry::kSettingsKey, "TagLine", Variant("False"));
  const Variant off = Registry::GetValue(kHkeyCurrentUser, Registry::kSettingsKey, "TagLine");
  EXPECT_FALSE(classic::CBool(off));
  EXPECT_EQ(classic::Val(classic::CStr(off)), 0);
}

TEST_F(SettingsStore, ReadsAndWritesNeedNoOpenLogOrRaiseErrors) {
  // A handle that is not a key makes every port call fail; the store swallows that.
  constexpr platform::RegKey kNotAKey = 0x42;
  EXPECT_NO_THROW(Registry::SetValue(kNotAKey, "Software\\X", "AQ", Variant("1")));
  EXPECT_EQ(Registry::GetValue(kNotAKey, "Software\\X", "AQ"), Variant(""));
  EXPECT_FALSE(Registry::KeyExists(kNotAKey, "Software\\X"));
  EXPECT_FALSE(Registry::DeleteKey(kNotAKey, "Software", "X"));
}

}  // namespace
}  // namespace voxtrel
