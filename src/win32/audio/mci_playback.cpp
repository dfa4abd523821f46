#include "win32/audio/mci_playback.h"

#include <algorithm>
#include <cwctype>

#include "common/error.h"
#include "win32/audio/multimedia_errors.h"
#include "win32/base/text.h"

namespace voxtrel::win32 {
namespace {

std::wstring LowerExtension(const std::wstring& path) {
  const auto dot = path.find_last_of(L'.');
  const auto slash = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return {};
  std::wstring extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  return extension;
}

// Naming the type spares MCI a guess from the registry, which Wine's defaults may lack.
const wchar_t* DeviceTypeFor(const std::wstring& path) {
  const std::wstring extension = LowerExtension(path);
  if (extension == L"wav") return L"waveaudio";
  if (extension == L"mp3" || extension == L"mpg" || extension == L"mpeg") return L"mpegvideo";
  if (extension == L"mid" || extension == L"rmi") return L"sequencer";
  return nullptr;
}

}  // namespace

MciPlayback::MciPlayback(std::string_view path, HWND notifyWindow)
    : path_(path), notifyWindow_(notifyWindow) {
  const std::wstring widePath = Utf8ToWide(path);
  const DWORD attributes = GetFileAttributesW(widePath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw MciError(MCIERR_FILE_NOT_FOUND, "Cannot open \"" + path_ + "\"");
  }
  MCI_OPEN_PARMSW open{};
  open.lpstrElementName = widePath.c_str();
  open.lpstrDeviceType = DeviceTypeFor(widePath);
  const DWORD_PTR flags = MCI_OPEN_ELEMENT | (open.lpstrDeviceType != nullptr ? MCI_OPEN_TYPE : 0);
  const MCIERROR error =
      mciSendCommandW(0, MCI_OPEN, flags | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open));
  if (error != 0) throw MciError(error, "Cannot open \"" + path_ + "\"");
  id_ = open.wDeviceID;
}

MciPlayback::~MciPlayback() {
  MCI_GENERIC_PARMS close{};
  Send(MCI_CLOSE, MCI_WAIT, &close);
}

MCIERROR MciPlayback::Send(UINT command, DWORD_PTR flags, void* parameters) const {
  return mciSendCommandW(id_, command, flags, reinterpret_cast<DWORD_PTR>(parameters));
}

std::int32_t MciPlayback::Mode() const {
  MCI_STATUS_PARMS status{};
  status.dwItem = MCI_STATUS_MODE;
  if (Send(MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, &status) != 0) return MCI_MODE_STOP;
  return static_cast<std::int32_t>(status.dwReturn);
}

void MciPlayback::Play() {
  MCI_PLAY_PARMS play{};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(notifyWindow_);
  const MCIERROR error = Send(MCI_PLAY, MCI_NOTIFY, &play);
  if (error != 0) throw MciError(error, "Cannot play \"" + path_ + "\"");
}

void MciPlayback::TogglePause() {
  MCI_GENERIC_PARMS parameters{};
  switch (Mode()) {
    case MCI_MODE_PLAY:
      Send(MCI_PAUSE, MCI_WAIT, &parameters);
      break;
    case MCI_MODE_PAUSE:
      // Not every device resumes; playing on from the position does the same.
      if (Send(MCI_RESUME, MCI_WAIT, &parameters) != 0) {
        try {
          Play();
        } catch (const Error&) {
          // Pause changes nothing on a device that cannot do it.
        }
      }
      break;
    default:
      break;
  }
}

void MciPlayback::Stop() {
  MCI_GENERIC_PARMS parameters{};
  Send(MCI_STOP, MCI_WAIT, &parameters);
}

}  // namespace voxtrel::win32
