// The product button hands the site to Windows with the options dialog as owner, loading the
// dialog without showing it; Properties shows that same dialog.
#include <gtest/gtest.h>

#include "host/connect.h"
#include "options/frm_install.h"
#include "sim/platform/fake_platform.h"
#include "support/started_outlook.h"

namespace voxtrel {
namespace {

class NoFiles final : public olsim::IModelFiles {
 public:
  std::string Read(const std::string&) override { return {}; }
  void Write(const std::string&, const std::string&) override {}
};

TEST(ProductButtons, SiteOwnedByTheHiddenDialogThenPropertiesShowsThatDialog) {
  sim::FakePlatform platform;
  NoFiles files;
  testing_outlook::StartedOutlook outlook(files);
  const std::shared_ptr<olsim::Model>& model = outlook.model;
  {
    Connect connect;
    connect.AddinInstance_OnConnection(outlook.Application());
    model->Compose("new1", olsim::BodyFormat::kPlain);
    model->Click("Voxtrel");
    model->Click("Voxtrel");
    const auto& dialogs = platform.forms.Dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    const sim::DialogRecord& dialog = *dialogs.front();
    EXPECT_TRUE(dialog.loaded);
    EXPECT_FALSE(dialog.visible);
    EXPECT_EQ(dialog.icon, frmInstall::kIconResource);
    const auto& opened = platform.shell.ShellOpens();
    ASSERT_EQ(opened.size(), 2u);
    for (const auto& open : opened) {
      EXPECT_EQ(open.owner, dialog.handle);
      EXPECT_EQ(open.file, "https://voxtrel.example");
      EXPECT_EQ(open.directory, "c:\\");
      EXPECT_EQ(open.showCommand, 1);
    }
    model->Click("Voxtrel Properties");
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialog.visible);
    connect.AddinInstance_OnDisconnection();
  }
  frmInstall::ReleaseInstance();
  EXPECT_FALSE(platform.forms.Dialogs().front()->loaded);
}

}  // namespace
}  // namespace voxtrel
