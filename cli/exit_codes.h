// The exit codes of pendrix-cli: Windows error codes, as deployment tools
// read them. Any other failure exits with the Windows error code of the
// call that failed (5, access denied, when the registry write is refused).
#pragma once

#include "common/windows_codes.h"

namespace pendrix::cli {

inline constexpr int kExitDone = 0;               // done at once, listed, or all carried out
inline constexpr int kExitRestartNeeded = 3010;   // ERROR_SUCCESS_REBOOT_REQUIRED: scheduled, or still pending
inline constexpr int kExitBadUsage = 87;          // ERROR_INVALID_PARAMETER: bad arguments, empty ones included
inline constexpr int kExitSameFile = 160;         // ERROR_BAD_ARGUMENTS: source and destination are one file
inline constexpr int kExitNoSuchEntry = 1168;     // ERROR_NOT_FOUND: no entry N, or not the source given
inline constexpr int kExitInvalidList = 13;       // ERROR_INVALID_DATA: the list is of another form, or a
                                                  // removal would wake a list the start-up ignores
inline constexpr int kExitNotAListing = 13;       // ERROR_INVALID_DATA: verify's file is not a saved listing
inline constexpr int kExitNotCarriedOut = 1;      // verify: an entry was not carried out, or cannot be checked
inline constexpr int kExitNothingInstalled = 1168;  // ERROR_NOT_FOUND: shell status: no menu entry is there
inline constexpr int kExitProgramMissing = 2;     // ERROR_FILE_NOT_FOUND: a program the menu starts is not there
inline constexpr int kExitUnknownFailure = kErrorGenFailure;  // a failure that carried no code

}  // namespace pendrix::cli
