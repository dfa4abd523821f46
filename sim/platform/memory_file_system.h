#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace voxtrel::sim {

// Files and folders in memory, with Windows path rules: case-insensitive, though a folder's
// name keeps the case it was made with; '\' or '/' as separators; a file needs its folder.
// Starts with the folder "C:\".
class MemoryFileSystem final : public platform::IFileSystem {
 public:
  MemoryFileSystem();

  std::uint32_t GetAttr(std::string_view path) override;
  std::int64_t FileLen(std::string_view path) override;
  void Kill(std::string_view path) override;
  void MkDir(std::string_view path) override;
  void RmDir(std::string_view path) override;
  std::vector<std::string> SubFolders(std::string_view path) override;
  void WriteText(std::string_view path, std::string_view text, platform::TextMode mode) override;

  void AddFolder(std::string_view path);
  // Files below a read-only folder cannot be created, changed or deleted.
  void SetReadOnlyFolder(std::string_view path);
  void PutFile(std::string_view path, std::string contents);
  // Writes a file the way a program does: it needs its folder and the right to write there.
  void WriteFile(std::string_view path, std::string contents);
  bool Exists(std::string_view path) const;
  // The bytes of a file; throws when it does not exist.
  const std::string& Contents(std::string_view path) const;

 private:
  // The path with backslashes for separators and none at its end, its case kept.
  static std::string Spelled(std::string_view path);
  static std::string Normalize(std::string_view path);
  static std::string ParentOf(const std::string& normalized);
  static std::string NameOf(const std::string& path);
  void RequireWritable(const std::string& normalized) const;

  std::map<std::string, std::string> folders_;  // normalized path -> name as first spelled
  std::set<std::string> readOnlyFolders_;
  std::map<std::string, std::string> files_;
};

}  // namespace voxtrel::sim
