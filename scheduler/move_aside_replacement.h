// Replacing a program file that running programs have loaded, now rather
// than at the next start. Windows (and Wine) refuse to delete or overwrite
// such a file but let it be renamed within its folder, since the loader maps
// it with delete sharing. So the file in use is renamed aside
// ("report.dll.pendrix-old-1", never an existing name), a copy of the source
// takes its name, and only the deletion of the old copy waits for the next
// start. Programs started from then on load the new file; those running keep
// the old copy until they end.
//
// A destination that is not in use is replaced as the plain replacement
// does (scheduler/immediate_replacement.h). The source is copied beside the
// destination before anything is renamed, so a source that cannot be read
// changes nothing. The destination is never left missing: when the copy
// cannot take its name, or the deletion cannot be scheduled, everything is
// put back as it was.
//
// The console tool's replace --move-aside uses it; the window keeps the
// plain replacement.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system_api.h"
#include "scheduler/file_commands.h"

namespace pendrix {

// The old copy is the destination's name with this and a number from 1.
inline constexpr char kOldCopySuffix[] = ".pendrix-old-";
inline constexpr int kMostOldCopyNumbers = 1000;

enum class MoveAsideOutcome {
    // Nothing changed: the names are for the plain replacement to refuse
    // or schedule (not a file Windows can act on, on the network, a source
    // that is not a file), the destination is not a file that may be moved
    // aside (absent, a folder, read-only, with other names, the source
    // itself), the source could not be copied beside it, the destination
    // could not be renamed (held open without delete sharing), or the copy
    // could not take its name (the old file was renamed back).
    NotMovedAside,
    ReplacedNow,   // the destination was not in use: replaced at once; nothing scheduled
    Interrupted,   // that replacement stopped half-way: the old content is in oldCopy
    MovedAside,    // replaced now; the old copy renamed aside, its deletion scheduled
    NotScheduled,  // the deletion could not be scheduled; everything was put back
    LeftHalfWay,   // putting things back failed part-way: see oldCopy and newCopy
};

struct MoveAsideResult {
    MoveAsideOutcome outcome = MoveAsideOutcome::NotMovedAside;
    // The full names of the source and the destination, once resolved.
    std::string source;
    std::string destination;
    // MovedAside: the old copy's full name; Interrupted and LeftHalfWay:
    // where the destination's old content is.
    std::string oldCopy;
    // LeftHalfWay: where the new copy is, and whether the destination's
    // name is left without a file.
    std::string newCopy;
    bool destinationMissing = false;
    // The Windows code of the step that failed (NotMovedAside: the rename,
    // or 0 when none was tried; Interrupted, NotScheduled and LeftHalfWay).
    WinStatus status = 0;
    // MovedAside and NotScheduled: the scheduling of the old copy's deletion.
    CommandResult deletion;
};

class MoveAsideReplacement {
public:
    // commands schedules the old copy's deletion.
    MoveAsideReplacement(FileSystemApi& files, FileCommands& commands);

    // beforeRename runs once the destination has refused to be replaced,
    // just before it is renamed: the programs that use it are found there,
    // while its name still leads to it.
    MoveAsideResult Replace(const std::string& source, const std::string& destination,
                            const std::function<void()>& beforeRename);

private:
    // Renames destination to the first free name of the old copy; the
    // rename's status (kErrorSuccess when done).
    std::uint32_t RenameAside(const std::string& destination, std::string& oldCopy);
    void RemoveTemporary(const std::string& path);

    FileSystemApi& files_;
    FileCommands& commands_;
};

}  // namespace pendrix
