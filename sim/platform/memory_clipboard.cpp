#include "sim/platform/memory_clipboard.h"

#include <algorithm>
#include <stdexcept>

#include "sim/pictures/dib.h"

namespace voxtrel::sim {
namespace {

// The first number Windows gives a registered format.
constexpr std::uint32_t kFirstRegistered = 0xC000;

std::string Lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return text;
}

// The text as Windows would give it converted: one UTF-16 unit per byte (ASCII) and a NUL.
platform::Bytes Utf16Of(const platform::Bytes& text) {
  platform::Bytes wide;
  for (const std::uint8_t c : text) {
    if (c == 0) break;
    wide.push_back(c);
    wide.push_back(0);
  }
  wide.insert(wide.end(), {0, 0});
  return wide;
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

const platform::Bytes* MemoryClipboard::Find(std::uint32_t format) const {
  const auto found =
      std::ranges::find_if(data_, [format](const auto& entry) { return entry.first == format; });
  return found == data_.end() ? nullptr : &found->second;
}

void MemoryClipboard::Put(std::uint32_t format, const platform::Bytes& bytes) {
  std::erase_if(data_, [format](const auto& entry) { return entry.first == format; });
  data_.emplace_back(format, bytes);
}

bool MemoryClipboard::IsFormatAvailable(std::uint32_t format) {
  if (Find(format) != nullptr) return true;
  if (format == platform::kCfUnicodeText) return Find(platform::kCfText) != nullptr;
  if (format == platform::kCfText) return Find(platform::kCfUnicodeText) != nullptr;
  if (format == platform::kCfDib) return Find(platform::kCfBitmap) != nullptr;
  if (format == platform::kCfBitmap) return Find(platform::kCfDib) != nullptr;
  return false;
}

std::vector<std::uint32_t> MemoryClipboard::Formats() {
  RequireOpen();
  std::vector<std::uint32_t> formats;
  for (const auto& [format, bytes] : data_) formats.push_back(format);
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

std::optional<platform::Bytes> MemoryClipboard::GetData(std::uint32_t format) {
  RequireOpen();
  if (const platform::Bytes* bytes = Find(format)) return *bytes;
  if (format == platform::kCfUnicodeText && Find(platform::kCfText)) {
    return Utf16Of(*Find(platform::kCfText));
  }
  if (format == platform::kCfDib && Find(platform::kCfBitmap)) return *Find(platform::kCfBitmap);
  return std::nullopt;
}

bool MemoryClipboard::SetData(std::uint32_t format, const platform::Bytes& bytes) {
  if (!open_) return false;
  Put(format, bytes);
  return true;
}

std::optional<platform::Bytes> MemoryClipboard::GetBitmap() {
  RequireOpen();
  if (const platform::Bytes* bytes = Find(platform::kCfBitmap)) return *bytes;
  if (const platform::Bytes* dib = Find(platform::kCfDib); dib && ParseDib(*dib)) return *dib;
  return std::nullopt;
}

bool MemoryClipboard::SetBitmap(const platform::Bytes& packedDib) {
  if (!open_ || !ParseDib(packedDib)) return false;
  Put(platform::kCfBitmap, packedDib);
  return true;
}

}  // namespace voxtrel::sim
