// The registry as the settings store relies on it, natively against the in-memory double and
// under Wine against advapi32.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "contract/contract_platform.h"
#include "host/registry.h"

namespace voxtrel {
namespace {

using platform::kHkeyCurrentUser;
using platform::RegKey;

class RegistryContract : public testing::Test {
 protected:
  void SetUp() override {
    platform_ = contract::MakeContractPlatform();
    base_ = "Software\\VoxtrelContract\\run" + std::to_string(std::random_device{}() % 1000000);
  }

  void TearDown() override {
    // Leaves first: RegDeleteKey removes only keys without subkeys.
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
      port().DeleteKey(kHkeyCurrentUser, *it);
    }
    port().DeleteKey(kHkeyCurrentUser, base_);
    port().DeleteKey(kHkeyCurrentUser, "Software\\VoxtrelContract");
  }

  platform::IRegistry& port() { return platform_->services().registry; }

  std::string Key(const std::string& relative) {
    const std::string path = base_ + "\\" + relative;
    created_.push_back(path);
    return path;
  }

  void PutRaw(const std::string& path, const std::string& name, std::uint32_t type,
              const std::string& bytes) {
    RegKey key = 0;
    ASSERT_EQ(port().CreateKey(kHkeyCurrentUser, path, &key), platform::kErrorSuccess);
    EXPECT_EQ(port().SetValue(key, name, type, reinterpret_cast<const std::byte*>(bytes.data()),
                              static_cast<std::uint32_t>(bytes.size())),
              platform::kErrorSuccess);
    EXPECT_EQ(port().CloseKey(key), platform::kErrorSuccess);
  }

  // A text value's bytes, read as callers size their buffer: ask for the size, then read.
  std::string GetText(const std::string& path, const std::string& name) {
    RegKey key = 0;
    EXPECT_EQ(port().OpenKey(kHkeyCurrentUser, path, &key), platform::kErrorSuccess);
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(port().QueryValue(key, name, &type, nullptr, &size), platform::kErrorSuccess);
    std::string bytes(size, '?');
    EXPECT_EQ(
        port().QueryValue(key, name, &type, reinterpret_cast<std::byte*>(bytes.data()), &size),
        platform::kErrorSuccess);
    EXPECT_EQ(type, platform::kRegSz);
    port().CloseKey(key);
    return bytes.substr(0, size);
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
  std::string base_;
  std::vector<std::string> created_;
};

TEST_F(RegistryContract, KeysOpenCreateDeleteWithWindowsResultCodes) {
  const std::string leaf = Key("a") + "\\b\\c";
  created_.push_back(base_ + "\\a\\b");
  created_.push_back(leaf);

  RegKey key = 0;
  EXPECT_EQ(port().OpenKey(kHkeyCurrentUser, leaf, &key), platform::kErrorFileNotFound);
  EXPECT_EQ(key, 0u);

  // A missing key path is created whole.
  ASSERT_EQ(port().CreateKey(kHkeyCurrentUser, leaf, &key), platform::kErrorSuccess);
  EXPECT_NE(key, 0u);
  EXPECT_EQ(port().CloseKey(key), platform::kErrorSuccess);
  EXPECT_TRUE(Registry::KeyExists(kHkeyCurrentUser, base_ + "\\a"));
  EXPECT_TRUE(Registry::KeyExists(kHkeyCurrentUser, base_ + "\\A\\B"));  // names ignore case
  EXPECT_TRUE(Registry::KeyExists(kHkeyCurrentUser, leaf));

  // A key that still has subkeys is not deleted.
  EXPECT_FALSE(Registry::DeleteKey(kHkeyCurrentUser, base_, "a"));
  EXPECT_TRUE(Registry::DeleteKey(kHkeyCurrentUser, base_ + "\\a\\b", "c"));
  EXPECT_FALSE(Registry::KeyExists(kHkeyCurrentUser, leaf));
  EXPECT_FALSE(Registry::DeleteKey(kHkeyCurrentUser, base_ + "\\a\\b", "c"));
  EXPECT_FALSE(Registry::DeleteKey(kHkeyCurrentUser, base_ + "\\missing", "c"));
}

TEST_F(RegistryContract, GetValueReadsTextNumbersAndNothingElseAndAShortBufferGetsMoreData) {
  using classic::Variant;
  const std::string path = Key("values");
  const struct {
    const char* name;
    std::uint32_t type;
    std::string bytes;
    Variant read;
  } values[] = {{"NoNul", platform::kRegSz, "11025", Variant("11025")},
                {"WithNul", platform::kRegSz, std::string("1\0", 2), Variant("1")},
                {"Embedded", platform::kRegSz, std::string("ab\0cd\0", 6), Variant("ab")},
                {"Empty", platform::kRegSz, "", Variant("")},
                {"Dword", platform::kRegDword, std::string("\x02\x00\x00\x00", 4), Variant(2)},
                {"Negative", platform::kRegDword, "\xff\xff\xff\xff", Variant(-1)},
                {"Binary", platform::kRegBinary, "1", Variant("")},
                {"Expand", platform::kRegExpandSz, std::string("1\0", 2), Variant("")}};
  for (const auto& value : values) {
    PutRaw(path, value.name, value.type, value.bytes);
    EXPECT_EQ(Registry::GetValue(kHkeyCurrentUser, path, value.name), value.read) << value.name;
  }
  EXPECT_EQ(Registry::GetValue(kHkeyCurrentUser, path, "Missing"), Variant(""));
  EXPECT_EQ(Registry::GetValue(kHkeyCurrentUser, base_ + "\\nokey", "NoNul"), Variant(""));

  // A short buffer gets more data and the size; a missing value nothing.
  RegKey key = 0;
  ASSERT_EQ(port().OpenKey(kHkeyCurrentUser, path, &key), platform::kErrorSuccess);
  std::uint32_t type = 0;
  std::byte small[2] = {};
  std::uint32_t size = sizeof(small);
  EXPECT_EQ(port().QueryValue(key, "embedded", &type, small, &size), platform::kErrorMoreData);
  EXPECT_EQ(size, 6u);
  type = 0;
  EXPECT_EQ(port().QueryValue(key, "Missing", &type, nullptr, &size), platform::kErrorFileNotFound);
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(port().CloseKey(key), platform::kErrorSuccess);
}

TEST_F(RegistryContract, SetValueStoresTrimmedTextWithOneNulAndCreatesTheKeyPath) {
  const std::string path = Key("set") + "\\deeper";
  created_.push_back(path);
  ASSERT_FALSE(Registry::KeyExists(kHkeyCurrentUser, path));

  Registry::SetValue(kHkeyCurrentUser, path, "AQ", classic::Variant(" 1 "));
  EXPECT_EQ(GetText(path, "AQ"), std::string("1\0", 2));
  Registry::SetValue(kHkeyCurrentUser, path, "TagLine", classic::Variant(0));
  EXPECT_EQ(GetText(path, "TagLine"), std::string("0\0", 2));
  Registry::SetValue(kHkeyCurrentUser, path, "Blank", classic::Variant("   "));
  EXPECT_EQ(GetText(path, "blank"), std::string("\0", 1));  // names ignore case

  // Writing again replaces the value; creating the existing key keeps its content.
  Registry::SetValue(kHkeyCurrentUser, path, "AQ", classic::Variant("3"));
  Registry::CreateKey(kHkeyCurrentUser, path);
  EXPECT_EQ(Registry::GetValue(kHkeyCurrentUser, path, "AQ"), classic::Variant("3"));
}

}  // namespace
}  // namespace voxtrel
