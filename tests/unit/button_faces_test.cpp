// The face setter: each face's mask, the user's clipboard kept, failures traced.
#include <gtest/gtest.h>

#include "common/error.h"
#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/mod_mask_functions.h"
#include "sim/outlook/faces.h"
#include "sim/pictures/dib.h"
#include "sim/platform/fake_platform.h"

namespace voxtrel {

using platform::Bytes;

// Keeps what the clipboard offered when the face was pasted, as Office reads it.
class CapturingButton final : public outlook::IButton {
 public:
  explicit CapturingButton(sim::MemoryClipboard& clipboard) : clipboard_(clipboard) {}
  std::string Caption() override { return {}; }
  void Caption(const std::string&) override {}
  void Style(std::int32_t) override {}
  bool Visible() override { return true; }
  void Visible(bool) override {}
  void ToolTipText(const std::string&) override {}
  std::int32_t Width() override { return 0; }
  std::int32_t Top() override { return 0; }
  void PasteFace() override {
    ++pastes;
    if (fails) throw Error(-2147467259, "Office", "Method 'PasteFace' failed");
    EXPECT_TRUE(clipboard_.Open());
    face = clipboard_.GetData(clipboard_.RegisterFormat("Toolbar Button Face"));
    mask = clipboard_.GetData(clipboard_.RegisterFormat("Toolbar Button Mask"));
    clipboard_.Close();
  }
  outlook::Subscription SubscribeClick(ClickHandler) override { return nullptr; }

  int pastes = 0;
  bool fails = false;
  std::optional<Bytes> face, mask;

 private:
  sim::MemoryClipboard& clipboard_;
};

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
  CapturingButton button_{fake_.clipboard};
};

namespace {

TEST_F(ChangePictureTest, EveryPureWhitePixelOfEveryFaceIsTransparentAndNoOther) {
  const std::vector<std::pair<std::int16_t, std::string>> faces = {
      {0, "product"}, {1, "record"}, {2, "play"},      {3, "stop"},
      {4, "pause"},   {6, "delete"}, {7, "properties"}};
  for (const auto& [slot, name] : faces) {
    button_.face.reset();
    Change(slot);
    ASSERT_TRUE(button_.face && button_.mask) << name;
    const auto face = sim::ParseDib(*button_.face);
    const auto mask = sim::ParseDib(*button_.mask);
    ASSERT_TRUE(face && mask) << name;
    int transparent = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const bool white = face->ColourAt(x, y) == 0xFFFFFF;
        EXPECT_EQ(mask->ColourAt(x, y) == 0xFFFFFF, white) << name << ' ' << x << ',' << y;
        transparent += white;
      }
    }
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
