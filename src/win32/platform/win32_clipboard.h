#pragma once

#include "platform/clipboard.h"
#include "win32/base/message_window.h"

namespace voxtrel::win32 {

// The system clipboard, opened for a hidden message-only window of this thread's own (with no
// window, SetClipboardData is documented to fail once EmptyClipboard has left no owner); Open
// waits up to about 200 ms for another program to let go of it.
// Memory blocks are moveable and shareable global blocks; a bitmap goes on as a
// device-dependent bitmap made from the DIB and comes off as a 32-bit DIB; palettes and
// metafiles are made from their entries and bits, and read back as them.
class Win32Clipboard final : public platform::IClipboard {
 public:
  Win32Clipboard();
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

 private:
  MessageWindow owner_;
};

}  // namespace voxtrel::win32
