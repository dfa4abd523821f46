#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clipboard.h"

namespace voxtrel::sim {

// The clipboard in memory, with the system's rules: data only while open, one holder at a time,
// and the formats Windows makes up from the one put, listed after what was put as Wine lists
// them: the text in the other encodings (code pages 1252 and 437) with the locale 0x0409, and a
// bitmap, DIB or version-5 DIB as the other two. What is handed over is logged.
class MemoryClipboard final : public platform::IClipboard {
 public:
  bool Open() override;
  void Close() override;
  void Empty() override;
  bool IsFormatAvailable(std::uint32_t format) override;
  std::vector<std::uint32_t> Formats() override;
  std::uint32_t RegisterFormat(const std::string& name) override;
  std::string FormatName(std::uint32_t format) override;
  std::optional<platform::Bytes> GetData(std::uint32_t format) override;
  bool SetData(std::uint32_t format, const platform::Bytes& bytes) override;
  std::optional<platform::Bytes> GetBitmap() override;
  bool SetBitmap(const platform::Bytes& packedDib) override;
  std::optional<platform::Bytes> GetPalette() override;
  bool SetPalette(const platform::Bytes& entries) override;
  std::optional<platform::Bytes> GetEnhMetafile() override;
  bool SetEnhMetafile(const platform::Bytes& bits) override;
  std::optional<platform::MetafilePicture> GetMetafilePicture() override;
  bool SetMetafilePicture(const platform::MetafilePicture& picture) override;

  // Another program holds the clipboard: Open fails until released.
  void HoldElsewhere(bool held) { heldElsewhere_ = held; }
  bool IsOpen() const { return open_; }

  // One hand-over, and whether the content it joined carried the mark that keeps it out of
  // clipboard history and the cloud clipboard ("ExcludeClipboardContentFromMonitorProcessing").
  struct Write {
    std::uint32_t format;
    platform::Bytes bytes;
    bool marked;
  };
  const std::vector<Write>& Writes() const { return writes_; }
  void ClearWrites() { writes_.clear(); }

 private:
  struct Entry {
    std::uint32_t format;
    platform::Bytes bytes;
    std::optional<platform::MetafilePicture> metafilePicture;
  };
  const Entry* Find(std::uint32_t format) const;
  // The format of the family put first, which the others are made from.
  const Entry* FamilySource(std::uint32_t format) const;
  std::optional<platform::Bytes> MadeUp(std::uint32_t format) const;
  bool Put(Entry entry);
  void RequireOpen() const;
  bool Marked() const;

  bool open_ = false;
  bool heldElsewhere_ = false;
  std::vector<Entry> data_;                                                  // in the order put
  std::map<std::string, std::pair<std::uint32_t, std::string>> registered_;  // by lower case
  std::vector<Write> writes_;
};

}  // namespace voxtrel::sim
