#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <string_view>

#include "common/error.h"

namespace voxtrel::win32 {

// The multimedia control's errors name it as their source, as the MCI control's did.
inline constexpr char kMultimediaSource[] = "WaveMe";

// Error numbers the control raises for failures of its own; MCI's own failures keep MCI's
// number. They match the native double's, so the core sees the same numbers on both.
namespace mcierr {
inline constexpr int kNotOpen = 262;
inline constexpr int kFileNotFound = MCIERR_FILE_NOT_FOUND;
inline constexpr int kCannotPlay = 304;
inline constexpr int kInputInUse = MCIERR_WAVE_INPUTSINUSE;
inline constexpr int kNoInputDevice = MCIERR_WAVE_INPUTSUNSUITABLE;
}  // namespace mcierr

// The system's text for a Win32 error, without the trailing line break.
std::string SystemMessage(DWORD error);

// MCI's text for one of its errors (mciGetErrorString).
std::string MciErrorText(MCIERROR error);

// An MCI failure as the control raises it: MCI's number, `context` and MCI's text.
Error MciError(MCIERROR error, std::string_view context);

// A failure to start wave input as the control raises it.
Error WaveInError(MMRESULT result);

}  // namespace voxtrel::win32
