// The copy a replacement for the next start installs. The start-up
// processing renames a file onto the destination, and a rename keeps the
// file's owner, rules and attributes; a file the user can still change until
// then would be installed as it is then. So the source is copied now into
// the destination's folder ("report.dll.pendrix-new-1": the same volume,
// where the start-up processing can rename it), and the rename of that copy
// is scheduled. The copy is created secured: owned by the administrators,
// with the destination's rules (a new destination's: those its folder passes
// on) and attributes, and nothing of the source's but its bytes (no other
// stream, no encryption). The source itself stays where it is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_api.h"
#include "pending_list/pending_rename_list.h"

namespace pendrix {

// A staged copy is the destination's name with this and a number from 1.
inline constexpr std::string_view kStagedCopySuffix = ".pendrix-new-";
inline constexpr int kMostStagedCopyNumbers = 1000;

enum class StagingOutcome {
    Staged,        // the copy is there, secured
    SourceLocked,  // the source cannot be read now; nothing made
    Failed,        // the copy could not be made or secured; nothing left
};

struct Staging {
    StagingOutcome outcome = StagingOutcome::Failed;
    WinStatus status = 0;  // Failed and SourceLocked: the call that failed
    std::string copy;          // Staged: its full name
};

// Copies source (a name for the file system) beside destination (a full
// name), under the first free name of a staged copy. A destination that
// exists lends its rules and its attributes (as they were before it was
// made writable for the restart).
Staging StageCopy(FileSystemApi& files, const std::string& source, const std::string& destination,
                  bool destinationExists, std::uint32_t destinationAttributes);

// The staged copy a pair renames onto the name it was made for
// ("\??\X.pendrix-new-N" onto "!\??\X", N a number), as a full name; empty
// for any other pair.
std::string StagedCopyOf(const RenamePair& pair);

// Deletes the staged copies of the pairs (pairs taken out of the list):
// only a file a pair names as its staged copy.
void RemoveStagedCopies(FileSystemApi& files, const std::vector<RenamePair>& pairs);

// The pending entry (from stored) that will put a staged copy with the
// content of source onto destination: the last entry of the list that
// names destination, when it is such a rename and its copy holds the same
// bytes. Empty when there is none.
RenamePair PendingStagedCopy(FileSystemApi& files, std::string_view stored, const std::string& destination,
                             const std::string& source);

}  // namespace pendrix
