// The commands that do the program's job, apart from any window: replace a
// file, delete a file (at once when possible, otherwise at the next start of
// Windows) and take back what this session scheduled. The main window and
// the console tool both call them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_api.h"
#include "scheduler/pending_rename_list.h"

namespace pendrix {

enum class CommandOutcome {
    NeedsInput,    // a box that must be filled was empty; nothing done
    DoneNow,       // replaced or deleted at once; the list untouched
    SameFile,      // source and destination are one file; nothing done
    Scheduled,     // appended to the pending list; a restart carries it out
    NotScheduled,  // the list could not be read or written; nothing changed
};

struct CommandResult {
    CommandOutcome outcome = CommandOutcome::NeedsInput;
    // The list text read at the start of the command.
    std::string listTextRead;
    // The pairs written, in order, when scheduled.
    std::vector<RenamePair> scheduled;
    // For NotScheduled: the Windows status of the read or write that failed.
    std::int32_t status = 0;
    // For NotScheduled: whether the list could not be read (else: written).
    bool readFailed = false;
};

struct UndoResult {
    bool reversed = false;
    std::int32_t status = 0;  // when not reversed: the read or write that failed
    bool readFailed = false;
};

class FileCommands {
public:
    // atLaunch: the list as read when the session began; "Cancel All" takes
    // the list back to it.
    FileCommands(RegistryRoutines& registry, FileSystemApi& files, PendingListRead atLaunch);

    // Replaces destination by source: at once when tryNow and the
    // destination is a free, writable file (it is never lost: the source is
    // copied beside it first and then swapped in), otherwise at the next
    // start. Refuses to act on one file named twice when tryNow.
    CommandResult Replace(std::string_view source, std::string_view destination, bool tryNow);

    // Deletes path: at once when tryNow (wildcards in its last component
    // select every matching file), otherwise, or for what could not be
    // deleted, at the next start.
    CommandResult Delete(std::string_view path, bool tryNow);

    // Takes back the pairs this session scheduled. When nobody else changed
    // the value since this session's last write, the value becomes exactly
    // what was read at launch; otherwise only this session's pairs go.
    UndoResult CancelAll();

    const PendingListRead& AtLaunch() const noexcept { return atLaunch_; }

private:
    bool ReplaceNow(const std::string& source, const std::string& destination);
    bool IsSameFile(const std::string& first, const std::string& second);
    // Deletes what pattern names; fills leftovers with the full names
    // of matching files that could not be deleted. True when all went.
    bool DeleteNow(const std::string& pattern, std::vector<std::string>& leftovers);
    void Schedule(std::vector<RenamePair> pairs, CommandResult& result);
    void RemoveTemporary(const std::string& path);

    PendingRenameList list_;
    FileSystemApi& files_;
    PendingListRead atLaunch_;

    // What this session wrote: the pairs it added, the data of its last
    // write, and whether every change to the value since launch was its own.
    std::vector<RenamePair> added_;
    std::string lastWritten_;
    bool lastWrittenExists_ = false;
    bool onlyOwnChanges_ = true;
};

// Whether the last component of path holds the wildcards * or ?.
bool HasWildcards(std::string_view path);

// The folder part of path: everything before its last \ or /, with that
// separator; empty when path has none.
std::string_view FolderOf(std::string_view path);

}  // namespace pendrix
