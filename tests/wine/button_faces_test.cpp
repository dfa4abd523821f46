// The face setter on Wine's real clipboard and GDI: the user's text survives, and each face's
// mask is transparent exactly on its pure white pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "sim/outlook/faces.h"
#include "sim/pictures/dib.h"
#include "win32/platform/win32_platform.h"

namespace voxtrel {

using platform::Bytes;

// Reads the face off the clipboard when pasted, as Office does.
class ClipboardButton final : public outlook::IButton {
 public:
  explicit ClipboardButton(platform::IClipboard& clipboard) : clipboard_(clipboard) {}
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
    ASSERT_TRUE(clipboard_.Open());
    face = clipboard_.GetData(clipboard_.RegisterFormat("Toolbar Button Face"));
    mask = clipboard_.GetData(clipboard_.RegisterFormat("Toolbar Button Mask"));
    clipboard_.Close();
  }
  outlook::Subscription SubscribeClick(ClickHandler) override { return nullptr; }

  int pastes = 0;
  std::optional<Bytes> face, mask;

 private:
  platform::IClipboard& clipboard_;
};

class ChangePictureTest : public testing::Test {
 protected:
  ChangePictureTest() {
    modTraceWrite::TraceOpen((std::filesystem::temp_directory_path() / "faces-test.log").string());
    window_ = std::make_shared<MailWindow>();
  }
  void Change(std::int16_t slot) { window_->ChangePicture(button_, slot); }
  platform::IClipboard& clipboard() { return platform_.services().clipboard; }

  win32::Win32Platform platform_;
  std::shared_ptr<MailWindow> window_;
  ClipboardButton button_{platform_.services().clipboard};
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

TEST_F(ChangePictureTest, RealGdiMasksEveryPureWhitePixelOfEveryFaceAndNoOther) {
  const std::vector<std::pair<std::int16_t, std::string>> faces = {
      {0, "product"}, {1, "record"}, {2, "play"},      {3, "stop"},
      {4, "pause"},   {6, "delete"}, {7, "properties"}};
  for (const auto& [slot, name] : faces) {
    button_.face.reset();
    button_.mask.reset();
    Change(slot);
    ASSERT_TRUE(button_.face && button_.mask) << name;
    const auto face = sim::ParseDib(*button_.face);
    const auto mask = sim::ParseDib(*button_.mask);
    ASSERT_TRUE(face && mask) << name;
    EXPECT_EQ(mask->bitCount, 1);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(mask->ColourAt(x, y) == 0xFFFFFF, face->ColourAt(x, y) == 0xFFFFFF)
            << name << ' ' << x << ',' << y;
      }
    }
    EXPECT_EQ(olsim::FaceIdentity(*button_.face, &*button_.mask), name);
  }
}

}  // namespace
}  // namespace voxtrel
