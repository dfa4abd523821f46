#include "sim/platform/memory_file_system.h"

#include <algorithm>
#include <stdexcept>

#include "common/classic.h"
#include "common/error.h"

namespace voxtrel::sim {

MemoryFileSystem::MemoryFileSystem() {
  folders_.emplace("c:", "C:");
}

std::string MemoryFileSystem::Spelled(std::string_view path) {
  std::string spelled;
  for (const char c : path) spelled += (c == '/') ? '\\' : c;
  while (!spelled.empty() && spelled.back() == '\\') spelled.pop_back();
  return spelled;
}

std::string MemoryFileSystem::Normalize(std::string_view path) {
  return classic::LCase(Spelled(path));
}

std::string MemoryFileSystem::NameOf(const std::string& path) {
  return path.substr(path.rfind('\\') + 1);
}

std::string MemoryFileSystem::ParentOf(const std::string& normalized) {
  const auto slash = normalized.rfind('\\');
  return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

void MemoryFileSystem::RequireWritable(const std::string& normalized) const {
  const std::string parent = ParentOf(normalized);
  if (normalized.empty() || normalized.back() == ':') throw Error(errnum::kBadFileNameOrNumber);
  if (folders_.count(parent) == 0) throw Error(errnum::kPathNotFound);
  if (folders_.count(normalized) == 1) throw Error(errnum::kPathFileAccessError);
  if (readOnlyFolders_.count(parent) == 1) throw Error(errnum::kPathFileAccessError);
}

std::uint32_t MemoryFileSystem::GetAttr(std::string_view path) {
  const std::string normalized = Normalize(path);
  if (folders_.count(normalized) == 1) return platform::kAttrDirectory;
  if (files_.count(normalized) == 1) return 0x20;  // archive
  if (folders_.count(ParentOf(normalized)) == 0) throw Error(errnum::kPathNotFound);
  throw Error(errnum::kFileNotFound);
}

std::int64_t MemoryFileSystem::FileLen(std::string_view path) {
  const auto file = files_.find(Normalize(path));
  if (file == files_.end()) throw Error(errnum::kFileNotFound);
  return static_cast<std::int64_t>(file->second.size());
}

void MemoryFileSystem::Kill(std::string_view path) {
  const std::string normalized = Normalize(path);
  if (files_.count(normalized) == 0) throw Error(errnum::kFileNotFound);
  if (readOnlyFolders_.count(ParentOf(normalized)) == 1) throw Error(errnum::kPathFileAccessError);
  files_.erase(normalized);
}

void MemoryFileSystem::MkDir(std::string_view path) {
  const std::string normalized = Normalize(path);
  RequireWritable(normalized);
  if (files_.count(normalized) == 1) throw Error(errnum::kPathFileAccessError);
  folders_.emplace(normalized, NameOf(Spelled(path)));
}

void MemoryFileSystem::RmDir(std::string_view path) {
  const std::string normalized = Normalize(path);
  if (folders_.count(normalized) == 0) throw Error(errnum::kPathNotFound);
  const auto inside = [&](const std::string& entry) { return ParentOf(entry) == normalized; };
  if (std::any_of(files_.begin(), files_.end(),
                  [&](const auto& file) { return inside(file.first); }) ||
      std::any_of(folders_.begin(), folders_.end(),
                  [&](const auto& folder) { return inside(folder.first); }) ||
      readOnlyFolders_.count(ParentOf(normalized)) == 1) {
    throw Error(errnum::kPathFileAccessError);
  }
  folders_.erase(normalized);
}

std::vector<std::string> MemoryFileSystem::SubFolders(std::string_view path) {
  const std::string normalized = Normalize(path);
  if (folders_.count(normalized) == 0) throw Error(errnum::kPathNotFound);
  std::vector<std::string> names;
  for (const auto& [folder, name] : folders_) {
    if (ParentOf(folder) == normalized) names.push_back(name);
  }
  return names;
}

void MemoryFileSystem::WriteFile(std::string_view path, std::string contents) {
  const std::string normalized = Normalize(path);
  RequireWritable(normalized);
  files_[normalized] = std::move(contents);
}

void MemoryFileSystem::WriteText(std::string_view path, std::string_view text,
                                 platform::TextMode mode) {
  const std::string normalized = Normalize(path);
  RequireWritable(normalized);
  std::string& contents = files_[normalized];
  if (mode == platform::TextMode::kCreate) contents.clear();
  contents.append(text);
}

void MemoryFileSystem::AddFolder(std::string_view path) {
  for (std::string spelled = Spelled(path); !spelled.empty(); spelled = ParentOf(spelled)) {
    folders_.emplace(classic::LCase(spelled), NameOf(spelled));
  }
}

void MemoryFileSystem::SetReadOnlyFolder(std::string_view path) {
  AddFolder(path);
  readOnlyFolders_.insert(Normalize(path));
}

void MemoryFileSystem::PutFile(std::string_view path, std::string contents) {
  const std::string normalized = Normalize(path);
  AddFolder(ParentOf(normalized));
  files_[normalized] = std::move(contents);
}

bool MemoryFileSystem::Exists(std::string_view path) const {
  const std::string normalized = Normalize(path);
  return files_.count(normalized) == 1 || folders_.count(normalized) == 1;
}

const std::string& MemoryFileSystem::Contents(std::string_view path) const {
  const auto file = files_.find(Normalize(path));
  if (file == files_.end()) throw std::out_of_range("no such file: " + std::string(path));
  return file->second;
}

}  // namespace voxtrel::sim
