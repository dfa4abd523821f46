#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace voxtrel::platform {

using Bytes = std::vector<std::uint8_t>;

// Standard clipboard formats by their Windows numbers.
enum ClipboardFormat : std::uint32_t {
  kCfText = 1,
  kCfBitmap = 2,
  kCfMetafilePict = 3,
  kCfOemText = 7,
  kCfDib = 8,
  kCfPalette = 9,
  kCfUnicodeText = 13,
  kCfEnhMetafile = 14,
  kCfHdrop = 15,
  kCfLocale = 16,
  kCfDibV5 = 17,
  // Owner-display and the handles of the display, private and GDI-object ranges mean nothing
  // away from the program that put them.
  kCfOwnerDisplay = 0x80,
  kCfDspBitmap = 0x82,
  kCfDspMetafilePict = 0x83,
  kCfDspEnhMetafile = 0x8E,
  kCfPrivateFirst = 0x200,
  kCfGdiObjLast = 0x3FF,
  kCfFirstRegistered = 0xC000,
};

// An old-style metafile picture: its mapping mode, extents and the metafile's bits.
struct MetafilePicture {
  std::int32_t mapMode = 0;
  std::int32_t xExt = 0;
  std::int32_t yExt = 0;
  Bytes bits;
  bool operator==(const MetafilePicture&) const = default;
};

// The system clipboard, shared with every other program. Reading and writing data need it open;
// asking whether a format is present does not. Memory blocks travel as byte vectors; a picture
// as a packed DIB (BITMAPINFOHEADER, colour table, bits); a palette as its PALETTEENTRYs; an
// enhanced metafile as its bits. The system offers some formats made up from others (text in
// the other encodings; a bitmap, DIB and version-5 DIB from one another): they are listed after
// the one they come from.
class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Opens it for a hidden window of the caller's own, which becomes the owner when it empties
  // it; false while another program holds it (the system's waits a moment for it first).
  virtual bool Open() = 0;
  virtual void Close() = 0;
  // Empties it; the caller becomes its owner. Needs it open.
  virtual void Empty() = 0;
  virtual bool IsFormatAvailable(std::uint32_t format) = 0;
  // The formats it holds, in the system's order. Needs it open.
  virtual std::vector<std::uint32_t> Formats() = 0;
  // Registers a format by name (or finds it); the same name gives the same number.
  virtual std::uint32_t RegisterFormat(const std::string& name) = 0;
  // A registered format's name; empty for a standard one.
  virtual std::string FormatName(std::uint32_t format) = 0;
  // A memory-block format's bytes; empty when absent. Needs it open.
  virtual std::optional<Bytes> GetData(std::uint32_t format) = 0;
  // Hands a moveable, shareable block with these bytes over; false (block freed) when refused.
  virtual bool SetData(std::uint32_t format, const Bytes& bytes) = 0;
  // The bitmap (CF_BITMAP) as a packed DIB; empty when absent. Needs it open.
  virtual std::optional<Bytes> GetBitmap() = 0;
  // Hands a bitmap made from a packed DIB over as CF_BITMAP; false when refused.
  virtual bool SetBitmap(const Bytes& packedDib) = 0;
  // CF_PALETTE's entries, four bytes each (red, green, blue, flags); empty when absent.
  virtual std::optional<Bytes> GetPalette() = 0;
  // Hands a palette made of these entries over as CF_PALETTE; false when refused.
  virtual bool SetPalette(const Bytes& entries) = 0;
  // CF_ENHMETAFILE's bits; empty when absent. Needs it open.
  virtual std::optional<Bytes> GetEnhMetafile() = 0;
  // Hands an enhanced metafile made from these bits over; false when refused.
  virtual bool SetEnhMetafile(const Bytes& bits) = 0;
  // CF_METAFILEPICT; empty when absent. Needs it open.
  virtual std::optional<MetafilePicture> GetMetafilePicture() = 0;
  // Hands a metafile picture made from these over; false when refused.
  virtual bool SetMetafilePicture(const MetafilePicture& picture) = 0;
};

}  // namespace voxtrel::platform
