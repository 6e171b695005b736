// The Windows status codes and file attributes that the portable code looks
// at, by their Windows names without the prefix. One vocabulary for the
// registry, the file system and the restart: the numbers are Windows' own, so
// a code from GetLastError, a registry call or a seam compares directly.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pendrix {

// A Windows error code (winerror.h), as GetLastError and the registry
// functions give it: the one type that carries a status across every seam
// (registry, file system, holders, restart) and in every result. Signed,
// like the registry functions' LONG; every code is non-negative, so it
// compares with a DWORD as well.
using WinStatus = std::int32_t;

// Status codes (winerror.h).
inline constexpr WinStatus kErrorSuccess = 0;                 // ERROR_SUCCESS
inline constexpr WinStatus kErrorInvalidFunction = 1;         // ERROR_INVALID_FUNCTION
inline constexpr WinStatus kErrorFileNotFound = 2;            // ERROR_FILE_NOT_FOUND
inline constexpr WinStatus kErrorPathNotFound = 3;            // ERROR_PATH_NOT_FOUND
inline constexpr WinStatus kErrorAccessDenied = 5;            // ERROR_ACCESS_DENIED
inline constexpr WinStatus kErrorInvalidHandle = 6;           // ERROR_INVALID_HANDLE
inline constexpr WinStatus kErrorInvalidData = 13;            // ERROR_INVALID_DATA
inline constexpr WinStatus kErrorGenFailure = 31;             // ERROR_GEN_FAILURE
inline constexpr WinStatus kErrorSharingViolation = 32;       // ERROR_SHARING_VIOLATION
inline constexpr WinStatus kErrorLockViolation = 33;          // ERROR_LOCK_VIOLATION
inline constexpr WinStatus kErrorNotSameDevice = 17;          // ERROR_NOT_SAME_DEVICE
inline constexpr WinStatus kErrorNotSupported = 50;           // ERROR_NOT_SUPPORTED
inline constexpr WinStatus kErrorBadNetPath = 53;             // ERROR_BAD_NETPATH
inline constexpr WinStatus kErrorFileExists = 80;             // ERROR_FILE_EXISTS
inline constexpr WinStatus kErrorInvalidParameter = 87;       // ERROR_INVALID_PARAMETER
inline constexpr WinStatus kErrorCallNotImplemented = 120;    // ERROR_CALL_NOT_IMPLEMENTED
inline constexpr WinStatus kErrorInvalidName = 123;           // ERROR_INVALID_NAME
inline constexpr WinStatus kErrorDirNotEmpty = 145;           // ERROR_DIR_NOT_EMPTY
inline constexpr WinStatus kErrorBadArguments = 160;          // ERROR_BAD_ARGUMENTS
inline constexpr WinStatus kErrorBadPathname = 161;           // ERROR_BAD_PATHNAME
inline constexpr WinStatus kErrorAlreadyExists = 183;         // ERROR_ALREADY_EXISTS
inline constexpr WinStatus kErrorFilenameExcedRange = 206;    // ERROR_FILENAME_EXCED_RANGE
inline constexpr WinStatus kErrorMoreData = 234;              // ERROR_MORE_DATA
inline constexpr WinStatus kErrorNoMoreItems = 259;           // ERROR_NO_MORE_ITEMS
inline constexpr WinStatus kErrorDirectory = 267;             // ERROR_DIRECTORY
inline constexpr WinStatus kErrorDirectoryNotSupported = 336; // ERROR_DIRECTORY_NOT_SUPPORTED
// ReplaceFileW: the replaced file could not be moved aside; nothing changed.
inline constexpr WinStatus kErrorUnableToRemoveReplaced = 1175;    // ERROR_UNABLE_TO_REMOVE_REPLACED
// ReplaceFileW with a backup: the replaced file is under the backup's name,
// the replacement still under its own.
inline constexpr WinStatus kErrorUnableToMoveReplacement2 = 1177;  // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
inline constexpr WinStatus kErrorNotFound = 1168;             // ERROR_NOT_FOUND
inline constexpr WinStatus kErrorRetry = 1237;                // ERROR_RETRY
// InitiateShutdownW without SHUTDOWN_FORCE_OTHERS while others are signed in.
inline constexpr WinStatus kErrorShutdownUsersLoggedOn = 1191;  // ERROR_SHUTDOWN_USERS_LOGGED_ON
inline constexpr WinStatus kErrorNotAllAssigned = 1300;       // ERROR_NOT_ALL_ASSIGNED
inline constexpr WinStatus kErrorInvalidOwner = 1307;         // ERROR_INVALID_OWNER
inline constexpr WinStatus kErrorTimeout = 1460;              // ERROR_TIMEOUT
// The registry cannot store a value that large (STATUS_INSUFFICIENT_RESOURCES).
inline constexpr WinStatus kErrorNoSystemResources = 1450;    // ERROR_NO_SYSTEM_RESOURCES
inline constexpr WinStatus kErrorCantResolveFilename = 1921;  // ERROR_CANT_RESOLVE_FILENAME

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
