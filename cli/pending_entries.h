// The entries of a stored pending list as pendrix-cli shows them: every pair
// in stored order, numbered from 1, with what it does and whether the
// start-up processing of Windows will ever reach it (scheduler/stored_list.h
// models that walk).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheduler/pending_rename_list.h"
#include "scheduler/pending_values.h"

namespace pendrix::cli {

enum class EntryKind {
    Replace,  // the second string begins with "!": the rename may replace a file
    Rename,   // a plain rename
    Delete,   // an empty (or missing) second string
};

// Whether the file an entry's first string names exists now. Unknown for a
// name that is not a drive or UNC path in the object namespace ("\??\").
enum class SourceState { Unknown, Exists, Missing };

// What a rename keeps of a file and the start-up processing cannot forge:
// its size in bytes and its last-write time (FILETIME ticks).
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

enum class Unreached {
    No,
    NotClosed,          // the value does not end with two NULs: nothing runs
    AfterEmptyString,   // it lies after an empty string where a first string belongs
};

// The texts of an entry are views of the strings its PendingEntries holds.
struct PendingEntry {
    std::size_t number = 0;       // from 1, in stored order, on across both values
    std::size_t value = 0;        // the value that holds it: 0 PendingFileRenameOperations, 1 ...2
    std::size_t stringIndex = 0;  // its first string among the stored strings of its value, from 0
    // The stored strings it holds: 2, or 1 when its second string is missing
    // or is the closing NUL of the value (which then must stay).
    std::size_t stringCount = 2;
    std::string_view first;       // as stored
    std::string_view second;      // as stored (empty when missing)
    EntryKind kind = EntryKind::Delete;
    std::string_view source;      // first without its flag and "\??\"
    std::string_view sourceFlag;  // the flag Windows set before "\??\" ("*1"), kept verbatim; empty when none
    std::string_view destination; // second without "!" and "\??\"; empty for a deletion
    // A mark before "\??\" (or a destination "@...") this program does not
    // know: the names are shown as stored.
    bool unknownMark = false;
    Unreached unreached = Unreached::No;
    SourceState sourceState = SourceState::Unknown;
    std::optional<FileStamp> sourceStamp;  // when the source is a file that exists
    // Whether a rename's destination exists now: one without "!" that does
    // fails at the restart.
    SourceState destinationState = SourceState::Unknown;
};

// What a listing says of one value as a whole.
struct ListedValue {
    bool exists = false;
    StoredShape shape;    // its type and size, when it exists
    bool closed = false;  // it ends with the two NULs the start-up processing needs
};

// Move-only: the entries' views stay valid when it moves, not when copied.
struct PendingEntries {
    PendingEntries() = default;
    PendingEntries(PendingEntries&&) = default;
    PendingEntries& operator=(PendingEntries&&) = default;
    PendingEntries(const PendingEntries&) = delete;
    PendingEntries& operator=(const PendingEntries&) = delete;

    // PendingFileRenameOperations.
    bool exists = false;  // the value exists
    StoredShape shape;    // its type and size, when it exists
    bool closed = false;  // it ends with the two NULs the start-up processing needs
    // PendingFileRenameOperations2.
    ListedValue second;
    // When the listing was taken (UTC, FILETIME ticks), when known.
    std::optional<std::uint64_t> taken;
    std::vector<std::string> strings;        // every stored string of the first value
    std::vector<std::string> secondStrings;  // and of the second
    std::vector<PendingEntry> entries;       // the first value's, then the second's

    // The facts of value index (0 or 1).
    ListedValue Value(std::size_t index) const {
        return index == 0 ? ListedValue{exists, shape, closed} : second;
    }
};

// Every entry of stored (the value's data as stored, every NUL included).
// Empty strings where a first string belongs are not entries: they end the
// start-up walk, and every entry after them is marked unreached.
PendingEntries DescribeEntries(std::string_view stored, bool exists);

// The entries of both values, as read: the first value's, then the
// second's, numbered on.
PendingEntries DescribeValues(const PendingValues& read);

// Sets entry's kind, source (and its flag), destination and unknownMark
// from its first and second strings.
void DescribePair(PendingEntry& entry);

// The paths an entry's source and destination name, as Win32 calls take
// them (Win32PathOf); empty when not a drive or UNC path, or for a
// deletion's destination.
std::string SourcePathOf(const PendingEntry& entry);
std::string DestinationPathOf(const PendingEntry& entry);

// The path a stored name stands for, as Win32 calls take it: "\??\C:\x"
// gives "\\?\C:\x" (no name normalisation, as the start-up processing);
// empty for a name outside the object namespace's drive and UNC paths.
std::string Win32PathOf(std::string_view storedName);

// Takes entry out of stored (as DescribeEntries found it there): its strings
// go, every other byte stays; a list left with no string becomes no data.
bool RemoveEntry(std::string& stored, const PendingEntry& entry);

}  // namespace pendrix::cli
