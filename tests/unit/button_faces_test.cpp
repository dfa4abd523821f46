// The face setter: each face's mask, Picture and Mask from Office XP on, and through the
// clipboard for Office 2000 every format of the user's kept and no face write unmarked.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/version.h"
#include "host/mod_trace_write.h"
#include "mailwindow/mail_window.h"
#include "mailwindow/mod_mask_functions.h"
#include "sim/outlook/faces.h"
#include "sim/outlook/native_outlook.h"
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
  ChangePictureTest() { modTraceWrite::TraceOpen(kLog); }

  void Change(std::int16_t slot, int office = 9) {
    if (!window_ || office != office_) window_ = std::make_shared<MailWindow>(1, office);
    office_ = office;
    window_->ChangePicture(button_, slot);
  }
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
  std::uint32_t Registered(const char* name) { return fake_.clipboard.RegisterFormat(name); }

  sim::FakePlatform fake_;
  std::shared_ptr<MailWindow> window_;
  int office_ = 0;
  PastingButton button_{fake_.clipboard};
};

namespace {

TEST_F(ChangePictureTest, EveryPureWhitePixelOfEveryFaceIsTransparentAndNoOther) {
  for (const int office : {9, 10}) {
    for (const auto& [slot, name] : testing_faces::kFaces) {
      button_.face.reset();
      Change(slot, office);
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
  }
  EXPECT_TRUE(Formats().empty());  // an empty clipboard is empty again
  EXPECT_EQ(fake_.drawing.LiveObjects(), 0);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
}

TEST_F(ChangePictureTest, FromOfficeXpOnPictureThenMaskAndTheClipboardUntouched) {
  PutText("keep me");
  fake_.clipboard.ClearWrites();
  fake_.clipboard.HoldElsewhere(true);  // a use of the clipboard would fail
  for (const int office : {10, 11, 12, 16}) {
    button_.calls.clear();
    Change(1, office);
    EXPECT_EQ(button_.calls, (std::vector<std::string>{"Picture", "Mask"})) << office;
    EXPECT_EQ(button_.face, fake_.drawing.LoadBitmapResource(114));
    EXPECT_EQ(button_.pastes, 0);
  }
  fake_.clipboard.HoldElsewhere(false);
  EXPECT_TRUE(fake_.clipboard.Writes().empty());
  EXPECT_EQ(Clipboard::GetText(), "keep me");
  EXPECT_EQ(fake_.drawing.LiveObjects(), 0);
  EXPECT_EQ(Log().find("ERROR"), std::string::npos) << Log();
}

TEST_F(ChangePictureTest, EveryFormatComesBackInItsOrderRichTextAndPictureAlike) {
  const Bytes other = fake_.drawing.LoadBitmapResource(116);
  PutText("both");
  ASSERT_TRUE(fake_.clipboard.Open());
  fake_.clipboard.SetBitmap(other);
  fake_.clipboard.Close();
  const std::vector<std::uint32_t> before = Formats();
  Change(1);
  EXPECT_EQ(Formats(), before);
  EXPECT_EQ(Formats().front(), platform::kCfText);
  EXPECT_EQ(Clipboard::GetText(), "both");
  EXPECT_EQ(Clipboard::GetData()->dib, other);

  PutText("plain");
  const std::uint32_t rtf = Registered("Rich Text Format");
  ASSERT_TRUE(fake_.clipboard.Open());
  fake_.clipboard.SetData(rtf, Bytes{'{', '}'});
  fake_.clipboard.Close();
  Change(2);
  EXPECT_EQ(Formats(),
            (std::vector<std::uint32_t>{platform::kCfText, rtf, platform::kCfLocale,
                                        platform::kCfOemText, platform::kCfUnicodeText}));
  EXPECT_EQ(Clipboard::GetText(), "plain");
}

TEST_F(ChangePictureTest, EveryFaceWriteIsMarkedAndTheRestPutsTheUsersFormatsBack) {
  PutText("user's");
  std::vector<std::pair<std::uint32_t, Bytes>> user;
  ASSERT_TRUE(fake_.clipboard.Open());
  for (const std::uint32_t format : fake_.clipboard.Formats()) {
    user.emplace_back(format, *fake_.clipboard.GetData(format));
  }
  fake_.clipboard.Close();
  fake_.clipboard.ClearWrites();
  Change(1);
  const std::uint32_t marker = Registered(kExcludeFromMonitorsFormat);
  std::vector<std::uint32_t> marked, unmarked;
  for (const auto& write : fake_.clipboard.Writes()) {
    (write.marked ? marked : unmarked).push_back(write.format);
    if (!write.marked) {
      EXPECT_NE(std::ranges::find(user, std::pair(write.format, write.bytes)), user.end());
    }
  }
  // The mark goes first, so the face never shows to a monitor without it.
  EXPECT_EQ(marked, (std::vector<std::uint32_t>{marker, platform::kCfBitmap, platform::kCfDib,
                                                Registered("Toolbar Button Face"),
                                                Registered("Toolbar Button Mask")}));
  // The text as put, and the locale Windows gave it; the other encodings are made up again.
  EXPECT_EQ(unmarked, (std::vector<std::uint32_t>{platform::kCfText, platform::kCfLocale}));
  EXPECT_EQ(Clipboard::GetText(), "user's");
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

TEST_F(ChangePictureTest, AFailingPasteStillPutsTheUsersTextBackAnEmptySlotTouchesNothing) {
  PutText("user text");
  button_.fails = true;
  Change(1);
  EXPECT_EQ(Formats(),
            (std::vector<std::uint32_t>{platform::kCfText, platform::kCfLocale,
                                        platform::kCfOemText, platform::kCfUnicodeText}));
  EXPECT_EQ(Clipboard::GetText(), "user text");
  EXPECT_NE(Log().find("MailWindow.ChangePicture} ERROR: Method 'PasteFace' failed\r\n"),
            std::string::npos)
      << Log();

  button_.fails = false;
  fake_.clipboard.HoldElsewhere(true);
  Change(5);  // the slot no button uses holds no picture
  Change(5, 10);
  fake_.clipboard.HoldElsewhere(false);
  EXPECT_EQ(button_.pastes, 1);
  EXPECT_TRUE(button_.calls.empty());
  EXPECT_EQ(Clipboard::GetText(), "user text");
  const std::string log = Log();
  std::size_t invalid = 0;
  for (std::size_t at = log.find("ChangePicture} ERROR: Invalid picture\r\n");
       at != std::string::npos;
       at = log.find("ChangePicture} ERROR: Invalid picture\r\n", at + 1)) {
    ++invalid;
  }
  EXPECT_EQ(invalid, 2u) << log;
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

// Mail windows as Outlook opens them, with Unicode text, HTML, a picture and a file list on the
// clipboard: what the faces wrote there, by Office version.
class FacesInOutlook : public testing::Test {
 protected:
  // Plays the set-up, notes what the user's copy wrote, then plays the windows.
  void Play(const std::string& version) {
    const std::vector<std::string> setUp = {
        "version " + version,
        "folder Inbox mail",
        "mail m1 in Inbox sent subject One",
        "mail m2 in Inbox sent subject Two",
        "setting AQ 1",
        "clipboard unicode \"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xC3\xA9\" html \"<b>x</b>\" "
        "picture files/picture.bmp files \"C:\\\\Users\\\\Ann\\\\notes.txt\" C:\\\\a.doc"};
    // Ten inspectors besides the explorer; the last one records.
    std::vector<std::string> windows = {"start", "open m1", "close", "open m2", "close"};
    for (int i = 0; i < 8; ++i) windows.insert(windows.end(), {"compose", "close"});
    windows.pop_back();
    // From Outlook 2007 on, an inspector's group is on the Ribbon; the button keeps its id.
    ribbon_ = MajorVersion(version) >= 12;
    const std::string record = ribbon_ ? "ribbon click VoxtrelRecord" : "click Record";
    const std::string stop = ribbon_ ? record : "click Stop";
    windows.insert(windows.end(), {record, "wait 1000", stop, "dump", "quit"});
    std::size_t next = 0;
    auto source = [&]() -> std::optional<std::string> {
      if (next == setUp.size()) {
        user_ = Readable();
        before_ = outlook_.model()->Clipboard().formats;
        platform().clipboard.ClearWrites();
      }
      if (next < setUp.size()) return setUp[next++];
      if (next - setUp.size() < windows.size()) return windows[next++ - setUp.size()];
      return std::nullopt;
    };
    std::ostringstream err;
    const int status =
        outlook_.Runner(std::string(kSessions) + "/unit.session", out_)->Run(source, err);
    EXPECT_EQ(status, 0) << err.str() << out_.str();
  }
  sim::FakePlatform& platform() { return outlook_.platform(); }
  // Every memory format as a reader gets it, made-up ones too.
  std::vector<std::pair<std::uint32_t, Bytes>> Readable() {
    sim::MemoryClipboard& clipboard = platform().clipboard;
    std::vector<std::pair<std::uint32_t, Bytes>> readable;
    EXPECT_TRUE(clipboard.Open());
    for (const std::uint32_t format : clipboard.Formats()) {
      if (const auto bytes = clipboard.GetData(format)) readable.emplace_back(format, *bytes);
    }
    clipboard.Close();
    return readable;
  }
  std::vector<std::pair<std::string, std::string>> Formats(
      const std::vector<olsim::ClipboardFormatView>& views) {
    std::vector<std::pair<std::string, std::string>> formats;
    for (const auto& view : views) formats.emplace_back(view.name, view.digest);
    return formats;
  }

  static constexpr char kSessions[] = VOXTREL_SESSIONS;
  olsim::NativeOutlook outlook_;
  std::ostringstream out_;
  std::vector<std::pair<std::uint32_t, Bytes>> user_;
  std::vector<olsim::ClipboardFormatView> before_;
  bool ribbon_ = false;
};

TEST_F(FacesInOutlook, Office2000PastesEveryFaceMarkedAndPutsEveryFormatBack) {
  Play("9.0.0.3821");
  const std::uint32_t face = platform().clipboard.RegisterFormat("Toolbar Button Face");
  int faces = 0;
  for (const auto& write : platform().clipboard.Writes()) {
    if (write.format == face) ++faces;
    if (write.marked) continue;
    EXPECT_TRUE(std::ranges::any_of(
        user_,
        [&](const auto& mine) { return mine.first == write.format && mine.second == write.bytes; }))
        << "an unmarked write of format " << write.format;
  }
  // Ten windows and the explorer, six faces each; Record and Stop change two more each.
  EXPECT_GE(faces, 11 * 6);
  EXPECT_EQ(Formats(outlook_.model()->Clipboard().formats), Formats(before_));
  EXPECT_GE(before_.size(), 9u);
  EXPECT_NE(out_.str().find("face record"), std::string::npos);
  EXPECT_NE(out_.str().find("face delete"), std::string::npos);
}

class FacesInOutlookFromOfficeXp : public FacesInOutlook,
                                   public testing::WithParamInterface<const char*> {};

TEST_P(FacesInOutlookFromOfficeXp, NoWindowWritesToTheClipboard) {
  Play(GetParam());
  EXPECT_TRUE(platform().clipboard.Writes().empty());
  EXPECT_EQ(Formats(outlook_.model()->Clipboard().formats), Formats(before_));
  // The stopped recording's window shows Record and Delete with their faces.
  const std::string face = ribbon_ ? " image " : " face ";
  EXPECT_NE(out_.str().find(face + "record"), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find(face + "delete"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Versions, FacesInOutlookFromOfficeXp,
                         testing::Values("10.0.2627.0", "11.0.0.8312", "12.0.6423.1000",
                                         "16.0.17928.20114"));

}  // namespace
}  // namespace voxtrel
