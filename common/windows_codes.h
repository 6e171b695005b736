// The Windows status codes and file attributes that the portable code looks
// at, by their Windows names without the prefix. One vocabulary for the
// registry, the file system and the restart: the numbers are Windows' own, so
// a code from GetLastError, a registry call or a seam compares directly.
#pragma once

#include <cstdint>

namespace pendrix {

// Status codes (winerror.h). Signed, like the registry functions' LONG; every
// one is non-negative, so it compares with a DWORD as well.
inline constexpr std::int32_t kErrorSuccess = 0;                 // ERROR_SUCCESS
inline constexpr std::int32_t kErrorFileNotFound = 2;            // ERROR_FILE_NOT_FOUND
inline constexpr std::int32_t kErrorPathNotFound = 3;            // ERROR_PATH_NOT_FOUND
inline constexpr std::int32_t kErrorAccessDenied = 5;            // ERROR_ACCESS_DENIED
inline constexpr std::int32_t kErrorInvalidHandle = 6;           // ERROR_INVALID_HANDLE
inline constexpr std::int32_t kErrorGenFailure = 31;             // ERROR_GEN_FAILURE
inline constexpr std::int32_t kErrorSharingViolation = 32;       // ERROR_SHARING_VIOLATION
inline constexpr std::int32_t kErrorBadNetPath = 53;             // ERROR_BAD_NETPATH
inline constexpr std::int32_t kErrorFileExists = 80;             // ERROR_FILE_EXISTS
inline constexpr std::int32_t kErrorInvalidName = 123;           // ERROR_INVALID_NAME
inline constexpr std::int32_t kErrorMoreData = 234;              // ERROR_MORE_DATA
inline constexpr std::int32_t kErrorNoMoreItems = 259;           // ERROR_NO_MORE_ITEMS
inline constexpr std::int32_t kErrorNotAllAssigned = 1300;       // ERROR_NOT_ALL_ASSIGNED

// File attributes (winnt.h).
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;     // FILE_ATTRIBUTE_READONLY
inline constexpr std::uint32_t kAttributeDirectory = 0x10;   // FILE_ATTRIBUTE_DIRECTORY
inline constexpr std::uint32_t kAttributeNormal = 0x80;      // FILE_ATTRIBUTE_NORMAL

}  // namespace pendrix
