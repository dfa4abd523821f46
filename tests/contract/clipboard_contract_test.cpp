// The clipboard and the drawing calls of a face change, and the kinds of content a face change
// saves and puts back.
#include <gtest/gtest.h>

#include <algorithm>

#include "contract/contract_platform.h"
#include "mailwindow/mod_mask_functions.h"
#include "sim/pictures/dib.h"

namespace voxtrel {
namespace {

using platform::Bytes;

Bytes Of(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

class ClipboardContract : public testing::Test {
 protected:
  platform::IClipboard& clipboard() { return platform_->services().clipboard; }
  platform::IDrawing& drawing() { return platform_->services().drawing; }

  // Empties the clipboard and puts each format on it.
  void Put(const std::vector<std::pair<std::uint32_t, Bytes>>& formats,
           const Bytes* bitmap = nullptr) {
    ASSERT_TRUE(clipboard().Open());
    clipboard().Empty();
    for (const auto& [format, bytes] : formats) EXPECT_TRUE(clipboard().SetData(format, bytes));
    if (bitmap) {
      EXPECT_TRUE(clipboard().SetBitmap(*bitmap));
    }
    clipboard().Close();
  }
  std::optional<Bytes> Read(std::uint32_t format) {
    EXPECT_TRUE(clipboard().Open());
    auto bytes = clipboard().GetData(format);
    clipboard().Close();
    return bytes;
  }
  // The record face, from the module's resources.
  Bytes Face() { return drawing().LoadBitmapResource(114); }

  std::unique_ptr<contract::ContractPlatform> platform_ = contract::MakeContractPlatform();
};

void ExpectStartsWith(const std::optional<Bytes>& bytes, const Bytes& start) {
  ASSERT_TRUE(bytes);
  ASSERT_GE(bytes->size(), start.size());
  EXPECT_EQ(Bytes(bytes->begin(), bytes->begin() + static_cast<std::ptrdiff_t>(start.size())),
            start);
}

void ExpectSamePicture(const Bytes& a, const Bytes& b) {
  const auto first = sim::ParseDib(a), second = sim::ParseDib(b);
  ASSERT_TRUE(first && second);
  ASSERT_EQ(first->width, second->width);
  ASSERT_EQ(first->height, second->height);
  for (int y = 0; y < first->height; ++y) {
    for (int x = 0; x < first->width; ++x) {
      ASSERT_EQ(first->ColourAt(x, y), second->ColourAt(x, y)) << x << "," << y;
    }
  }
}

TEST_F(ClipboardContract, TextPictureRichTextFileListAndRegisteredFormats) {
  const std::uint32_t rtf = clipboard().RegisterFormat(Clipboard::kRichTextFormat);
  const std::uint32_t face = clipboard().RegisterFormat("Toolbar Button Face");
  EXPECT_GE(face, 0xC000u);
  EXPECT_EQ(clipboard().RegisterFormat("toolbar button face"), face);
  EXPECT_NE(rtf, face);
  EXPECT_EQ(clipboard().FormatName(face), "Toolbar Button Face");

  Put({{platform::kCfText, Of(std::string("hello\0", 6))}});
  EXPECT_TRUE(clipboard().IsFormatAvailable(platform::kCfText));
  EXPECT_TRUE(clipboard().IsFormatAvailable(platform::kCfUnicodeText));
  EXPECT_FALSE(clipboard().IsFormatAvailable(platform::kCfDib));
  ExpectStartsWith(Read(platform::kCfText), Of(std::string("hello\0", 6)));
  ExpectStartsWith(Read(platform::kCfUnicodeText), Of(std::string("h\0e\0l\0l\0o\0\0\0", 12)));

  const Bytes picture = Face();
  ASSERT_FALSE(picture.empty());
  Put({}, &picture);
  EXPECT_TRUE(clipboard().IsFormatAvailable(platform::kCfBitmap));
  EXPECT_TRUE(clipboard().IsFormatAvailable(platform::kCfDib));
  ASSERT_TRUE(clipboard().Open());
  const auto bitmap = clipboard().GetBitmap();
  const auto dib = clipboard().GetData(platform::kCfDib);
  clipboard().Close();
  ASSERT_TRUE(bitmap && dib);
  ExpectSamePicture(*bitmap, picture);
  ExpectSamePicture(*dib, picture);

  const Bytes withNuls = Of(std::string("a\0b\0\0c", 6));
  const Bytes fileList =
      Of(std::string("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0C:\\a.txt\0\0", 30));
  Put({{rtf, Of("{\\rtf1 hi}")},
       {platform::kCfText, Of(std::string("hi\0", 3))},
       {platform::kCfHdrop, fileList},
       {face, withNuls}});
  ExpectStartsWith(Read(rtf), Of("{\\rtf1 hi}"));
  ExpectStartsWith(Read(platform::kCfHdrop), fileList);
  ExpectStartsWith(Read(face), withNuls);
  ASSERT_TRUE(clipboard().Open());
  const std::vector<std::uint32_t> formats = clipboard().Formats();
  clipboard().Close();
  for (const std::uint32_t format :
       {rtf, face, std::uint32_t{platform::kCfText}, std::uint32_t{platform::kCfHdrop}}) {
    EXPECT_NE(std::ranges::find(formats, format), formats.end()) << format;
  }

  Put({});
  for (const std::uint32_t format :
       {rtf, face, std::uint32_t{platform::kCfText}, std::uint32_t{platform::kCfHdrop}}) {
    EXPECT_FALSE(clipboard().IsFormatAvailable(format)) << format;
  }
}

TEST_F(ClipboardContract, MaskIsWhiteExactlyWhereTheFaceIsPureWhite) {
  const Bytes picture = drawing().LoadBitmapResource(117);  // pause: a white gap between bars
  const auto face = sim::ParseDib(picture);
  ASSERT_TRUE(face);
  EXPECT_EQ(face->bitCount, 8);
  EXPECT_TRUE(drawing().LoadBitmapResource(118).empty());
  const auto bitmap = drawing().CreateDibBitmap(picture);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(drawing().SizeOf(*bitmap).width, 16);
  const auto screen = drawing().ScreenDc();
  const auto palette = drawing().CreateHalftonePalette(*screen);
  const std::uint32_t white = drawing().TranslateColor(kTransparentWhite, palette.get());
  EXPECT_EQ(white & 0xFFFFFF, 0xFFFFFFu);
  const auto mask = modMaskFunctions::CreateMaskBitmap(*bitmap, white, *screen, *palette);
  ASSERT_TRUE(mask);

  Bytes info(51, 0);
  drawing().GetDIBitsHeader(*screen, *mask, info);
  EXPECT_EQ(info[14], 1);                     // bits per pixel
  EXPECT_EQ(info[20] | (info[21] << 8), 64);  // image size
  const Bytes bits = drawing().GetDIBits(*screen, *mask, 16, info);
  ASSERT_EQ(bits.size(), 64u);
  Bytes packed = info;  // the mask block's layout: header, colour table, bits
  packed.resize(48);
  for (const std::uint8_t byte : bits) packed.push_back(byte);
  const auto maskDib = sim::ParseDib(packed);
  ASSERT_TRUE(maskDib);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(maskDib->ColourAt(x, y) == 0xFFFFFF, face->ColourAt(x, y) == 0xFFFFFF)
          << x << "," << y;
    }
  }
  EXPECT_EQ(maskDib->ColourAt(7, 8), 0xFFFFFFu);  // the gap
}

// Puts the face formats on as a face change does, between its save and its restore.
void ChangeFace(const Bytes& face) {
  const std::int16_t kind = ClipboardKind();
  const SavedClipboard saved = SaveClipboard(kind, nullptr);
  const Picture picture{kPictureTypeBitmap, face};
  Clipboard::SetData(picture, platform::kCfBitmap);
  modMaskFunctions::CopyPictureWithMask(&picture, kTransparentWhite);
  RestoreClipboard(saved);
}

TEST_F(ClipboardContract, KindsOfContentAreSavedAndPutBackAsTheKindTableSays) {
  const std::uint32_t rtf = clipboard().RegisterFormat(Clipboard::kRichTextFormat);
  const std::uint32_t mask = clipboard().RegisterFormat(modMaskFunctions::kButtonMaskFormat);
  const Bytes text = Of(std::string("user's text\0", 12));
  const Bytes face = Face();
  const Bytes other = drawing().LoadBitmapResource(116);

  Put({{platform::kCfText, text}});
  EXPECT_EQ(ClipboardKind(), 1);
  ChangeFace(face);
  EXPECT_EQ(Clipboard::GetText(), "user's text");
  EXPECT_FALSE(clipboard().IsFormatAvailable(platform::kCfBitmap));
  EXPECT_FALSE(clipboard().IsFormatAvailable(mask));

  Put({{platform::kCfText, text}}, &other);
  EXPECT_EQ(ClipboardKind(), 7);
  ChangeFace(face);
  EXPECT_EQ(Clipboard::GetText(), "user's text");
  ASSERT_TRUE(clipboard().Open());
  const auto picture = clipboard().GetBitmap();
  clipboard().Close();
  ASSERT_TRUE(picture);
  ExpectSamePicture(*picture, other);

  Put({{rtf, Of("{\\rtf1 user}")}, {platform::kCfText, text}});
  EXPECT_EQ(ClipboardKind(), 9);
  ChangeFace(face);
  EXPECT_EQ(Clipboard::GetText(), "user's text");
  EXPECT_FALSE(clipboard().IsFormatAvailable(rtf));

  const Bytes fileList =
      Of(std::string("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0C:\\a.txt\0\0", 30));
  Put({{platform::kCfHdrop, fileList}});
  EXPECT_EQ(ClipboardKind(), 10);
  ChangeFace(face);
  ExpectStartsWith(Read(platform::kCfHdrop), fileList);
  EXPECT_TRUE(clipboard().IsFormatAvailable(platform::kCfBitmap));
  EXPECT_TRUE(clipboard().IsFormatAvailable(platform::kCfDib));
  EXPECT_TRUE(clipboard().IsFormatAvailable(clipboard().RegisterFormat("Toolbar Button Face")));
  EXPECT_TRUE(clipboard().IsFormatAvailable(mask));
  const auto maskBlock = Read(mask);
  ASSERT_TRUE(maskBlock);
  EXPECT_GE(maskBlock->size(), 64u + 50u);

  Put({});
  EXPECT_EQ(ClipboardKind(), 0);
  ChangeFace(face);
  ASSERT_TRUE(clipboard().Open());
  EXPECT_TRUE(clipboard().Formats().empty());
  clipboard().Close();
}

}  // namespace
}  // namespace voxtrel
