#include "sim/platform/memory_clipboard.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "sim/pictures/dib.h"
#include "sim/text/code_pages.h"

namespace voxtrel::sim {
namespace {

using platform::Bytes;

// The first number Windows gives a registered format.
constexpr std::uint32_t kFirstRegistered = 0xC000;
constexpr char kMonitorsExcluded[] = "ExcludeClipboardContentFromMonitorProcessing";
// What Wine gives text that comes without a locale: English (United States).
constexpr std::array<std::uint8_t, 4> kEnglishLocale = {0x09, 0x04, 0, 0};
// Made-up formats are listed after the locale, in the order of their numbers.
constexpr std::array<std::uint32_t, 6> kMadeUpOrder = {
    platform::kCfText, platform::kCfBitmap,      platform::kCfOemText,
    platform::kCfDib,  platform::kCfUnicodeText, platform::kCfDibV5};
constexpr std::size_t kInfoHeader = 40;
constexpr std::size_t kV5Header = 124;
constexpr std::uint32_t kBitFields = 3;
constexpr std::size_t kMasks = 12;

std::string Lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return text;
}

int FamilyOf(std::uint32_t format) {
  switch (format) {
    case platform::kCfText:
    case platform::kCfOemText:
    case platform::kCfUnicodeText:
      return 1;
    case platform::kCfBitmap:
    case platform::kCfDib:
    case platform::kCfDibV5:
      return 2;
    default:
      return 0;
  }
}

// Formats whose data is a handle of another kind than a memory block.
bool IsHandleFormat(std::uint32_t format) {
  return format == platform::kCfBitmap || format == platform::kCfPalette ||
         format == platform::kCfEnhMetafile || format == platform::kCfMetafilePict;
}

std::uint32_t Read32(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                    bytes[at + 3] << 24);
}

void Write32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A DIB under a version-5 header: the fields it shares, its bit-field masks moved inside.
Bytes AsV5(const Bytes& dib) {
  if (dib.size() < kInfoHeader || Read32(dib, 0) != kInfoHeader) return dib;
  Bytes v5(kV5Header, 0);
  std::copy_n(dib.begin(), kInfoHeader, v5.begin());
  Write32(v5, 0, kV5Header);
  std::size_t rest = kInfoHeader;
  if (Read32(dib, 16) == kBitFields && dib.size() >= kInfoHeader + kMasks) {
    std::copy_n(dib.begin() + kInfoHeader, kMasks, v5.begin() + kInfoHeader);
    rest += kMasks;
  }
  v5.insert(v5.end(), dib.begin() + static_cast<std::ptrdiff_t>(rest), dib.end());
  return v5;
}

// A version-5 (or 4) DIB under a plain header.
Bytes AsInfoHeader(const Bytes& v5) {
  if (v5.size() < kInfoHeader) return v5;
  const std::uint32_t header = Read32(v5, 0);
  if (header <= kInfoHeader || header > v5.size()) return v5;
  Bytes dib(v5.begin(), v5.begin() + kInfoHeader);
  Write32(dib, 0, kInfoHeader);
  if (Read32(v5, 16) == kBitFields) {
    dib.insert(dib.end(), v5.begin() + kInfoHeader, v5.begin() + kInfoHeader + kMasks);
  }
  dib.insert(dib.end(), v5.begin() + header, v5.end());
  return dib;
}

// A text format's characters, up to its end.
std::u16string CharactersOf(std::uint32_t format, const Bytes& bytes) {
  if (format == platform::kCfUnicodeText) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      const auto unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
      if (unit == 0) break;
      text += unit;
    }
    return text;
  }
  const std::string text(bytes.begin(), std::find(bytes.begin(), bytes.end(), std::uint8_t{0}));
  return Utf16OfCodePage(text,
                         format == platform::kCfOemText ? CodePage::kOem437 : CodePage::kAnsi1252);
}

Bytes TextIn(std::uint32_t format, const std::u16string& text) {
  Bytes bytes;
  if (format == platform::kCfUnicodeText) {
    for (const char16_t unit : text) {
      bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
  }
  const std::string encoded = CodePageOfUtf16(
      text, format == platform::kCfOemText ? CodePage::kOem437 : CodePage::kAnsi1252);
  bytes.assign(encoded.begin(), encoded.end());
  bytes.push_back(0);
  return bytes;
}

}  // namespace

bool MemoryClipboard::Open() {
  if (open_ || heldElsewhere_) return false;
  open_ = true;
  return true;
}

void MemoryClipboard::Close() {
  open_ = false;
}

void MemoryClipboard::RequireOpen() const {
  if (!open_) throw std::logic_error("the clipboard is not open");
}

void MemoryClipboard::Empty() {
  RequireOpen();
  data_.clear();
}

const MemoryClipboard::Entry* MemoryClipboard::Find(std::uint32_t format) const {
  const auto found =
      std::ranges::find_if(data_, [format](const Entry& entry) { return entry.format == format; });
  return found == data_.end() ? nullptr : &*found;
}

const MemoryClipboard::Entry* MemoryClipboard::FamilySource(std::uint32_t format) const {
  const int family = FamilyOf(format);
  if (family == 0) return nullptr;
  const auto found = std::ranges::find_if(
      data_, [family](const Entry& entry) { return FamilyOf(entry.format) == family; });
  return found == data_.end() ? nullptr : &*found;
}

