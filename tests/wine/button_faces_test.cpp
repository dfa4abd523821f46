// The face setter on Wine's real clipboard and GDI: the user's text survives, the clipboard is
// opened for a window of the add-in's own, Office XP's Picture and Mask leave it untouched, and
// each face's mask is transparent exactly on its pure white pixels.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "sim/outlook/faces.h"
#include "sim/pictures/dib.h"
#include "support/face_checks.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel {

using platform::Bytes;

using testing_faces::PastingButton;

class ChangePictureTest : public testing::Test {
 protected:
  ChangePictureTest() {
    modTraceWrite::TraceOpen((std::filesystem::temp_directory_path() / "faces-test.log").string());
    window_ = std::make_shared<MailWindow>();
  }
  void Change(std::int16_t slot) { window_->ChangePicture(button_, slot); }
  void UseOffice(int version) { window_ = std::make_shared<MailWindow>(1, version); }
  platform::IClipboard& clipboard() { return platform_.services().clipboard; }

  win32::Win32Platform platform_;
  std::shared_ptr<MailWindow> window_;
  PastingButton button_{platform_.services().clipboard};
};

namespace {

TEST_F(ChangePictureTest, TextOnTheRealClipboardSurvivesTwentyFaceChangesByteForByte) {
  const std::string text = "Dear Ann,\r\n\tthe \"voice\" note \xE9t\xE9 follows.\x01";
  Bytes put(text.begin(), text.end());
  put.push_back(0);
  ASSERT_TRUE(clipboard().Open());
  clipboard().Empty();
  ASSERT_TRUE(clipboard().SetData(platform::kCfText, put));
  clipboard().Close();

  for (int i = 0; i < 20; ++i) Change(static_cast<std::int16_t>(i % 8 == 5 ? 4 : i % 8));
  EXPECT_EQ(button_.pastes, 20);

  ASSERT_TRUE(clipboard().Open());
  const auto got = clipboard().GetData(platform::kCfText);
  const auto formats = clipboard().Formats();
  clipboard().Close();
  ASSERT_TRUE(got);
  ASSERT_GE(got->size(), put.size());
  EXPECT_EQ(Bytes(got->begin(), got->begin() + static_cast<std::ptrdiff_t>(put.size())), put);
  EXPECT_FALSE(clipboard().IsFormatAvailable(platform::kCfBitmap));
  EXPECT_FALSE(clipboard().IsFormatAvailable(clipboard().RegisterFormat("Toolbar Button Mask")));
}

TEST_F(ChangePictureTest, Office2000sFaceLeavesTheClipboardWithAWindowOfThisThreadAsOwner) {
  const Bytes put = {'m', 'i', 'n', 'e', 0};
  ASSERT_TRUE(clipboard().Open());
  clipboard().Empty();
  ASSERT_TRUE(clipboard().SetData(platform::kCfText, put));
  clipboard().Close();
  UseOffice(9);
  Change(1);
  EXPECT_EQ(button_.pastes, 1);
  const HWND owner = GetClipboardOwner();
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(GetWindowThreadProcessId(owner, nullptr), GetCurrentThreadId());
  ASSERT_TRUE(clipboard().Open());
  const auto got = clipboard().GetData(platform::kCfText);
  clipboard().Close();
  ASSERT_TRUE(got);
  EXPECT_EQ(Bytes(got->begin(), got->begin() + 5), put);
}

TEST_F(ChangePictureTest, FromOfficeXpTheClipboardIsNotChangedAtAll) {
  const DWORD before = GetClipboardSequenceNumber();
  for (const int version : {10, 11, 12}) {
    UseOffice(version);
    for (const auto& [slot, name] : testing_faces::kFaces) {
      button_.calls.clear();
      Change(slot);
      EXPECT_EQ(button_.calls, (std::vector<std::string>{"Picture", "Mask"})) << name;
      ASSERT_TRUE(button_.face && button_.mask) << name;
      EXPECT_EQ(olsim::FaceIdentity(*button_.face, &*button_.mask), name);
    }
  }
  EXPECT_EQ(button_.pastes, 0);
  EXPECT_EQ(GetClipboardSequenceNumber(), before);
}

TEST_F(ChangePictureTest, RealGdiMasksEveryPureWhitePixelOfEveryFaceAndNoOther) {
  for (const auto& [slot, name] : testing_faces::kFaces) {
    button_.face.reset();
    button_.mask.reset();
    Change(slot);
    ASSERT_TRUE(button_.face && button_.mask) << name;
    const auto face = sim::ParseDib(*button_.face);
    const auto mask = sim::ParseDib(*button_.mask);
    ASSERT_TRUE(face && mask) << name;
    testing_faces::ExpectMaskOnPureWhite(*face, *mask, name);
    EXPECT_EQ(olsim::FaceIdentity(*button_.face, &*button_.mask), name);
  }
}

}  // namespace
}  // namespace voxtrel
