#include "win32/platform/win32_clipboard.h"

#include <windows.h>

#include <cstring>

#include "win32/base/unique_handle.h"
#include "win32/platform/win32_drawing.h"

namespace voxtrel::win32 {
namespace {

// Locked for the scope.
class LockedGlobal {
 public:
  explicit LockedGlobal(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
  ~LockedGlobal() {
    if (data_ != nullptr) GlobalUnlock(block_);
  }
  LockedGlobal(const LockedGlobal&) = delete;
  LockedGlobal& operator=(const LockedGlobal&) = delete;
  void* data() const { return data_; }

 private:
  HGLOBAL block_;
  void* data_;
};

}  // namespace

bool Win32Clipboard::Open() {
  return OpenClipboard(nullptr) != FALSE;
}

void Win32Clipboard::Close() {
  CloseClipboard();
}

void Win32Clipboard::Empty() {
  EmptyClipboard();
}

bool Win32Clipboard::IsFormatAvailable(std::uint32_t format) {
  return IsClipboardFormatAvailable(format) != FALSE;
}

std::vector<std::uint32_t> Win32Clipboard::Formats() {
  std::vector<std::uint32_t> formats;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    formats.push_back(format);
  }
  return formats;
}

std::uint32_t Win32Clipboard::RegisterFormat(const std::string& name) {
  return RegisterClipboardFormatA(name.c_str());
}

std::string Win32Clipboard::FormatName(std::uint32_t format) {
  char name[256];
  const int length = GetClipboardFormatNameA(format, name, sizeof name);
  return length > 0 ? std::string(name, static_cast<std::size_t>(length)) : std::string();
}

std::optional<platform::Bytes> Win32Clipboard::GetData(std::uint32_t format) {
  const HANDLE block = GetClipboardData(format);
  if (block == nullptr) return std::nullopt;
  const LockedGlobal locked(block);
  if (locked.data() == nullptr) return std::nullopt;
  const auto* start = static_cast<const std::uint8_t*>(locked.data());
  return platform::Bytes(start, start + GlobalSize(block));
}

bool Win32Clipboard::SetData(std::uint32_t format, const platform::Bytes& bytes) {
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size()));
  if (!block) return false;
  {
    const LockedGlobal locked(block.get());
    if (locked.data() == nullptr) return false;
    if (!bytes.empty()) std::memcpy(locked.data(), bytes.data(), bytes.size());
  }
  if (SetClipboardData(format, block.get()) == nullptr) return false;
  (void)block.release();  // the clipboard owns it now
  return true;
}

std::optional<platform::Bytes> Win32Clipboard::GetBitmap() {
  const auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  if (bitmap == nullptr) return std::nullopt;
  platform::Bytes dib = DibOfBitmap(bitmap);
  if (dib.empty()) return std::nullopt;
  return dib;
}

bool Win32Clipboard::SetBitmap(const platform::Bytes& packedDib) {
  UniqueBitmap bitmap = BitmapOfDib(packedDib, false);
  if (!bitmap || SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) return false;
  (void)bitmap.release();  // the clipboard owns it now
  return true;
}

}  // namespace voxtrel::win32
