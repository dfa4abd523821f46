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
  kCfDib = 8,
  kCfPalette = 9,
  kCfUnicodeText = 13,
  kCfEnhMetafile = 14,
  kCfHdrop = 15,
};

// The system clipboard, shared with every other program. Reading and writing data need it open;
// asking whether a format is present does not. Memory blocks travel as byte vectors. A picture
// travels as a packed DIB (BITMAPINFOHEADER, colour table, bits).
class IClipboard {
 public:
  virtual ~IClipboard() = default;
  // Opens it without an owner window; false while another program holds it.
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
};

}  // namespace voxtrel::platform
