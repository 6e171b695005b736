// The thin seam between the file commands and the file system. The Windows
// build answers with kernel32's wide functions; native tests plug in an
// in-memory stand-in. Paths are the program's 8-bit text, used as given.
// Every call returns a Windows status code, 0 for success.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/windows_codes.h"

namespace pendrix {

// What GetFileAttributesExW and a folder listing say of a file: its
// attributes, its size in bytes and its last-write time (FILETIME:
// 100-nanosecond intervals since 1601-01-01 UTC).
struct FileFacts {
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;
};

// One name of a folder listing and what it names.
struct FolderEntry {
    std::string name;
    FileFacts facts;
};

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
    // GetFileAttributesExW: attributes, size and last-write time at once.
    virtual std::uint32_t Facts(const std::string& path, FileFacts& facts) = 0;
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
    // kErrorFileNotFound when there are none.
    virtual std::uint32_t FindFiles(const std::string& pattern, std::vector<std::string>& names) = 0;
    // Every name in folder, files and folders alike, each by its long name
    // and, where it has one, its short name, with what it names
    // (FindFirstFileW on folder\*).
    virtual std::uint32_t ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) = 0;
    // Every byte of the file (CreateFileW and ReadFile), shared with writers.
    virtual std::uint32_t ReadAll(const std::string& path, std::string& bytes) = 0;
    // GetFullPathNameW.
    virtual std::uint32_t FullPath(const std::string& path, std::string& full) = 0;
};

// The file system of this computer (Windows build only).
FileSystemApi& SystemFileSystemApi();

}  // namespace pendrix
