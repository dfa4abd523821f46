#include "win32/audio/multimedia_errors.h"

#include "win32/base/text.h"

namespace voxtrel::win32 {
namespace {

std::string TrimLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

std::string WaveInErrorText(MMRESULT result) {
  wchar_t text[MAXERRORLENGTH] = {};
  if (waveInGetErrorTextW(result, text, MAXERRORLENGTH) != MMSYSERR_NOERROR) {
    return "wave input error " + std::to_string(result);
  }
  return TrimLineEnd(WideToUtf8(text));
}

}  // namespace

std::string SystemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return "system error " + std::to_string(error);
  std::string text = WideToUtf8(std::wstring_view(buffer, length));
  LocalFree(buffer);
  return TrimLineEnd(std::move(text));
}

std::string MciErrorText(MCIERROR error) {
  wchar_t text[MAXERRORLENGTH] = {};
  if (!mciGetErrorStringW(error, text, MAXERRORLENGTH) || text[0] == L'\0') {
    return "MCI error " + std::to_string(error);
  }
  return TrimLineEnd(WideToUtf8(text));
}

Error MciError(MCIERROR error, std::string_view context) {
  return Error(static_cast<int>(LOWORD(error)), kMultimediaSource,
               std::string(context) + ": " + MciErrorText(error));
}

Error WaveInError(MMRESULT result) {
  switch (result) {
    case MMSYSERR_BADDEVICEID:
    case MMSYSERR_NODRIVER:
    case MMSYSERR_NOTENABLED:
      return Error(mcierr::kNoInputDevice, kMultimediaSource,
                   "No wave input device is available for recording.");
    case MMSYSERR_ALLOCATED:
      return Error(mcierr::kInputInUse, kMultimediaSource,
                   "The wave input device is in use by another program.");
    case WAVERR_BADFORMAT:
      return Error(mcierr::kNoInputDevice, kMultimediaSource,
                   "The wave input device cannot record in the format of the recording device "
                   "element.");
    default:
      return Error(mcierr::kNoInputDevice, kMultimediaSource,
                   "The wave input device failed to start: " + WaveInErrorText(result));
  }
}

}  // namespace voxtrel::win32
