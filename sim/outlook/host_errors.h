#pragma once

#include "common/error.h"

// The failures Outlook and Office give the add-in, with the numbers and texts they give them;
// both faces of the simulated Outlook raise them from here.
namespace voxtrel::olsim {

inline constexpr char kOutlookSource[] = "Microsoft Office Outlook";
inline constexpr char kOfficeSource[] = "Office";

// The HRESULTs, as the numbers an automation client sees.
inline constexpr int kRpcDisconnected = -2147417848;  // 0x80010108
inline constexpr int kBadIndex = -2147352565;         // DISP_E_BADINDEX
inline constexpr int kInvalidArgument = -2147024809;  // E_INVALIDARG
inline constexpr int kFileNotFound = -2147024894;     // HRESULT of ERROR_FILE_NOT_FOUND
inline constexpr int kFailed = -2147467259;           // E_FAIL
inline constexpr int kInvalidProcedureCall = 5;       // Office's own refusal
inline constexpr int kNoSuchMember = 438;             // a member an older version lacks

// An object of a window or item that has gone, or of an Outlook that has quit.
inline Error Disconnected() {
  return Error(kRpcDisconnected, kOutlookSource,
               "The object invoked has disconnected from its clients.");
}

inline Error OutOfBounds() {
  return Error(kBadIndex, kOutlookSource, "Array index out of bounds.");
}

inline Error InvalidArgument() {
  return Error(kInvalidArgument, kOutlookSource, "One or more parameter values are not valid.");
}

inline Error FileNotFound() {
  return Error(kFileNotFound, kOutlookSource,
               "Cannot find this file. Verify the path and file name are correct.");
}

inline Error OperationFailed() {
  return Error(kFailed, kOutlookSource, "The operation failed.");
}

// A member the host's version does not have: a late-bound client finds no such name.
inline Error MemberNotFound() {
  constexpr int kObjectDoesNotSupport = 438;
  return Error(kObjectDoesNotSupport);
}

// What Office says to a call it refuses: a bar name taken, an index out of range.
inline Error OfficeRefuses() {
  return Error(kInvalidProcedureCall, kOfficeSource, ClassicDescription(kInvalidProcedureCall));
}

}  // namespace voxtrel::olsim
