// The locale clock and the Windows version value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "contract/contract_platform.h"

namespace voxtrel {
namespace {

bool HasDigit(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

TEST(ClockContract, NowTextIsShortDateBlankLongTimeOnOneLine) {
  const auto platform = contract::MakeContractPlatform();
  const std::string now = platform->services().clock.NowText();
  const auto blank = now.find(' ');
  ASSERT_NE(blank, std::string::npos) << now;
  EXPECT_TRUE(HasDigit(now.substr(0, blank))) << now;
  EXPECT_TRUE(HasDigit(now.substr(blank + 1))) << now;
  EXPECT_EQ(now.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
}

TEST(ClockContract, WindowsVersionPacksBuildMinorAndMajor) {
  const auto platform = contract::MakeContractPlatform();
  const std::uint32_t version = platform->services().system.WindowsVersion();
  const std::uint32_t major = version & 0xff;
  const std::uint32_t minor = (version >> 8) & 0xff;
  const std::uint32_t build = version >> 16;
  EXPECT_GE(major, 5u);
  EXPECT_LE(major, 10u);
  EXPECT_LE(minor, 3u);
  EXPECT_GT(build, 0u);
}

}  // namespace
}  // namespace voxtrel
