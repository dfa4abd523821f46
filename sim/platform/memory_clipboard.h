#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/clipboard.h"

namespace voxtrel::sim {

// The clipboard in memory, with the system's rules: data only while open, one holder at a time,
// text readable as Unicode text and a bitmap as a DIB (and back) without being put there.
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

  // Another program holds the clipboard: Open fails until released.
  void HoldElsewhere(bool held) { heldElsewhere_ = held; }
  bool IsOpen() const { return open_; }

 private:
  const platform::Bytes* Find(std::uint32_t format) const;
  void Put(std::uint32_t format, const platform::Bytes& bytes);
  void RequireOpen() const;

  bool open_ = false;
  bool heldElsewhere_ = false;
  std::vector<std::pair<std::uint32_t, platform::Bytes>> data_;              // in the order put
  std::map<std::string, std::pair<std::uint32_t, std::string>> registered_;  // by lower case
};

}  // namespace voxtrel::sim
