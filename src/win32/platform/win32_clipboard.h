#pragma once

#include "platform/clipboard.h"

namespace voxtrel::win32 {

// The system clipboard. Memory blocks are moveable and shareable global blocks; a bitmap goes
// on as a device-dependent bitmap made from the DIB and comes off as a 32-bit DIB.
class Win32Clipboard final : public platform::IClipboard {
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
};

}  // namespace voxtrel::win32
