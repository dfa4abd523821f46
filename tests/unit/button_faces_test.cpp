// The face setter: each face's mask, the user's clipboard kept, failures traced.
#include <gtest/gtest.h>

#include "common/error.h"
#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/mod_mask_functions.h"
#include "sim/outlook/faces.h"
#include "sim/pictures/dib.h"
#include "sim/platform/fake_platform.h"
#include "support/face_checks.h"

namespace voxtrel {

using platform::Bytes;

using testing_faces::PastingButton;

class ChangePictureTest : public testing::Test {
 protected:
  static constexpr char kLog[] = "C:\\debug.log";
  // The log first: the window's audio object traces its creation.
  ChangePictureTest() {
    modTraceWrite::TraceOpen(kLog);
    window_ = std::make_shared<MailWindow>();
  }

  void Change(std::int16_t slot) { window_->ChangePicture(button_, slot); }
  void PutText(const std::string& text) {
    ASSERT_TRUE(fake_.clipboard.Open());
    fake_.clipboard.Empty();
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    fake_.clipboard.SetData(platform::kCfText, bytes);
    fake_.clipboard.Close();
  }
  std::vector<std::uint32_t> Formats() {
    EXPECT_TRUE(fake_.clipboard.Open());
    auto formats = fake_.clipboard.Formats();
    fake_.clipboard.Close();
    return formats;
  }
  std::string Log() { return fake_.files.Contents(kLog); }

  sim::FakePlatform fake_;
  std::shared_ptr<MailWindow> window_;
  PastingButton button_{fake_.clipboard};
};

namespace {

TEST_F(ChangePictureTest, EveryPureWhitePixelOfEveryFaceIsTransparentAndNoOther) {
  for (const auto& [slot, name] : testing_faces::kFaces) {
    button_.face.reset();
    Change(slot);
    ASSERT_TRUE(button_.face && button_.mask) << name;
    const auto face = sim::ParseDib(*button_.face);
    const auto mask = sim::ParseDib(*button_.mask);
    ASSERT_TRUE(face && mask) << name;
    const int transparent = testing_faces::ExpectMaskOnPureWhite(*face, *mask, name);
    EXPECT_GT(transparent, 0) << name;
    EXPECT_LT(transparent, 256) << name;
    EXPECT_EQ(olsim::FaceIdentity(*button_.face, &*button_.mask), name);
    if (name == "pause") {
      EXPECT_EQ(mask->ColourAt(7, 8), 0xFFFFFFu);  // the gap between the bars
    }
  }
  EXPECT_TRUE(Formats().empty());  // an empty clipboard is empty again
  EXPECT_EQ(fake_.drawing.LiveObjects(), 0);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
}

TEST_F(ChangePictureTest, PictureAndTextComeBackPictureFirstRichTextOnlyAsText) {
  const Bytes other = fake_.drawing.LoadBitmapResource(116);
  PutText("both");
  ASSERT_TRUE(fake_.clipboard.Open());
  fake_.clipboard.SetBitmap(other);
  fake_.clipboard.Close();
  Change(1);
  EXPECT_EQ(Formats(), (std::vector<std::uint32_t>{platform::kCfBitmap, platform::kCfText}));
  EXPECT_EQ(Clipboard::GetText(), "both");
  EXPECT_EQ(Clipboard::GetData()->dib, other);

  PutText("plain");
  const std::uint32_t rtf = fake_.clipboard.RegisterFormat("Rich Text Format");
  ASSERT_TRUE(fake_.clipboard.Open());
  fake_.clipboard.SetData(rtf, Bytes{'{', '}'});
  fake_.clipboard.Close();
  Change(2);
  EXPECT_EQ(Formats(), (std::vector<std::uint32_t>{platform::kCfText}));
  EXPECT_EQ(Clipboard::GetText(), "plain");
}

TEST_F(ChangePictureTest, SlotEightIsTracedBeforeTheClipboardIsTouched) {
  PutText("keep me");
  fake_.clipboard.HoldElsewhere(true);  // any use of the clipboard would fail differently
  Change(8);
  fake_.clipboard.HoldElsewhere(false);
  EXPECT_EQ(button_.pastes, 0);
  EXPECT_EQ(Clipboard::GetText(), "keep me");
  EXPECT_NE(Log().find("\r\nMailWindow.ChangePicture} ERROR: Subscript out of range\r\n"),
            std::string::npos)
      << Log();
}

TEST_F(ChangePictureTest, AFailingPasteOrAnEmptySlotStillPutsTheUsersTextBack) {
  PutText("user text");
  button_.fails = true;
  Change(1);
  EXPECT_EQ(Formats(), (std::vector<std::uint32_t>{platform::kCfText}));
  EXPECT_EQ(Clipboard::GetText(), "user text");
  EXPECT_NE(Log().find("MailWindow.ChangePicture} ERROR: Method 'PasteFace' failed\r\n"),
            std::string::npos)
      << Log();

  button_.fails = false;
  Change(5);  // the slot no button uses holds no picture
  EXPECT_EQ(button_.pastes, 1);
  EXPECT_EQ(Clipboard::GetText(), "user text");
  EXPECT_NE(Log().find("MailWindow.ChangePicture} ERROR: Invalid picture\r\n"), std::string::npos);
  EXPECT_EQ(fake_.drawing.LiveObjects(), 0);
}

TEST_F(ChangePictureTest, TextSurvivesTwentyFaceChangesByteForByte) {
  const std::string text = "line one\r\n\ttab \xC3\xA9 \x01 end";
  PutText(text);
  for (int i = 0; i < 20; ++i) Change(static_cast<std::int16_t>(i % 5));
  ASSERT_TRUE(fake_.clipboard.Open());
  const auto bytes = fake_.clipboard.GetData(platform::kCfText);
  fake_.clipboard.Close();
  Bytes expected(text.begin(), text.end());
  expected.push_back(0);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(button_.pastes, 20);
}

}  // namespace
}  // namespace voxtrel
