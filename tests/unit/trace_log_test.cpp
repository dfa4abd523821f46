#include <gtest/gtest.h>

#include <thread>

#include "common/error.h"
#include "host/mod_trace_write.h"
#include "sim/platform/fake_platform.h"
#include "unit/error_number.h"

namespace voxtrel {
namespace {

using modTraceWrite::TraceOpen;
using modTraceWrite::TraceWrite;

constexpr char kLog[] = "C:\\Program Files\\Voxtrel\\Debug.log";

std::string Header(const std::string& path, const std::string& time = "12/5/2026 10:38:34 AM") {
  return "TraceWrite " + path + ", " + time + "\r -------------\r\n";
}

class TraceLog : public testing::Test {
 protected:
  sim::FakePlatform fake_;
};

TEST_F(TraceLog, EachOpenStartsAfreshWithItsHeaderUnlessAskedToAppendAndFileErrorsReachTheCaller) {
  TraceOpen(kLog);
  TraceWrite("first run");
  fake_.clock.Set("12/6/2026 9:00:00 AM");
  TraceOpen(kLog);
  TraceWrite("ENTER AddinInstance_OnConnection()");
  TraceWrite("");
  const std::string second =
      Header(kLog, "12/6/2026 9:00:00 AM") + "ENTER AddinInstance_OnConnection()\r\n\r\n";
  EXPECT_EQ(fake_.files.Contents(kLog), second);
  EXPECT_EQ(modTraceWrite::CurrentTracePath(), kLog);

  TraceOpen(kLog, false);
  EXPECT_EQ(fake_.files.Contents(kLog), second + "\r\n" + Header(kLog, "12/6/2026 9:00:00 AM"));
  TraceOpen(kLog, true);
  EXPECT_EQ(fake_.files.Contents(kLog), Header(kLog, "12/6/2026 9:00:00 AM"));

  // File errors reach the caller.
  EXPECT_EQ(ErrorOf([] { TraceOpen("C:\\Missing\\Debug.log"); }), errnum::kPathNotFound);
  // The path is taken even though the header could not be written; lines fail alike.
  EXPECT_EQ(modTraceWrite::CurrentTracePath(), "C:\\Missing\\Debug.log");
  EXPECT_EQ(ErrorOf([] { TraceWrite("lost"); }), errnum::kPathNotFound);

  fake_.files.SetReadOnlyFolder("C:\\Locked");
  EXPECT_EQ(ErrorOf([] { TraceOpen("C:\\Locked\\debug.log"); }), errnum::kPathFileAccessError);
  EXPECT_EQ(ErrorOf([] { TraceOpen(""); }), errnum::kBadFileNameOrNumber);
  EXPECT_EQ(ErrorOf([] { TraceWrite("no log"); }), errnum::kBadFileNameOrNumber);
}

TEST_F(TraceLog, TheLastOpenOnAThreadTakesItsLaterLinesAndOtherThreadsKeepTheirOwn) {
  TraceOpen(kLog);
  TraceWrite("outlook thread");
  std::thread other([this] {
    platform::ScopedServices scope(fake_.services());
    EXPECT_EQ(modTraceWrite::CurrentTracePath(), "");
    TraceOpen("C:\\debug.log");
    TraceWrite("other thread");
  });
  other.join();
  TraceWrite("still here");
  EXPECT_EQ(fake_.files.Contents(kLog), Header(kLog) + "outlook thread\r\nstill here\r\n");
  EXPECT_NE(fake_.files.Contents("c:\\DEBUG.LOG").find("other thread\r\n"), std::string::npos);

  TraceOpen("C:\\debug.log");
  TraceWrite("recorder line");
  EXPECT_EQ(fake_.files.Contents(kLog), Header(kLog) + "outlook thread\r\nstill here\r\n");
  EXPECT_NE(fake_.files.Contents("C:\\debug.log").find("recorder line"), std::string::npos);
}

}  // namespace
}  // namespace voxtrel
