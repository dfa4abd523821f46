#include <gtest/gtest.h>

#include <thread>

#include "common/error.h"
#include "host/mod_trace_write.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel {
namespace {

using modTraceWrite::TraceOpen;
using modTraceWrite::TraceWrite;

constexpr char kLog[] = "C:\\Program Files\\Voxtrel\\Debug.log";
constexpr char kHeader[] =
    "TraceWrite C:\\Program Files\\Voxtrel\\Debug.log, 12/5/2026 10:38:34 AM\r -------------\r\n";

class TraceLog : public testing::Test {
 protected:
  void SetUp() override { fake_.files.AddFolder("C:\\Program Files\\Voxtrel"); }

  int ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& error) {
      return error.number();
    }
    return 0;
  }

  sim::FakePlatform fake_;
};

TEST_F(TraceLog, ASessionIsTheHeaderThenEveryLineUnchanged) {
  TraceOpen(kLog);
  TraceWrite("ENTER AddinInstance_OnConnection()");
  TraceWrite("");
  TraceWrite("Audio.Record} ERROR: Type mismatch");
  EXPECT_EQ(fake_.files.Contents(kLog), std::string(kHeader) +
                                            "ENTER AddinInstance_OnConnection()\r\n"
                                            "\r\n"
                                            "Audio.Record} ERROR: Type mismatch\r\n");
  EXPECT_EQ(modTraceWrite::CurrentTracePath(), kLog);
}

TEST_F(TraceLog, EachOpenStartsAfreshUnlessAskedToAppend) {
  TraceOpen(kLog);
  TraceWrite("first run");
  fake_.clock.Set("12/6/2026 9:00:00 AM");
  TraceOpen(kLog);
  TraceWrite("second run");
  const std::string second =
      "TraceWrite C:\\Program Files\\Voxtrel\\Debug.log, 12/6/2026 9:00:00 AM\r -------------\r\n"
      "second run\r\n";
  EXPECT_EQ(fake_.files.Contents(kLog), second);

  TraceOpen(kLog, false);
  EXPECT_EQ(fake_.files.Contents(kLog), second + "\r\n" +
                                            "TraceWrite C:\\Program Files\\Voxtrel\\Debug.log, "
                                            "12/6/2026 9:00:00 AM\r -------------\r\n");
  TraceOpen(kLog, true);
  EXPECT_EQ(fake_.files.Contents(kLog).find("second run"), std::string::npos);
}

TEST_F(TraceLog, FileErrorsReachTheCaller) {
  EXPECT_EQ(ErrorOf([] { TraceOpen("C:\\Missing\\Debug.log"); }), errnum::kPathNotFound);
  // The path is taken even though the header could not be written; lines fail alike.
  EXPECT_EQ(modTraceWrite::CurrentTracePath(), "C:\\Missing\\Debug.log");
  EXPECT_EQ(ErrorOf([] { TraceWrite("lost"); }), errnum::kPathNotFound);

  fake_.files.SetReadOnlyFolder("C:\\Locked");
  EXPECT_EQ(ErrorOf([] { TraceOpen("C:\\Locked\\debug.log"); }), errnum::kPathFileAccessError);
  EXPECT_EQ(ErrorOf([] { TraceOpen(""); }), errnum::kBadFileNameOrNumber);
  EXPECT_EQ(ErrorOf([] { TraceWrite("no log"); }), errnum::kBadFileNameOrNumber);
}

TEST_F(TraceLog, TheCurrentPathBelongsToTheThread) {
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
  EXPECT_EQ(fake_.files.Contents(kLog), std::string(kHeader) + "outlook thread\r\nstill here\r\n");
  EXPECT_NE(fake_.files.Contents("c:\\DEBUG.LOG").find("other thread\r\n"), std::string::npos);
}

TEST_F(TraceLog, TheLastOpenOnAThreadTakesAllLaterLines) {
  TraceOpen(kLog);
  TraceOpen("C:\\debug.log");
  TraceWrite("recorder line");
  EXPECT_EQ(fake_.files.Contents(kLog), kHeader);
  EXPECT_NE(fake_.files.Contents("C:\\debug.log").find("recorder line"), std::string::npos);
}

}  // namespace
}  // namespace voxtrel
