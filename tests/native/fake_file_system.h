// An in-memory stand-in for the file system, answering as kernel32's wide
// functions do here: names are found ignoring case and given back as
// stored, each file may have an 8.3 short name (which the find functions
// match too) and several names (hard links: one content), a name may be a
// symbolic link (followed where a program opens the file, not where a name
// is deleted or renamed). A file held open without sharing cannot be
// deleted or replaced (32), a read-only one gives 5; one that programs have
// loaded may be renamed but neither deleted (5) nor written (32) nor
// replaced by another (5); one whose security refuses deletion can be
// neither deleted nor renamed (5); a missing file gives 2,
// a missing folder on the way 3, a name Windows cannot hold 123. FullPath
// resolves as GetFullPathNameW. A folder exists when it was put or holds
// something; a drive's root exists when the drive does. Each file put is written anew:
// it gets a last-write time of its own, which copies and moves keep.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system_api.h"

namespace pendrix::testing {

class FakeFileSystem : public FileSystemApi {
public:
    // The file itself, whatever its names.
    struct File {
        std::string content;
        std::uint32_t attributes = kAttributeNormal;
        bool inUse = false;          // held open without FILE_SHARE_DELETE or FILE_SHARE_WRITE
        bool lockedForRead = false;  // held open without FILE_SHARE_READ
        bool loaded = false;         // loaded by a program: mapped as an image
        bool deleteDenied = false;   // its security refuses DELETE: no deletion, no rename (5)
        std::uint64_t index = 0;
        std::uint64_t lastWrite = 0;
        std::string owner = "BUILTIN\\Administrators";
        // Its access rules, by a word standing for them; "inherited" for
        // those its folder passed on when it was made.
        std::string rules = "inherited";
    };

    void Put(const std::string& path, const std::string& content);
    void PutFolder(const std::string& path);
    // Another name of the file path names (a hard link).
    void Alias(const std::string& alias, const std::string& path);
    // The 8.3 name of path, by which it is also found.
    void ShortName(const std::string& path, const std::string& shortName);
    // A symbolic link at link that leads to target.
    void SymbolicLink(const std::string& link, const std::string& target);
    // The file a name leads to (a link followed); null when there is none.
    File* Find(const std::string& path);
    bool Exists(const std::string& path) { return Find(path) != nullptr; }
    // Every name (files, links and folders put), in lower case.
    std::vector<std::string> Paths() const;

    std::string currentFolder = "C:\\work";
    std::set<std::string> foldersRefusingNewFiles;  // lower case, without a closing "\": 5 for a new name there
    std::set<char> remoteDrives;                    // lower-case letters of network drives
    // Roots with no volume here ("q:\\", "\\\\server\\share\\", lower case):
    // GetDriveTypeW gives DRIVE_NO_ROOT_DIR for them.
    std::set<std::string> missingRoots;
    // subst drives: a lower-case letter and the folder it stands for ("C:\\data").
    std::map<char, std::string> substDrives;
    // Roots of volumes mounted with no drive letter: their files' final
    // names are by the volume's GUID name.
    std::set<std::string> volumesWithoutLetter;
    // Lower-case letters of drives on another volume than the rest (another
    // serial number in GetFileInformationByHandle).
    std::set<char> otherVolumes;
    // Links as Wine has them: not marked as reparse points (so a link shows
    // only in its final name), and followed by a handle opened with
    // FILE_FLAG_OPEN_REPARSE_POINT too. Otherwise as Windows: marked, and
    // such a handle is the link's own.
    bool linksAsWine = false;
    // Folders (lower case, without a closing "\\") whose rules let ordinary users change them.
    std::set<std::string> foldersUsersMayChange;
    // DACLs by path (lower case), as GetNamedSecurityInfoW gives them; by
    // default SYSTEM has Modify (DELETE, no FILE_DELETE_CHILD), as in Program
    // Files, but only reading of a file whose deletion is denied, as of Windows' own.
    std::map<std::string, AccessRules> rulesOf;
    // Who makes new files here (an elevated administrator's files are owned by the account).
    std::string creatingAccount = "PC\\Admin";
    std::function<void(const std::string&)> onRemove;  // runs before each Remove
    // A failure that cannot be made real here (a full disk, a rename that
    // fails half-way through ReplaceFileW): asked with the call's name and
    // its target before the call acts; a status other than 0 fails it. A
    // copy that fails so over an existing file leaves half of it written.
    std::function<WinStatus(const std::string& call, const std::string& path)> fault;

