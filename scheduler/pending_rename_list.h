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

namespace pendrix {

inline constexpr const char* kSessionManagerKeyRoot = "SYSTEM\\CurrentControlSet\\Control";
inline constexpr const char* kSessionManagerSubkey = "Session Manager";
inline constexpr const char* kPendingValueName = "PendingFileRenameOperations";
// Marks a drive-letter path in the namespace Windows uses at that stage.
inline constexpr std::string_view kObjectPathPrefix = "\\??\\";
// On a second string: the rename may replace an existing file.
inline constexpr std::string_view kReplaceExistingMarker = "!";

// One entry: the first string names an existing file, the second its new
// name (empty: delete the file).
struct RenamePair {
    std::string first;
    std::string second;
};

// Paths go in exactly as given: no trimming, quoting or full-path conversion.
RenamePair ReplacementPair(std::string_view source, std::string_view destination);
RenamePair DeletionPair(std::string_view path);

// How many strings a list text holds (none for the empty text).
std::size_t CountListStrings(std::string_view listText);

// The data to store after adding pair to the list: the old strings, then the
// pair, then the closing NULs. A list with an odd number of strings first
// gets an empty string, so that its last entry keeps the meaning Windows
// gives it (a deletion) and the new pair stays a pair of its own.
std::string AppendPair(std::string_view listText, const RenamePair& pair);

// The data that stores a snapshot back as it was read: the list text with
// its closing NULs, or no data at all for an empty list.
std::string RestoreData(std::string_view snapshot);

// The list as read. readable is false when the value exists but could not be
// read (access refused, still changing): writing then would lose its pairs.
struct PendingListRead {
    std::string listText;
    bool readable = true;
    std::int32_t status = 0;
    std::string stored;   // the value's data as stored, every NUL included
    bool exists = false;  // the value exists (also with no data)
};

// The data to store after adding pair to the stored data of a list.
std::string AppendPairToStored(std::string_view stored, const RenamePair& pair);

// The read-append-write procedure over a RegistryRoutines object.
class PendingRenameList {
public:
    explicit PendingRenameList(RegistryRoutines& registry) : registry_(registry) {}

    // Aims the registry object at the Session Manager key.
    void AimAtSessionManager();

    PendingListRead Read();

    // Makes sure the key exists and stores the list read with pair added.
    // False when the list could not be read, or the write was refused.
    bool Append(const PendingListRead& current, const RenamePair& pair);

    // Writes a snapshot back, so the value becomes what was read then.
    bool Restore(std::string_view snapshot);

    // Makes sure the key exists and stores data exactly as the list's value;
    // the Windows status of the write.
    std::int32_t Store(std::string_view data);

private:
    RegistryRoutines& registry_;
};

}  // namespace pendrix
