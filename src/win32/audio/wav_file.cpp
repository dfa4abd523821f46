#include "win32/audio/wav_file.h"

#include <limits>
#include <string>

#include "common/error.h"
#include "common/wav_format.h"
#include "win32/audio/multimedia_errors.h"
#include "win32/base/text.h"
#include "win32/base/unique_handle.h"
#include "win32/platform/win32_file_system.h"

namespace voxtrel::win32 {
namespace {

// The "fmt " chunk sits near the start; a header larger than this is not one we write.
constexpr DWORD kMaxHeaderBytes = 64 * 1024;

[[noreturn]] void ThrowNotPcm(std::string_view path) {
  throw Error(mcierr::kCannotPlay, kMultimediaSource,
              "The recording device element \"" + std::string(path) + "\" is not a PCM WAV file.");
}

std::string ReadHead(std::string_view path) {
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
  std::string bytes(kMaxHeaderBytes, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), kMaxHeaderBytes, &read, nullptr)) read = 0;
  bytes.resize(read);
  return bytes;
}

}  // namespace

WAVEFORMATEX ReadWavFormat(std::string_view path) {
  const std::string head = ReadHead(path);
  const auto chunks = wav::FindChunks(wav::AsBytes(head));
  const auto fields = chunks ? wav::FormatOf(wav::AsBytes(head), *chunks) : std::nullopt;
  const bool usable = fields && fields->formatTag == WAVE_FORMAT_PCM && fields->channels > 0 &&
                      fields->samplesPerSec > 0 && fields->blockAlign > 0 &&
                      fields->avgBytesPerSec == fields->samplesPerSec * fields->blockAlign;
  if (!usable) ThrowNotPcm(path);
  WAVEFORMATEX format{};
  format.wFormatTag = fields->formatTag;
  format.nChannels = fields->channels;
  format.nSamplesPerSec = fields->samplesPerSec;
  format.nAvgBytesPerSec = fields->avgBytesPerSec;
  format.nBlockAlign = fields->blockAlign;
  format.wBitsPerSample = fields->bitsPerSample;
  return format;
}

void WriteWavFile(std::string_view path, const WAVEFORMATEX& format,
                  std::span<const std::uint8_t> samples) {
  if (samples.size() > std::numeric_limits<std::uint32_t>::max() - wav::kHeaderBytes) {
    throw Error(errnum::kDiskFull, kMultimediaSource, "The recording is too long for a WAV file.");
  }
  const auto dataBytes = static_cast<std::uint32_t>(samples.size());
  const std::string header =
      wav::Header({format.wFormatTag, format.nChannels, format.nSamplesPerSec,
                   format.nAvgBytesPerSec, format.nBlockAlign, format.wBitsPerSample},
                  dataBytes);

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
