#include "win32/audio/wav_file.h"

#include <limits>
#include <string>
#include <vector>

#include "common/error.h"
#include "win32/audio/multimedia_errors.h"
#include "win32/base/text.h"
#include "win32/base/unique_handle.h"
#include "win32/platform/win32_file_system.h"

namespace voxtrel::win32 {
namespace {

// The "fmt " chunk sits near the start; a header larger than this is not one we write.
constexpr DWORD kMaxHeaderBytes = 64 * 1024;
constexpr std::uint32_t kPcmHeaderBytes = 44;

std::uint32_t GetLe(const std::vector<std::uint8_t>& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i)
    value = (value << 8) | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<std::uint8_t>& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

bool HasTag(const std::vector<std::uint8_t>& bytes, std::size_t at, std::string_view tag) {
  return at + tag.size() <= bytes.size() &&
         std::equal(tag.begin(), tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

[[noreturn]] void ThrowNotPcm(std::string_view path) {
  throw Error(mcierr::kCannotPlay, kMultimediaSource,
              "The recording device element \"" + std::string(path) + "\" is not a PCM WAV file.");
}

std::vector<std::uint8_t> ReadHead(std::string_view path) {
  UniqueHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      throw Error(mcierr::kFileNotFound, kMultimediaSource,
                  "The recording device element \"" + std::string(path) + "\" was not found.");
    }
    throw Error(mcierr::kFileNotFound, kMultimediaSource,
                "Cannot open the recording device element \"" + std::string(path) +
                    "\": " + SystemMessage(error));
  }
  std::vector<std::uint8_t> bytes(kMaxHeaderBytes);
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), kMaxHeaderBytes, &read, nullptr)) read = 0;
  bytes.resize(read);
  return bytes;
}

}  // namespace

WAVEFORMATEX ReadWavFormat(std::string_view path) {
  const std::vector<std::uint8_t> bytes = ReadHead(path);
  if (!HasTag(bytes, 0, "RIFF") || !HasTag(bytes, 8, "WAVE")) ThrowNotPcm(path);
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::uint32_t size = GetLe(bytes, at + 4, 4);
    const std::size_t body = at + 8;
    if (HasTag(bytes, at, "fmt ")) {
      if (size < 16 || body + 16 > bytes.size()) break;
      WAVEFORMATEX format{};
      format.wFormatTag = static_cast<WORD>(GetLe(bytes, body, 2));
      format.nChannels = static_cast<WORD>(GetLe(bytes, body + 2, 2));
      format.nSamplesPerSec = GetLe(bytes, body + 4, 4);
      format.nAvgBytesPerSec = GetLe(bytes, body + 8, 4);
      format.nBlockAlign = static_cast<WORD>(GetLe(bytes, body + 12, 2));
      format.wBitsPerSample = static_cast<WORD>(GetLe(bytes, body + 14, 2));
      const bool usable = format.wFormatTag == WAVE_FORMAT_PCM && format.nChannels > 0 &&
                          format.nSamplesPerSec > 0 && format.nBlockAlign > 0 &&
                          format.nAvgBytesPerSec == format.nSamplesPerSec * format.nBlockAlign;
      if (!usable) break;
      return format;
    }
    at = body + size + (size & 1);
  }
  ThrowNotPcm(path);
}

void WriteWavFile(std::string_view path, const WAVEFORMATEX& format,
                  std::span<const std::uint8_t> samples) {
  if (samples.size() > std::numeric_limits<std::uint32_t>::max() - kPcmHeaderBytes) {
    throw Error(errnum::kDiskFull, kMultimediaSource, "The recording is too long for a WAV file.");
  }
  const auto dataBytes = static_cast<std::uint32_t>(samples.size());
  std::vector<std::uint8_t> header;
  PutTag(header, "RIFF");
  PutLe(header, kPcmHeaderBytes - 8 + dataBytes + (dataBytes & 1), 4);
  PutTag(header, "WAVEfmt ");
  PutLe(header, 16, 4);
  PutLe(header, format.wFormatTag, 2);
  PutLe(header, format.nChannels, 2);
  PutLe(header, format.nSamplesPerSec, 4);
  PutLe(header, format.nAvgBytesPerSec, 4);
  PutLe(header, format.nBlockAlign, 2);
  PutLe(header, format.wBitsPerSample, 2);
  PutTag(header, "data");
  PutLe(header, dataBytes, 4);

  const auto fail = [&](DWORD error) {
    throw Error(
        ClassicFileError(error), kMultimediaSource,
        "Cannot save the recording to \"" + std::string(path) + "\": " + SystemMessage(error));
  };
  UniqueHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) fail(GetLastError());
  const auto write = [&](const void* data, std::size_t size) {
    DWORD written = 0;
    if (!::WriteFile(file.get(), data, static_cast<DWORD>(size), &written, nullptr)) {
      fail(GetLastError());
    }
    if (written != size) fail(ERROR_DISK_FULL);
  };
  write(header.data(), header.size());
  if (!samples.empty()) write(samples.data(), samples.size());
  if ((dataBytes & 1) != 0) write("", 1);  // chunks are word aligned
}

}  // namespace voxtrel::win32
