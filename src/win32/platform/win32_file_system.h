#pragma once

#include "platform/file_system.h"

namespace voxtrel::win32 {

// Files through the wide Win32 functions; contents in the ANSI code page.
class Win32FileSystem final : public platform::IFileSystem {
 public:
  std::uint32_t GetAttr(std::string_view path) override;
  std::int64_t FileLen(std::string_view path) override;
  void Kill(std::string_view path) override;
  void MkDir(std::string_view path) override;
  void RmDir(std::string_view path) override;
  std::vector<std::string> SubFolders(std::string_view path) override;
  void WriteText(std::string_view path, std::string_view text, platform::TextMode mode) override;
};

// The classic runtime error number for a Win32 file error.
int ClassicFileError(unsigned long win32Error);

}  // namespace voxtrel::win32
