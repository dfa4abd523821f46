#include "win32/platform/win32_clipboard.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

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

// Formats whose data is a handle of another kind than a memory block.
bool IsHandleFormat(std::uint32_t format) {
  return format == CF_BITMAP || format == CF_PALETTE || format == CF_ENHMETAFILE ||
         format == CF_METAFILEPICT;
}

// Hands a handle the caller made over; the clipboard owns it from then on.
template <typename Unique>
bool HandOver(UINT format, Unique handle) {
  if (!handle || SetClipboardData(format, handle.get()) == nullptr) return false;
  (void)handle.release();
  return true;
}

}  // namespace

// Nothing is put for rendering later, so the owner has no message of its own to answer.
Win32Clipboard::Win32Clipboard() : owner_([](UINT, WPARAM, LPARAM) { return std::nullopt; }) {}

bool Win32Clipboard::Open() {
  // Clipboard monitors (Wine's own bridge to X among them) open it for a moment after every
  // change: a holder that lets go within a fifth of a second does not count.
  constexpr int kAttempts = 20;
  constexpr DWORD kPauseMs = 10;
  for (int attempt = 1; attempt < kAttempts; ++attempt) {
    if (OpenClipboard(owner_.get())) return true;
    Sleep(kPauseMs);
  }
  return OpenClipboard(owner_.get()) != FALSE;
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
  if (IsHandleFormat(format)) return std::nullopt;
  const HANDLE block = GetClipboardData(format);
  if (block == nullptr) return std::nullopt;
  const LockedGlobal locked(block);
  if (locked.data() == nullptr) return std::nullopt;
  const auto* start = static_cast<const std::uint8_t*>(locked.data());
  return platform::Bytes(start, start + GlobalSize(block));
}

bool Win32Clipboard::SetData(std::uint32_t format, const platform::Bytes& bytes) {
  if (IsHandleFormat(format)) return false;
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
  return HandOver(CF_BITMAP, BitmapOfDib(packedDib, false));
}

std::optional<platform::Bytes> Win32Clipboard::GetPalette() {
  const auto palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
  if (palette == nullptr) return std::nullopt;
  const UINT count = GetPaletteEntries(palette, 0, 0, nullptr);
  if (count == 0) return std::nullopt;
  platform::Bytes entries(count * sizeof(PALETTEENTRY));
  GetPaletteEntries(palette, 0, count, reinterpret_cast<PALETTEENTRY*>(entries.data()));
  return entries;
}

bool Win32Clipboard::SetPalette(const platform::Bytes& entries) {
  const std::size_t count = entries.size() / sizeof(PALETTEENTRY);
  if (count == 0 || count > 0xFFFF || entries.size() % sizeof(PALETTEENTRY) != 0) return false;
  // LOGPALETTE holds its first entry itself.
  std::vector<std::uint8_t> logical(offsetof(LOGPALETTE, palPalEntry) + entries.size());
  auto* palette = reinterpret_cast<LOGPALETTE*>(logical.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(count);
  std::memcpy(palette->palPalEntry, entries.data(), entries.size());
  return HandOver(CF_PALETTE, UniqueGdiObject<HPALETTE>(CreatePalette(palette)));
}

std::optional<platform::Bytes> Win32Clipboard::GetEnhMetafile() {
  const auto metafile = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
  if (metafile == nullptr) return std::nullopt;
  const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
  if (size == 0) return std::nullopt;
  platform::Bytes bits(size);
  if (GetEnhMetaFileBits(metafile, size, bits.data()) != size) return std::nullopt;
  return bits;
}

bool Win32Clipboard::SetEnhMetafile(const platform::Bytes& bits) {
  return HandOver(CF_ENHMETAFILE, UniqueEnhMetafile(SetEnhMetaFileBits(
                                      static_cast<UINT>(bits.size()), bits.data())));
}

std::optional<platform::MetafilePicture> Win32Clipboard::GetMetafilePicture() {
  const HANDLE block = GetClipboardData(CF_METAFILEPICT);
  if (block == nullptr) return std::nullopt;
  const LockedGlobal locked(block);
  if (locked.data() == nullptr || GlobalSize(block) < sizeof(METAFILEPICT)) return std::nullopt;
  const auto& picture = *static_cast<const METAFILEPICT*>(locked.data());
  const UINT size = GetMetaFileBitsEx(picture.hMF, 0, nullptr);
  if (size == 0) return std::nullopt;
  platform::MetafilePicture read{picture.mm, picture.xExt, picture.yExt, platform::Bytes(size)};
  if (GetMetaFileBitsEx(picture.hMF, size, read.bits.data()) != size) return std::nullopt;
  return read;
}

bool Win32Clipboard::SetMetafilePicture(const platform::MetafilePicture& picture) {
  UniqueMetafile metafile(
      SetMetaFileBitsEx(static_cast<UINT>(picture.bits.size()), picture.bits.data()));
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(METAFILEPICT)));
  if (!metafile || !block) return false;
  {
    const LockedGlobal locked(block.get());
    if (locked.data() == nullptr) return false;
    *static_cast<METAFILEPICT*>(locked.data()) =
        METAFILEPICT{picture.mapMode, picture.xExt, picture.yExt, metafile.get()};
  }
  // Emptying the clipboard deletes the metafile with the block that names it.
  if (!HandOver(CF_METAFILEPICT, std::move(block))) return false;
  (void)metafile.release();
  return true;
}

}  // namespace voxtrel::win32