    WinStatus Attributes(const std::string& path, std::uint32_t& attributes) override;
    WinStatus Facts(const std::string& path, FileFacts& facts) override;
    WinStatus SetAttributes(const std::string& path, std::uint32_t attributes) override;
    WinStatus Remove(const std::string& path) override;
    WinStatus RemoveFolder(const std::string& path) override;
    WinStatus Copy(const std::string& source, const std::string& target) override;
    WinStatus MoveOver(const std::string& source, const std::string& target) override;
    WinStatus Replace(const std::string& replaced, const std::string& replacement,
                          const std::string& backup) override;
    WinStatus CreateTempFile(const std::string& folder, std::string& path) override;
    WinStatus Identity(const std::string& path, FileIdentity& identity) override;
    WinStatus Describe(const std::string& path, FileDescription& description) override;
    WinStatus FindFiles(const std::string& pattern, std::vector<FoundFile>& found) override;
    WinStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
    WinStatus ReadAll(const std::string& path, std::string& bytes) override;
    WinStatus CreateNewFile(const std::string& path, const std::string& bytes) override;
    WinStatus FullPath(const std::string& path, std::string& full) override;
    std::uint32_t DriveType(const std::string& root) override;
    WinStatus Rename(const std::string& source, const std::string& target) override;
    // Windows: a file open without delete sharing refuses an open for DELETE
    // (32); a loaded image, one for FILE_WRITE_DATA (32).
    WinStatus Use(const std::string& path, FileUse& use) override;
    WinStatus CreateStagedCopy(const std::string& source, const std::string& target, const std::string& model,
                               std::uint32_t attributes) override;
    WinStatus OpenForReading(const std::string& path) override;
    WinStatus OpenForDeleting(const std::string& path) override;
    WinStatus Owner(const std::string& path, std::string& owner) override;
    WinStatus SecureLike(const std::string& model, const std::string& target) override;
    WinStatus FinalName(const std::string& path, std::string& final) override;
    WinStatus IsLink(const std::string& path, bool& link) override;
    // DeleteFileW's way on Windows: the link itself goes, never its target.
    WinStatus RemoveLink(const std::string& path) override;
    WinStatus UsersMayChange(const std::string& folder, bool& may) override;
    WinStatus Rules(const std::string& path, AccessRules& rules) override;

    // Attributes calls so far, counted from any thread.
    struct Counter {
        std::atomic<int> value{0};
        Counter() = default;
        Counter(const Counter& other) : value(other.value.load()) {}
        Counter& operator=(const Counter& other) {
            value = other.value.load();
            return *this;
        }
    } attributeCalls;

private:
    // One name: of a file, of a folder, or a symbolic link.
    struct Name {
        std::string stored;  // the full name as created
        std::uint64_t file = 0;  // the file it names; 0 for a folder or a link
        std::string shortName;
        std::string linkTarget;
    };

    // The full name path stands for, as stored: "\\\\?\\" taken off, a subst
    // drive and links in its folders followed (not in its last part).
    std::string Real(const std::string& path) const;
    // The name's key: its full name in lower case, without "\\?\" and
    // without a closing "\" (but a root's); empty when it has none.
    std::string Key(const std::string& path) const;
    // The key of the name path stands for, its short name taken into account.
    std::string Lookup(const std::string& path) const;
    // Lookup, a symbolic link followed.
    std::string Followed(const std::string& path) const;
    bool FolderExists(const std::string& key) const;
    // 2, or 3 when the folder path lies in does not exist, or 123.
    WinStatus Missing(const std::string& path) const;
    File* FileOf(const std::string& key);
    std::size_t NamesOf(std::uint64_t file) const;
    void Unname(const std::string& key);
    // Gives the file named from (a key) the name target (key to), replacing
    // whatever had that name; it keeps no short name.
    void MoveName(const std::string& from, const std::string& to, const std::string& target);
    WinStatus Fault(const std::string& call, const std::string& path) const;
    WinStatus RenameRefused(const std::string& from) const;
    // A drive is there when it is the current folder's, a network one, or holds a name.
    bool DriveExists(char letter) const;
    // What the name key (a link followed) tells, as a folder listing does.
    FileFacts FactsOf(const std::string& key);

    std::map<std::string, Name> names_;       // by key
    std::map<std::uint64_t, File> files_;    // by index
    std::uint64_t nextIndex_ = 1;
    int nextTemp_ = 1;
    int shortNames_ = 0;  // names given a short name: none, no search for one
};

}  // namespace pendrix::testing
