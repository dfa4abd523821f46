#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace voxtrel::platform {

enum class TextMode {
  kCreate,  // an existing file is truncated
  kAppend,  // the file is created when missing
};

// Files by path, the way the classic file statements see them. Paths are Windows paths in
// UTF-8. Failures throw voxtrel::Error with the classic number ("Path not found", ...).
class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  // Attributes of a file or folder (GetAttr).
  virtual std::uint32_t GetAttr(std::string_view path) = 0;
  // Length in bytes of a file (FileLen).
  virtual std::int64_t FileLen(std::string_view path) = 0;
  // Deletes a file (Kill).
  virtual void Kill(std::string_view path) = 0;
  // Makes a folder whose parent exists (MkDir); fails when the path exists already.
  virtual void MkDir(std::string_view path) = 0;
  // Removes an empty folder (RmDir).
  virtual void RmDir(std::string_view path) = 0;
  // The names of the folders directly in a folder, as spelled when made, in no particular
  // order: what Dir lists with vbDirectory, less the files, "." and "..". Links to folders
  // elsewhere are left out, so that nothing reached through them is taken for ours.
  virtual std::vector<std::string> SubFolders(std::string_view path) = 0;
  // Opens, writes the text (in the ANSI code page) and closes the file again.
  virtual void WriteText(std::string_view path, std::string_view text, TextMode mode) = 0;
};

inline constexpr std::uint32_t kAttrDirectory = 0x10;

}  // namespace voxtrel::platform
