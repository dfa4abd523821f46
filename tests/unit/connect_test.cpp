// The connection on a machine where the add-in's folder is not writable (an administrator's
// install): the log goes to the user's temporary folder and Outlook keeps the add-in.
#include <gtest/gtest.h>

#include "common/error.h"
#include "host/connect.h"
#include "host/registry.h"
#include "sim/platform/fake_platform.h"
#include "support/started_outlook.h"

namespace voxtrel {
namespace {

class NoFiles final : public olsim::IModelFiles {
 public:
  std::string Read(const std::string&) override { throw Error(53); }
  void Write(const std::string&, const std::string&) override { throw Error(75); }
};

TEST(Connect, TracesToTheTemporaryFolderWhenTheAddinFolderIsReadOnly) {
  sim::FakePlatform platform;
  const std::string appFolderLog = platform.AppFile(Connect::kTraceName);
  const std::string fallbackLog =
      std::string(sim::FixedSystemInfo::kTempPath) + "\\" + Connect::kFallbackTraceName;
  platform.files.SetReadOnlyFolder(platform.system.AppPath());
  NoFiles files;
  testing_outlook::StartedOutlook outlook(files);
  {
    Connect connect;
    connect.AddinInstance_OnConnection(outlook.Application());
    connect.AddinInstance_OnDisconnection();
  }
  EXPECT_FALSE(platform.files.Exists(appFolderLog));
  ASSERT_TRUE(platform.files.Exists(fallbackLog));
  const std::string log = platform.files.Contents(fallbackLog);
  EXPECT_NE(log.find("Connect: Opened No Problem!"), std::string::npos) << log;
  EXPECT_NE(log.find("EXIT AddinInstance_OnDisconnection()"), std::string::npos) << log;
  EXPECT_TRUE(outlook.census.Live().empty());
}

// What a connection sets right before anything else: "AQ" when the add-in was registered
// without the installer, and the working folders an ended run of Outlook left behind. A stored
// "AQ" stays as it is.
TEST(Connect, WritesAMissingAqAndRemovesWhatAnEndedRunLeft) {
  for (const char* stored : {"", "2", "1.5"}) {
    sim::FakePlatform platform;
    const std::string left = std::string(sim::FixedSystemInfo::kTempPath) + "\\Voxtrel 17-1";
    platform.files.AddFolder(left);
    platform.files.PutFile(left + "\\Voxtrel.mp3", "left by a run that ended");
    if (*stored != '\0') {
      Registry::SetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "AQ",
                         std::string(stored));
    }
    NoFiles files;
    testing_outlook::StartedOutlook outlook(files);
    {
      Connect connect;
      connect.AddinInstance_OnConnection(outlook.Application());
    }
    const classic::Variant aq =
        Registry::GetValue(platform::kHkeyCurrentUser, Registry::kSettingsKey, "AQ");
    EXPECT_EQ(classic::CStr(aq), *stored == '\0' ? "1" : stored);
    EXPECT_FALSE(platform.files.Exists(left)) << "stored AQ: " << stored;
  }
}

}  // namespace
}  // namespace voxtrel
