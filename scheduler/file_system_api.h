// The thin seam between the file commands and the file system. The Windows
// build answers with kernel32's wide functions; native tests plug in an
// in-memory stand-in. Paths are the program's 8-bit text, used as given.
// Every call returns a Windows status code, 0 for success.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pendrix {

// Windows status codes and attributes the file commands look at.
inline constexpr std::uint32_t kFileOk = 0;
inline constexpr std::uint32_t kFileNotFound = 2;         // ERROR_FILE_NOT_FOUND
inline constexpr std::uint32_t kPathNotFound = 3;         // ERROR_PATH_NOT_FOUND
inline constexpr std::uint32_t kFileAccessDenied = 5;     // ERROR_ACCESS_DENIED
inline constexpr std::uint32_t kSharingViolation = 32;    // ERROR_SHARING_VIOLATION
inline constexpr std::uint32_t kFileExists = 80;          // ERROR_FILE_EXISTS
inline constexpr std::uint32_t kInvalidName = 123;        // ERROR_INVALID_NAME

inline constexpr std::uint32_t kAttributeReadOnly = 0x1;   // FILE_ATTRIBUTE_READONLY
inline constexpr std::uint32_t kAttributeDirectory = 0x10; // FILE_ATTRIBUTE_DIRECTORY
inline constexpr std::uint32_t kAttributeNormal = 0x80;    // FILE_ATTRIBUTE_NORMAL

// What tells two names of one file apart from two files: the volume and the
// file's index on it.
struct FileIdentity {
    std::uint32_t volume = 0;
    std::uint64_t index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

class FileSystemApi {
public:
    virtual ~FileSystemApi() = default;

    // GetFileAttributesW.
    virtual std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) = 0;
    // SetFileAttributesW.
    virtual std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
    // DeleteFileW: fails for a file in use, read-only, absent or a folder.
    virtual std::uint32_t Remove(const std::string& path) = 0;
    // CopyFileW over an existing target.
    virtual std::uint32_t Copy(const std::string& source, const std::string& target) = 0;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING, within one folder.
    virtual std::uint32_t MoveOver(const std::string& source, const std::string& target) = 0;
    // GetTempFileNameW in folder (empty: the current folder): creates an
    // empty file of a new name there and gives its path.
    virtual std::uint32_t CreateTempFile(const std::string& folder, std::string& path) = 0;
    // GetFileInformationByHandle on the file (or folder) path names.
    virtual std::uint32_t Identity(const std::string& path, FileIdentity& identity) = 0;
    // The names (last components only) of the files, not folders, that a
    // pattern with wildcards in its last component matches;
    // kFileNotFound when there are none.
    virtual std::uint32_t FindFiles(const std::string& pattern, std::vector<std::string>& names) = 0;
    // Every name in folder, files and folders alike, each by its long name
    // and, where it has one, its short name (FindFirstFileW on folder\*).
    virtual std::uint32_t ListFolder(const std::string& folder, std::vector<std::string>& names) = 0;
    // GetFullPathNameW.
    virtual std::uint32_t FullPath(const std::string& path, std::string& full) = 0;
};

// The file system of this computer (Windows build only).
FileSystemApi& SystemFileSystemApi();

}  // namespace pendrix
