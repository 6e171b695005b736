// The Windows status codes and file attributes that the portable code looks
// at, by their Windows names without the prefix. One vocabulary for the
// registry, the file system and the restart: the numbers are Windows' own, so
// a code from GetLastError, a registry call or a seam compares directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pendrix {

// Status codes (winerror.h). Signed, like the registry functions' LONG; every
// one is non-negative, so it compares with a DWORD as well.
inline constexpr std::int32_t kErrorSuccess = 0;                 // ERROR_SUCCESS
inline constexpr std::int32_t kErrorInvalidFunction = 1;         // ERROR_INVALID_FUNCTION
inline constexpr std::int32_t kErrorFileNotFound = 2;            // ERROR_FILE_NOT_FOUND
inline constexpr std::int32_t kErrorPathNotFound = 3;            // ERROR_PATH_NOT_FOUND
inline constexpr std::int32_t kErrorAccessDenied = 5;            // ERROR_ACCESS_DENIED
inline constexpr std::int32_t kErrorInvalidHandle = 6;           // ERROR_INVALID_HANDLE
inline constexpr std::int32_t kErrorInvalidData = 13;           // ERROR_INVALID_DATA
inline constexpr std::int32_t kErrorGenFailure = 31;             // ERROR_GEN_FAILURE
inline constexpr std::int32_t kErrorSharingViolation = 32;       // ERROR_SHARING_VIOLATION
inline constexpr std::int32_t kErrorLockViolation = 33;          // ERROR_LOCK_VIOLATION
inline constexpr std::int32_t kErrorNotSupported = 50;           // ERROR_NOT_SUPPORTED
inline constexpr std::int32_t kErrorBadNetPath = 53;             // ERROR_BAD_NETPATH
inline constexpr std::int32_t kErrorFileExists = 80;             // ERROR_FILE_EXISTS
inline constexpr std::int32_t kErrorInvalidParameter = 87;       // ERROR_INVALID_PARAMETER
inline constexpr std::int32_t kErrorCallNotImplemented = 120;    // ERROR_CALL_NOT_IMPLEMENTED
inline constexpr std::int32_t kErrorInvalidName = 123;           // ERROR_INVALID_NAME
inline constexpr std::int32_t kErrorDirNotEmpty = 145;           // ERROR_DIR_NOT_EMPTY
inline constexpr std::int32_t kErrorBadArguments = 160;          // ERROR_BAD_ARGUMENTS
inline constexpr std::int32_t kErrorBadPathname = 161;           // ERROR_BAD_PATHNAME
inline constexpr std::int32_t kErrorAlreadyExists = 183;         // ERROR_ALREADY_EXISTS
inline constexpr std::int32_t kErrorFilenameExcedRange = 206;    // ERROR_FILENAME_EXCED_RANGE
inline constexpr std::int32_t kErrorMoreData = 234;              // ERROR_MORE_DATA
inline constexpr std::int32_t kErrorNoMoreItems = 259;           // ERROR_NO_MORE_ITEMS
inline constexpr std::int32_t kErrorDirectory = 267;             // ERROR_DIRECTORY
inline constexpr std::int32_t kErrorDirectoryNotSupported = 336; // ERROR_DIRECTORY_NOT_SUPPORTED
// ReplaceFileW: the replaced file could not be moved aside; nothing changed.
inline constexpr std::int32_t kErrorUnableToRemoveReplaced = 1175;    // ERROR_UNABLE_TO_REMOVE_REPLACED
// ReplaceFileW with a backup: the replaced file is under the backup's name,
// the replacement still under its own.
inline constexpr std::int32_t kErrorUnableToMoveReplacement2 = 1177;  // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
inline constexpr std::int32_t kErrorNotFound = 1168;             // ERROR_NOT_FOUND
inline constexpr std::int32_t kErrorRetry = 1237;                // ERROR_RETRY
inline constexpr std::int32_t kErrorNotAllAssigned = 1300;       // ERROR_NOT_ALL_ASSIGNED
inline constexpr std::int32_t kErrorTimeout = 1460;              // ERROR_TIMEOUT
// The registry cannot store a value that large (STATUS_INSUFFICIENT_RESOURCES).
inline constexpr std::int32_t kErrorNoSystemResources = 1450;    // ERROR_NO_SYSTEM_RESOURCES
inline constexpr std::int32_t kErrorCantResolveFilename = 1921;  // ERROR_CANT_RESOLVE_FILENAME

// File attributes (winnt.h).
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;     // FILE_ATTRIBUTE_READONLY
inline constexpr std::uint32_t kAttributeHidden = 0x2;       // FILE_ATTRIBUTE_HIDDEN
inline constexpr std::uint32_t kAttributeSystem = 0x4;       // FILE_ATTRIBUTE_SYSTEM
inline constexpr std::uint32_t kAttributeDirectory = 0x10;   // FILE_ATTRIBUTE_DIRECTORY
inline constexpr std::uint32_t kAttributeArchive = 0x20;     // FILE_ATTRIBUTE_ARCHIVE
inline constexpr std::uint32_t kAttributeNormal = 0x80;      // FILE_ATTRIBUTE_NORMAL
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT

// Drive types (GetDriveTypeW) the file commands tell apart.
inline constexpr std::uint32_t kDriveNoRootDir = 1;  // DRIVE_NO_ROOT_DIR
inline constexpr std::uint32_t kDriveFixed = 3;      // DRIVE_FIXED
inline constexpr std::uint32_t kDriveRemote = 4;     // DRIVE_REMOTE

// The longest name Windows accepts, in UTF-16 units (UNICODE_STRING's limit).
inline constexpr std::size_t kMaxNameUnits = 32767;

}  // namespace pendrix
