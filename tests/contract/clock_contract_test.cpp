// The locale clock and the Windows version value, as the trace log and the add-in read them.
#include <gtest/gtest.h>

#include <regex>

#include "contract/contract_platform.h"

namespace voxtrel {
namespace {

TEST(ClockContract, NowIsDateBlankTimeTheVersionPacksBuildMinorMajorAndTheProcessIdStays) {
  const auto platform = contract::MakeContractPlatform();
  const std::string now = platform->services().clock.NowText();
  EXPECT_TRUE(std::regex_match(now, std::regex(R"([^ \r\n]*\d[^ \r\n]* [^\r\n]*\d[^\r\n]*)")))
      << now;
  EXPECT_EQ(now.find('\0'), std::string::npos);
  const std::uint32_t version = platform->services().system.WindowsVersion();
  EXPECT_GE(version & 0xff, 5u);  // major
  EXPECT_LE(version & 0xff, 10u);
  EXPECT_LE((version >> 8) & 0xff, 3u);  // minor
  EXPECT_GT(version >> 16, 0u);          // build
  const std::uint32_t id = platform->services().system.ProcessId();
  EXPECT_NE(id, 0u);
  EXPECT_EQ(platform->services().system.ProcessId(), id);
}

}  // namespace
}  // namespace voxtrel