std::optional<Bytes> MemoryClipboard::MadeUp(std::uint32_t format) const {
  if (format == platform::kCfLocale) {
    const bool text = FamilySource(platform::kCfText) != nullptr;
    if (!text) return std::nullopt;
    return Bytes(kEnglishLocale.begin(), kEnglishLocale.end());
  }
  const Entry* source = FamilySource(format);
  if (source == nullptr || source->format == format) return std::nullopt;
  if (FamilyOf(format) == 1) return TextIn(format, CharactersOf(source->format, source->bytes));
  if (format == platform::kCfDibV5) return AsV5(source->bytes);
  if (source->format == platform::kCfDibV5) return AsInfoHeader(source->bytes);
  return source->bytes;
}

bool MemoryClipboard::IsFormatAvailable(std::uint32_t format) {
  if (Find(format) != nullptr) return true;
  if (format == platform::kCfLocale) return FamilySource(platform::kCfText) != nullptr;
  const Entry* source = FamilySource(format);
  return source != nullptr;
}

std::vector<std::uint32_t> MemoryClipboard::Formats() {
  RequireOpen();
  std::vector<std::uint32_t> formats;
  for (const Entry& entry : data_) formats.push_back(entry.format);
  if (!Find(platform::kCfLocale) && FamilySource(platform::kCfText)) {
    formats.push_back(platform::kCfLocale);
  }
  for (const std::uint32_t format : kMadeUpOrder) {
    if (!Find(format) && FamilySource(format)) formats.push_back(format);
  }
  return formats;
}

std::uint32_t MemoryClipboard::RegisterFormat(const std::string& name) {
  // Names match without regard to case, as the system's atoms do; the first spelling stays.
  const auto [entry, added] = registered_.try_emplace(
      Lower(name), kFirstRegistered + static_cast<std::uint32_t>(registered_.size()), name);
  return entry->second.first;
}

std::string MemoryClipboard::FormatName(std::uint32_t format) {
  for (const auto& [key, entry] : registered_) {
    if (entry.first == format) return entry.second;
  }
  return {};
}

std::optional<Bytes> MemoryClipboard::GetData(std::uint32_t format) {
  RequireOpen();
  if (IsHandleFormat(format)) return std::nullopt;
  if (const Entry* entry = Find(format)) return entry->bytes;
  return MadeUp(format);
}

bool MemoryClipboard::Marked() const {
  const auto found = registered_.find(Lower(kMonitorsExcluded));
  return found != registered_.end() && Find(found->second.first) != nullptr;
}

bool MemoryClipboard::Put(Entry entry) {
  if (!open_) return false;
  std::erase_if(data_, [&entry](const Entry& held) { return held.format == entry.format; });
  const std::uint32_t format = entry.format;
  const Bytes bytes = entry.metafilePicture ? entry.metafilePicture->bits : entry.bytes;
  data_.push_back(std::move(entry));
  writes_.push_back({format, bytes, Marked()});
  return true;
}

bool MemoryClipboard::SetData(std::uint32_t format, const Bytes& bytes) {
  if (IsHandleFormat(format)) return false;
  return Put({format, bytes, std::nullopt});
}

std::optional<Bytes> MemoryClipboard::GetBitmap() {
  RequireOpen();
  const Entry* source = FamilySource(platform::kCfBitmap);
  if (source == nullptr) return std::nullopt;
  Bytes dib = source->format == platform::kCfDibV5 ? AsInfoHeader(source->bytes) : source->bytes;
  if (!ParseDib(dib)) return std::nullopt;
  return dib;
}

bool MemoryClipboard::SetBitmap(const Bytes& packedDib) {
  if (!ParseDib(packedDib)) return false;
  return Put({platform::kCfBitmap, packedDib, std::nullopt});
}

std::optional<Bytes> MemoryClipboard::GetPalette() {
  RequireOpen();
  const Entry* entry = Find(platform::kCfPalette);
  if (entry == nullptr) return std::nullopt;
  return entry->bytes;
}

bool MemoryClipboard::SetPalette(const Bytes& entries) {
  if (entries.empty() || entries.size() % 4 != 0) return false;
  return Put({platform::kCfPalette, entries, std::nullopt});
}

std::optional<Bytes> MemoryClipboard::GetEnhMetafile() {
  RequireOpen();
  const Entry* entry = Find(platform::kCfEnhMetafile);
  if (entry == nullptr) return std::nullopt;
  return entry->bytes;
}

bool MemoryClipboard::SetEnhMetafile(const Bytes& bits) {
  // An enhanced metafile starts with its header record (type 1).
  constexpr std::size_t kSmallest = 8;
  if (bits.size() < kSmallest || Read32(bits, 0) != 1) return false;
  return Put({platform::kCfEnhMetafile, bits, std::nullopt});
}

std::optional<platform::MetafilePicture> MemoryClipboard::GetMetafilePicture() {
  RequireOpen();
  const Entry* entry = Find(platform::kCfMetafilePict);
  if (entry == nullptr) return std::nullopt;
  return entry->metafilePicture;
}

bool MemoryClipboard::SetMetafilePicture(const platform::MetafilePicture& picture) {
  // A metafile starts with its 18-byte header.
  constexpr std::size_t kHeader = 18;
  if (picture.bits.size() < kHeader) return false;
  return Put({platform::kCfMetafilePict, {}, picture});
}

}  // namespace voxtrel::sim
