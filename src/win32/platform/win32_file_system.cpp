#include "win32/platform/win32_file_system.h"

#include <windows.h>

#include "common/error.h"
#include "win32/base/text.h"
#include "win32/base/unique_handle.h"

namespace voxtrel::win32 {
namespace {

[[noreturn]] void ThrowLastError() {
  throw Error(ClassicFileError(GetLastError()));
}

bool IsSubFolder(const WIN32_FIND_DATAW& entry) {
  const std::wstring_view name = entry.cFileName;
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && name != L"." &&
         name != L"..";
}

}  // namespace

int ClassicFileError(unsigned long win32Error) {
  switch (win32Error) {
    case ERROR_FILE_NOT_FOUND:
      return errnum::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
      return errnum::kPathNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return errnum::kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return errnum::kDiskFull;
    case ERROR_INVALID_NAME:
      return errnum::kBadFileNameOrNumber;
    case ERROR_INVALID_DRIVE:
      return 68;  // Device unavailable
    case ERROR_NOT_READY:
      return 71;  // Disk not ready
    default:
      return errnum::kPathFileAccessError;
  }
}

std::uint32_t Win32FileSystem::GetAttr(std::string_view path) {
  const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError();
  return attributes;
}

std::int64_t Win32FileSystem::FileLen(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data)) {
    ThrowLastError();
  }
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void Win32FileSystem::Kill(std::string_view path) {
  if (!DeleteFileW(Utf8ToWide(path).c_str())) ThrowLastError();
}

void Win32FileSystem::MkDir(std::string_view path) {
  if (!CreateDirectoryW(Utf8ToWide(path).c_str(), nullptr)) ThrowLastError();
}

void Win32FileSystem::RmDir(std::string_view path) {
  if (RemoveDirectoryW(Utf8ToWide(path).c_str())) return;
  // A folder that is not there is a path not found, for the folder statements.
  if (GetLastError() == ERROR_FILE_NOT_FOUND) throw Error(errnum::kPathNotFound);
  ThrowLastError();
}

std::vector<std::string> Win32FileSystem::SubFolders(std::string_view path) {
  // An empty path would list the current drive's root.
  if (path.empty()) throw Error(errnum::kPathNotFound);
  std::wstring pattern = Utf8ToWide(path);
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry{};
  const UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
  std::vector<std::string> names;
  if (!find) {
    // Nothing at all matched, which only a drive's empty root does.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    ThrowLastError();
  }
  do {
    if (IsSubFolder(entry)) names.push_back(WideToUtf8(entry.cFileName));
  } while (FindNextFileW(find.get(), &entry));
  if (GetLastError() != ERROR_NO_MORE_FILES) ThrowLastError();
  return names;
}

void Win32FileSystem::WriteText(std::string_view path, std::string_view text,
                                platform::TextMode mode) {
  if (path.empty()) throw Error(errnum::kBadFileNameOrNumber);
  const bool create = mode == platform::TextMode::kCreate;
  UniqueHandle file(CreateFileW(Utf8ToWide(path).c_str(), create ? GENERIC_WRITE : FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                create ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) ThrowLastError();
  const std::string bytes = Utf8ToAnsi(text);
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    ThrowLastError();
  }
  if (written != bytes.size()) throw Error(errnum::kDiskFull);
}

}  // namespace voxtrel::win32
