// The pending rename list: the REG_MULTI_SZ value PendingFileRenameOperations
// of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager, which Windows
// carries out early in its next start. In memory it is the list text: the
// stored strings joined by single NULs, without the last string's NUL and
// without the closing NUL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "registry/RegistryRoutines.h"
#include "registry/registry_constants.h"

namespace pendrix {

inline constexpr const char* kSessionManagerKeyRoot = "SYSTEM\\CurrentControlSet\\Control";
inline constexpr const char* kSessionManagerSubkey = "Session Manager";
inline constexpr const char* kPendingValueName = "PendingFileRenameOperations";
// The second list, in the same key and of the same form: Windows carries it
// out after the first, and MoveFileExW appends to it once it exists.
inline constexpr const char* kPendingValue2Name = "PendingFileRenameOperations2";
// Marks a drive-letter path in the namespace Windows uses at that stage.
inline constexpr std::string_view kObjectPathPrefix = "\\??\\";
// On a second string: the rename may replace an existing file.
inline constexpr std::string_view kReplaceExistingMarker = "!";

// One entry: the first string names an existing file, the second its new
// name (empty: delete the file).
struct RenamePair {
    std::string first;
    std::string second;
    friend bool operator==(const RenamePair&, const RenamePair&) = default;
};

// Paths go in exactly as given: no trimming, quoting or full-path conversion.
RenamePair ReplacementPair(std::string_view source, std::string_view destination);
RenamePair DeletionPair(std::string_view path);

// Whether pair can go into a list: a first string that is not empty (an
// empty one would end the start-up walk) and no NUL in either string.
bool IsStorablePair(const RenamePair& pair);

// The data to store after adding pair to the stored data of the value (see
// scheduler/stored_list.h for the layout). The pair goes at the end of the
// part the start-up walk reaches, so it is carried out; every string stored
// before stays, unchanged and in its order:
// - the strings the walk reaches come first; when the last of them is a
//   first string without a second, an empty second string completes it (it
//   stays a deletion and the new pair stays a pair of its own);
// - then the pair;
// - then whatever the walk never reaches (after an empty string where a
//   first string belongs), as stored;
// - and the closing NUL, so that the data ends with the two NULs the
//   start-up processing needs.
// pair must be storable (IsStorablePair).
std::string AppendPairToStored(std::string_view stored, const RenamePair& pair);

// The stored form of a list text: the text with its two closing NULs, or no
// data at all for an empty list.
std::string StoredFromListText(std::string_view listText);

// AppendPairToStored on the stored form of a list text.
std::string AppendPair(std::string_view listText, const RenamePair& pair);

// How the value is stored: its type and the size of its data in bytes as
// Windows holds it (strings as UTF-16).
struct StoredShape {
    std::uint32_t type = kRegMultiSz;
    std::uint32_t bytes = 0;
};

// The list as read. readable is false when the value exists but could not be
// read (access refused, still changing): writing then would lose its pairs.
struct PendingListRead {
    std::string listText;
    bool readable = true;
    std::int32_t status = 0;
    // The value's data exactly as stored, as 8-bit text: every string with
    // every NUL. Empty when the value is absent or holds no data. For a value
    // of a type other than strings: its bytes read as UTF-16 units, as the
    // start-up processing reads them (shown, never written back).
    std::string stored;
    bool exists = false;  // the value exists (also with 0 bytes)
    StoredShape shape;    // when it exists
};

// Whether a value so stored is of a form no write of the program may
// replace: a type other than REG_MULTI_SZ, or data of an odd number of bytes
// (a last byte that is no whole character). Such a value is another
// program's data that could not be written back as it is; the start-up
// processing may still carry it out.
bool IsAnotherForm(const StoredShape& shape);

// Whether the value read exists in another form.
bool HoldsAnotherForm(const PendingListRead& read);

// The read-append-write procedure over a RegistryRoutines object, on the
// first list or, given its name, on the second.
class PendingRenameList {
public:
    explicit PendingRenameList(RegistryRoutines& registry, const char* valueName = kPendingValueName)
        : registry_(registry), valueName_(valueName) {}

    const char* ValueName() const noexcept { return valueName_; }

    // Aims the registry object at the Session Manager key.
    void AimAtSessionManager();

    PendingListRead Read();

    // Makes sure the key exists and stores the data read with pair added
    // (AppendPairToStored). False, and nothing written, when the list could
    // not be read, holds another form or the pair is not storable; false
    // when the write was refused.
    bool Append(const PendingListRead& current, const RenamePair& pair);

    // Writes a snapshot back, so the value becomes byte for byte what was
    // read then, or is deleted when the snapshot found no value. False, and
    // nothing written, when the snapshot could not be read or holds another
    // form: restoring it would wipe a list never seen, or change it.
    bool Restore(const PendingListRead& snapshot);

    // Makes sure the key exists and stores data exactly as the list's value;
    // the Windows status of the write.
    std::int32_t Store(std::string_view data);

    // Whether the list may be written: 0, or the Windows status (5 without
    // the rights of an administrator).
    std::int32_t WriteAccess();

    // Deletes the value; 0 also when there was none, else the Windows status.
    std::int32_t Delete();

    RegistryRoutines& Registry() const noexcept { return registry_; }

private:
    RegistryRoutines& registry_;
    const char* valueName_;
};

}  // namespace pendrix
