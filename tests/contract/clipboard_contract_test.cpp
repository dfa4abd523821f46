// The clipboard and the drawing calls of a face change: the formats Windows makes up from the
// one put, palettes and metafiles, and every format of the user's saved and put back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "contract/contract_platform.h"
#include "mailwindow/mod_mask_functions.h"
#include "sim/pictures/dib.h"

namespace voxtrel {
namespace {

using platform::Bytes;

Bytes Of(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Utf16(const std::u16string& text) {
  Bytes bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

void Le(Bytes& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 3 x 2 picture of 24 bits: no colour table for a made-up copy to lose.
Bytes Picture24() {
  sim::Dib dib;
  dib.width = 3;
  dib.height = 2;
  dib.bitCount = 24;
  dib.pixels = {0x102030, 0xFFFFFF, 0x00FF00, 0x0000FF, 0x808080, 0x123456};
  return sim::PackDib(dib);
}

// The same picture under a version-5 header.
Bytes V5(const Bytes& dib) {
  Bytes v5(124, 0);
  std::copy_n(dib.begin(), 40, v5.begin());
  v5[0] = 124;
  v5.insert(v5.end(), dib.begin() + 40, dib.end());
  return v5;
}

// The smallest enhanced metafile: its header record (with the size of the whole) and EOF.
Bytes EnhMetafile() {
  Bytes bits;
  Le(bits, 1, 4);    // EMR_HEADER
  Le(bits, 108, 4);  // its size
  for (const std::uint32_t bound : {0u, 0u, 9u, 9u, 0u, 0u, 100u, 100u}) Le(bits, bound, 4);
  Le(bits, 0x464D4520, 4);  // " EMF"
  Le(bits, 0x10000, 4);     // version
  Le(bits, 128, 4);         // bytes of the whole
  Le(bits, 2, 4);           // records
  Le(bits, 1, 2);           // handles
  Le(bits, 0, 2);
  for (const std::uint32_t field :
       {0u, 0u, 0u, 1024u, 768u, 320u, 240u, 0u, 0u, 0u, 320000u, 240000u}) {
    Le(bits, field, 4);
  }
  Le(bits, 14, 4);  // EMR_EOF
  Le(bits, 20, 4);
  Le(bits, 0, 4);
  Le(bits, 16, 4);
  Le(bits, 20, 4);
  return bits;
}

// The smallest old metafile: its header and the end record, in 16-bit words.
Bytes Metafile() {
  Bytes bits;
  Le(bits, 1, 2);  // in memory
  Le(bits, 9, 2);  // header words
  Le(bits, 0x300, 2);
  Le(bits, 12, 4);  // words of the whole
  Le(bits, 0, 2);
  Le(bits, 3, 4);  // largest record
  Le(bits, 0, 2);
  Le(bits, 3, 4);  // the end record
  Le(bits, 0, 2);
  return bits;
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
  std::vector<std::uint32_t> Formats() {
    EXPECT_TRUE(clipboard().Open());
    auto formats = clipboard().Formats();
    clipboard().Close();
    return formats;
  }
  // Every format as a reader gets it: pictures by their pixels, registered formats by name.
  std::map<std::string, Bytes> Contents() {
    std::map<std::string, Bytes> contents;
    EXPECT_TRUE(clipboard().Open());
    for (const std::uint32_t format : clipboard().Formats()) {
      std::string name = format >= platform::kCfFirstRegistered ? clipboard().FormatName(format)
                                                                : std::to_string(format);
      std::optional<Bytes> bytes;
      if (format == platform::kCfBitmap) {
        bytes = clipboard().GetBitmap();
      } else if (format == platform::kCfPalette) {
        bytes = clipboard().GetPalette();
      } else if (format == platform::kCfEnhMetafile) {
        bytes = clipboard().GetEnhMetafile();
      } else if (format == platform::kCfMetafilePict) {
        const auto picture = clipboard().GetMetafilePicture();
        if (picture) bytes = picture->bits;
      } else {
        bytes = clipboard().GetData(format);
      }
      if (bytes && (format == platform::kCfBitmap || format == platform::kCfDib ||
                    format == platform::kCfDibV5)) {
        bytes = Pixels(*bytes);
      }
      contents[name] = bytes.value_or(Of("(unreadable)"));
    }
    clipboard().Close();
    return contents;
  }
  static Bytes Pixels(const Bytes& dib) {
    const auto picture = sim::ParseDib(dib);
    if (!picture) return Of("(not a picture)");
    Bytes pixels;
    Le(pixels, static_cast<std::uint32_t>(picture->width), 4);
    for (int y = 0; y < picture->height; ++y) {
      for (int x = 0; x < picture->width; ++x) Le(pixels, picture->ColourAt(x, y), 4);
    }
    return pixels;
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

std::ptrdiff_t Position(const std::vector<std::uint32_t>& formats, std::uint32_t format) {
  const auto found = std::ranges::find(formats, format);
  return found == formats.end() ? -1 : found - formats.begin();
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
  EXPECT_FALSE(clipboard().GetData(platform::kCfBitmap));  // a handle, not a memory block
  EXPECT_FALSE(clipboard().SetData(platform::kCfPalette, Bytes(4, 0)));
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
  const std::vector<std::uint32_t> formats = Formats();
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

TEST_F(ClipboardContract, TextPutInOneEncodingIsListedFirstAndMadeUpInTheOthers) {
  // "a", e acute, two CJK ideographs, "z": the ideographs are in neither code page.
  Put({{platform::kCfUnicodeText, Utf16(u"a\u00e9\u65e5\u672cz")}});
  std::vector<std::uint32_t> formats = Formats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.front(), platform::kCfUnicodeText);
  EXPECT_GT(Position(formats, platform::kCfText), 0);
  EXPECT_GT(Position(formats, platform::kCfOemText), 0);
  EXPECT_GT(Position(formats, platform::kCfLocale), 0);
  EXPECT_EQ(Read(platform::kCfText), Of(std::string("a\xE9??z\0", 6)));
  EXPECT_EQ(Read(platform::kCfOemText), Of(std::string("a\x82??z\0", 6)));
  const auto locale = Read(platform::kCfLocale);
  ASSERT_TRUE(locale && locale->size() >= 4);
  std::printf("CF_LOCALE made up for Unicode text: %02x%02x\n", (*locale)[1], (*locale)[0]);

  Put({{platform::kCfText, Of(std::string("x\xE9\x80y\0", 5))}});
  formats = Formats();
  EXPECT_EQ(formats.front(), platform::kCfText);
  EXPECT_GT(Position(formats, platform::kCfUnicodeText), 0);
  EXPECT_EQ(Read(platform::kCfUnicodeText), Utf16(u"x\u00e9\u20acy"));
  EXPECT_EQ(Read(platform::kCfOemText), Of(std::string("x\x82?y\0", 5)));
}

TEST_F(ClipboardContract, APictureInOneFormIsListedFirstAndMadeUpInTheOtherTwo) {
  const Bytes picture = Picture24();
  Put({{platform::kCfDib, picture}});
  std::vector<std::uint32_t> formats = Formats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.front(), platform::kCfDib);
  EXPECT_GT(Position(formats, platform::kCfBitmap), 0);
  EXPECT_GT(Position(formats, platform::kCfDibV5), 0);
  EXPECT_EQ(Read(platform::kCfDib), picture);
  const auto v5 = Read(platform::kCfDibV5);
  ASSERT_TRUE(v5);
  EXPECT_EQ((*v5)[0], 124);
  ExpectSamePicture(*v5, picture);
  ASSERT_TRUE(clipboard().Open());
  const auto bitmap = clipboard().GetBitmap();
  clipboard().Close();
  ASSERT_TRUE(bitmap);
  ExpectSamePicture(*bitmap, picture);

  Put({{platform::kCfDibV5, *v5}});
  formats = Formats();
  EXPECT_EQ(formats.front(), platform::kCfDibV5);
  const auto dib = Read(platform::kCfDib);
  ASSERT_TRUE(dib);
  EXPECT_EQ((*dib)[0], 40);
  ExpectSamePicture(*dib, picture);

  Put({}, &picture);
  formats = Formats();
  EXPECT_EQ(formats.front(), platform::kCfBitmap);
  for (const std::uint32_t format : {platform::kCfDib, platform::kCfDibV5}) {
    const auto made = Read(format);
    ASSERT_TRUE(made) << format;
    ExpectSamePicture(*made, picture);
  }
}

TEST_F(ClipboardContract, PalettesAndMetafilesGoOnAndComeOffAsTheirEntriesAndBits) {
  const Bytes entries = {0x10, 0x20, 0x30, 0, 0xFF, 0xFE, 0xFD, 0, 0, 0, 0, 0};
  const Bytes enhanced = EnhMetafile();
  ASSERT_EQ(enhanced.size(), 128u);
  const platform::MetafilePicture old{8, 1000, 500, Metafile()};  // MM_ANISOTROPIC
  ASSERT_TRUE(clipboard().Open());
  clipboard().Empty();
  EXPECT_TRUE(clipboard().SetPalette(entries));
  EXPECT_TRUE(clipboard().SetEnhMetafile(enhanced));
  EXPECT_FALSE(clipboard().SetPalette(Bytes(3, 0)));
  clipboard().Close();
  ASSERT_TRUE(clipboard().Open());
  EXPECT_EQ(clipboard().GetPalette(), entries);
  EXPECT_EQ(clipboard().GetEnhMetafile(), enhanced);
  EXPECT_FALSE(clipboard().GetData(platform::kCfEnhMetafile));
  clipboard().Close();

  ASSERT_TRUE(clipboard().Open());
  clipboard().Empty();
  EXPECT_TRUE(clipboard().SetMetafilePicture(old));
  clipboard().Close();
  ASSERT_TRUE(clipboard().Open());
  EXPECT_EQ(clipboard().GetMetafilePicture(), old);
  EXPECT_FALSE(clipboard().GetPalette());
  clipboard().Close();
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

  // The mask a button's Mask property gets is the same packed DIB.
  const Picture pause{kPictureTypeBitmap, picture};
  EXPECT_EQ(modMaskFunctions::MaskDib(&pause, kTransparentWhite), packed);
}

// A face change through the clipboard, between its save and its restore.
void ChangeFace(const Bytes& face) {
  const SavedClipboard saved = SaveClipboard();
  const Picture picture{kPictureTypeBitmap, face};
  ClearClipboardForFace();
  Clipboard::SetData(picture, platform::kCfBitmap);
  modMaskFunctions::CopyPictureWithMask(&picture, kTransparentWhite);
  RestoreClipboard(saved);
}

TEST_F(ClipboardContract, AFaceChangePutsEveryFormatBackAsItWasMadeUpOnesMadeUpAgain) {
  const Bytes face = Face();
  const std::uint32_t html = clipboard().RegisterFormat("HTML Format");
  const std::uint32_t own = clipboard().RegisterFormat("Vox Trel contract private");
  const Bytes fileList =
      Of(std::string("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0a\0.\0t\0x\0t\0\0\0\0\0", 34));
  const std::vector<std::vector<std::pair<std::uint32_t, Bytes>>> contents = {
      {},
      {{platform::kCfUnicodeText, Utf16(u"\u65e5\u672c\u8a9e and \u00e9")},
       {html, Of(std::string("Version:0.9\r\n<b>x</b>\0", 22))},
       {platform::kCfDib, Picture24()},
       {platform::kCfHdrop, fileList},
       {own, Of(std::string("\0\x01\0\x02", 4))}},
      {{platform::kCfText, Of(std::string("plain \xE9\0", 8))}},
      {{platform::kCfOemText, Of(std::string("oem \x82\0", 6))}},
      {{platform::kCfDibV5, V5(Picture24())}},
  };
  for (std::size_t i = 0; i < contents.size(); ++i) {
    Put(contents[i]);
    const auto before = Contents();
    ChangeFace(face);
    EXPECT_EQ(Contents(), before) << "content " << i;
  }

  const Bytes picture = Picture24();
  Put({}, &picture);
  ASSERT_TRUE(clipboard().Open());
  EXPECT_TRUE(clipboard().SetPalette({1, 2, 3, 0}));
  EXPECT_TRUE(clipboard().SetEnhMetafile(EnhMetafile()));
  clipboard().Close();
  const auto before = Contents();
  ChangeFace(face);
  EXPECT_EQ(Contents(), before) << "bitmap, palette and metafile";
}

TEST_F(ClipboardContract, TheFaceIsMarkedForMonitorsToPassByAndALeftFaceIsNotSaved) {
  const std::uint32_t marker = clipboard().RegisterFormat(kExcludeFromMonitorsFormat);
  const std::uint32_t faceFormat = clipboard().RegisterFormat(modMaskFunctions::kButtonFaceFormat);
  Put({{platform::kCfText, Of(std::string("mine\0", 5))}});
  ClearClipboardForFace();
  EXPECT_EQ(Formats(), std::vector<std::uint32_t>{marker});

  const Picture picture{kPictureTypeBitmap, Face()};
  Clipboard::SetData(picture, platform::kCfBitmap);
  modMaskFunctions::CopyPictureWithMask(&picture, kTransparentWhite);
  const std::vector<std::uint32_t> formats = Formats();
  EXPECT_GE(Position(formats, marker), 0);
  EXPECT_GE(Position(formats, faceFormat), 0);
  // A face that an earlier change could not take away is not the user's to put back.
  EXPECT_TRUE(SaveClipboard().empty());
}

}  // namespace
}  // namespace voxtrel
