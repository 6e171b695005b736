// The thin seam between the file commands and the file system. The Windows
// build answers with kernel32's wide functions; native tests plug in an
// in-memory stand-in. Paths are the program's 8-bit text: full names of
// any length, which the Windows build hands on in the "\\?\" form when
// they are too long for the plain one (platform/extended_path.h). Every call
// returns a Windows status code, 0 for success, unless it says otherwise.
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

// What an open file tells about itself.
struct FileDescription {
    std::uint32_t attributes = 0;
    std::uint32_t links = 1;  // its names (hard links) on the volume
    // The full name of the file itself, a symbolic link followed, as
    // GetFinalPathNameByHandleW gives it ("\\?\C:\dir\file",
    // "\\?\UNC\server\share\file"); empty when it gave none.
    std::string finalPath;
};

// One entry of a folder as the find functions give it.
struct FoundFile {
    std::string name;       // the long name, as stored
    std::string shortName;  // its 8.3 name; empty when it has none
    std::uint32_t attributes = 0;
};

// Whether other programs keep a file from being changed now.
enum class FileUse {
    Free,
    Held,    // open without delete sharing: it may be neither renamed nor deleted
    Loaded,  // loaded as a program file (or open without write sharing): it may be renamed, not written
};

// One entry of a file's or folder's DACL.
struct AccessRule {
    bool allows = true;        // ACCESS_ALLOWED_ACE_TYPE; false: ACCESS_DENIED_ACE_TYPE
    bool inheritOnly = false;  // INHERIT_ONLY_ACE: passed on to what is made inside, not applied here
    std::uint32_t mask = 0;    // the rights, generic ones as stored
    std::string sid;           // "S-1-5-18"
};

// A DACL in its order; a NULL DACL (present false) grants everyone everything.
struct AccessRules {
    bool present = true;
    std::vector<AccessRule> rules;
};

class FileSystemApi {
public:
    virtual ~FileSystemApi() = default;

    // GetFileAttributesW: 2 for a missing file, 3 for a missing folder on
    // the way, 123 for a name Windows cannot hold.
    virtual WinStatus Attributes(const std::string& path, std::uint32_t& attributes) = 0;
    // GetFileAttributesExW: attributes, size and last-write time at once.
    virtual WinStatus Facts(const std::string& path, FileFacts& facts) = 0;
    // SetFileAttributesW.
    virtual WinStatus SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
    // DeleteFileW: fails for a file in use, read-only, absent or a folder.
    virtual WinStatus Remove(const std::string& path) = 0;
    // RemoveDirectoryW: 145 for a folder that holds anything.
    virtual WinStatus RemoveFolder(const std::string& path) = 0;
    // CopyFileW over an existing target, which keeps its identity: its other
    // names see the new content.
    virtual WinStatus Copy(const std::string& source, const std::string& target) = 0;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING, within one folder.
    virtual WinStatus MoveOver(const std::string& source, const std::string& target) = 0;
    // ReplaceFileW(replaced, replacement, backup): the replaced file goes to
    // the backup's name, the replacement takes its place. Any failure but
    // kErrorUnableToMoveReplacement2 leaves both files under their own names.
    virtual WinStatus Replace(const std::string& replaced, const std::string& replacement,
                                  const std::string& backup) = 0;
    // Creates an empty file of a new name ("pdx" and a number, ".tmp") in
    // folder, which must exist, and gives its path. Works for a folder of
    // any length; 206 when the name would pass kMaxNameUnits.
    virtual WinStatus CreateTempFile(const std::string& folder, std::string& path) = 0;
    // GetFileInformationByHandle on the file (or folder) path names.
    virtual WinStatus Identity(const std::string& path, FileIdentity& identity) = 0;
    // The file path names, opened as a program opens it (a symbolic link
    // followed): its attributes, its number of names and its final name.
    virtual WinStatus Describe(const std::string& path, FileDescription& description) = 0;
    // Every entry (files and folders, without "." and "..") that FindFirstFileW
    // gives for a pattern with wildcards in its last component. Like the
    // function, it matches the pattern against the short names too: the
    // caller chooses by the long name. kErrorFileNotFound when there is none.
    virtual WinStatus FindFiles(const std::string& pattern, std::vector<FoundFile>& found) = 0;
    // Every name in folder, files and folders alike, each by its long name
    // and, where it has one, its short name, with what it names
    // (FindFirstFileW on folder\*).
    virtual WinStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) = 0;
    // Every byte of the file (CreateFileW and ReadFile), shared with writers.
    // A folder gives kErrorDirectoryNotSupported, not the access denied
    // CreateFileW answers for it.
    virtual WinStatus ReadAll(const std::string& path, std::string& bytes) = 0;
    // A new file holding bytes (CreateFileW with CREATE_NEW, WriteFile,
    // FlushFileBuffers): 80 when a file of that name exists, which is never
    // overwritten; a file written only in part is deleted again.
    virtual WinStatus CreateNewFile(const std::string& path, const std::string& bytes) = 0;
    // GetFullPathNameW.
    virtual WinStatus FullPath(const std::string& path, std::string& full) = 0;
    // GetDriveTypeW of a root ("C:\"): the drive's type, not a status.
    virtual std::uint32_t DriveType(const std::string& root) = 0;
    // MoveFileExW without MOVEFILE_REPLACE_EXISTING, within one folder:
    // kErrorAlreadyExists (or kErrorFileExists) when target exists. A file
    // that programs have loaded may be renamed.
    virtual WinStatus Rename(const std::string& source, const std::string& target) = 0;
    // How other programs use the file path names: CreateFileW asking for
    // DELETE, then for FILE_WRITE_DATA, each sharing everything, so that
    // only the others' sharing refuses it (ERROR_SHARING_VIOLATION). A file
    // that may not be written for another reason (read-only) counts as free.
    virtual WinStatus Use(const std::string& path, FileUse& use) = 0;

    // A new file target holding the bytes of source's unnamed stream, secured
    // from its first byte: created (CREATE_NEW: kErrorFileExists when target
    // exists) with the administrators as its owner and model's access rules
    // (its DACL with its protection, and its integrity label unless that is
    // above High), or, with an empty model, the rules target's folder passes
    // on; then written through that handle and flushed. It ends with
    // attributes (hidden, system, read-only, archive) and source's last-write
    // time; no other stream, no encryption, nothing else of source's. A
    // file written only in part is deleted again.
    virtual WinStatus CreateStagedCopy(const std::string& source, const std::string& target,
                                       const std::string& model, std::uint32_t attributes) = 0;
    // Whether the file can be opened for reading now (CreateFileW with
    // GENERIC_READ, every sharing mode): 32 or 33 while a program holds it
    // locked, 5 when its rules deny reading.
    virtual WinStatus OpenForReading(const std::string& path) = 0;
    // Whether this process may delete or replace the file (CreateFileW with
    // DELETE access, every sharing mode): 5 when the file's rules, and its
    // folder's FILE_DELETE_CHILD, deny it; 32 only when a program holds it
    // without FILE_SHARE_DELETE. A loaded program file opens (it may be renamed).
    virtual WinStatus OpenForDeleting(const std::string& path) = 0;
    // The owner of the file or folder (GetNamedSecurityInfoW and
    // LookupAccountSidW), as "DOMAIN\name", or its SID text when no name is found.
    virtual WinStatus Owner(const std::string& path, std::string& owner) = 0;
    // Gives target the access rules (DACL, with its protection) of model and
    // makes the administrators its owner (GetNamedSecurityInfoW,
    // SetNamedSecurityInfoW). With an empty model only the owner changes:
    // the file keeps the rules its folder passed on.
    virtual WinStatus SecureLike(const std::string& model, const std::string& target) = 0;
    // The name Windows resolves path to (GetFinalPathNameByHandleW with
    // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS): long names, subst drives,
    // junctions, mount points and symbolic links followed, in the plain
    // form ("C:\dir\file", "\\server\share\file"); a file on a volume with no
    // drive letter by the volume's GUID name ("Volume{...}\dir\file").
    virtual WinStatus FinalName(const std::string& path, std::string& final) = 0;
    // Whether the name itself is marked as a junction, a mount point or a
    // symbolic link: a reparse point (GetFileAttributesW, which does not
    // follow the last part) whose tag is a name surrogate (FindFirstFileW).
    // Wine marks none of them.
    virtual WinStatus IsLink(const std::string& path, bool& link) = 0;
    // Deletes the link path names itself, never what it leads to: opened
    // with DELETE and FILE_FLAG_OPEN_REPARSE_POINT, and deleted only when
    // that handle is another file than the one the name leads to.
    // kErrorCantResolveFilename when the system opened the target instead
    // (Wine follows Linux symbolic links whatever the flags).
    virtual WinStatus RemoveLink(const std::string& path) = 0;
    // Whether the folder's rules let ordinary users (Everyone, Authenticated
    // Users, Users, Interactive) add, delete, rename or re-permission what is
    // in it (GetNamedSecurityInfoW and the allowing ACEs of its DACL; a NULL
    // DACL allows everyone).
    virtual WinStatus UsersMayChange(const std::string& folder, bool& may) = 0;
    // The DACL of the file or folder (GetNamedSecurityInfoW), allowing and
    // denying entries in order, their SIDs as text; entries of other kinds
    // (object, callback, mandatory label) are left out.
    virtual WinStatus Rules(const std::string& path, AccessRules& rules) = 0;
};

// The file system of this computer (Windows build only).
FileSystemApi& SystemFileSystemApi();

}  // namespace pendrix
