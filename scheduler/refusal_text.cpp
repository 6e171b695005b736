#include "scheduler/refusal_text.h"

#include "common/quoted.h"
#include "pending_list/list_sequence.h"
#include "pending_list/stored_names.h"
#include "platform/list_lock.h"
#include "scheduler/list_update.h"

namespace pendrix {
namespace {

// "the source file "C:\x"", "the destination "C:\x"", ""C:\x"".
std::string Named(const CommandResult& result, const char* what) {
    switch (result.subject) {
    case NameRole::Source: return std::string("the source ") + what + Quoted(result.subjectName);
    case NameRole::Destination: return std::string("the destination ") + what + Quoted(result.subjectName);
    case NameRole::Path: break;
    }
    return Quoted(result.subjectName);
}

// "entry 2 of the pending operations (the deletion of "C:\x")"
std::string EarlierEntry(const CommandResult& result) {
    const RenamePair& pair = result.earlierPair;
    const ListedOperation operation = OperationOf({pair, true});
    const std::string& source = operation.source;
    const bool replaces = ReadDestinationName(pair.second).replaces;
    const std::string& destination = operation.destination;
    std::string what;
    if (pair.second.empty())
        what = "the deletion of " + Quoted(source);
    else if (replaces)
        what = "the replacement of " + Quoted(destination) + " with " + Quoted(source);
    else
        what = "the rename of " + Quoted(source) + " to " + Quoted(destination);
    return "entry " + std::to_string(result.earlierEntry) + " of the pending operations (" + what + ")";
}

}  // namespace

std::string ListBusyReason() {
    return "another Pendrix program kept the list of pending file operations busy for more than " +
           std::to_string(kListLockTimeoutMilliseconds / 1000) + " seconds";
}

std::string NotKeptReason() {
    return "other programs changed the list of pending file operations at the same moment, and the change did "
           "not stay in it in " + std::to_string(kListWriteAttempts) + " attempts";
}

std::string RefusalReason(const CommandResult& result) {
    const std::string status = std::to_string(result.status);
    switch (result.refusal) {
    case Refusal::InvalidName: return Named(result, "") + " is not a name Windows can hold";
    case Refusal::NotAFile: return Named(result, "") + " names a drive, a volume or a device, not a file";
    case Refusal::Unresolved: return Named(result, "") + " cannot be made a full name (error " + status + ")";
    case Refusal::Missing: return Named(result, "file ") + " does not exist";
    case Refusal::Folder: return Named(result, "") + " is a folder, not a file";
    case Refusal::DestinationFolderMissing:
        return "the folder of the destination " + Quoted(result.subjectName) + " does not exist";
    case Refusal::FolderNotEmpty:
        return "the folder " + Quoted(result.subjectName) + " is not empty; only an empty folder is deleted";
    case Refusal::NoMatch:
        return "no file matches " + Quoted(result.subjectName) +
               (result.status == kErrorFileNotFound ? std::string() : " (error " + status + ")");
    case Refusal::Network:
        return Named(result, "") + " is on the network, which Windows has not connected yet when it carries out "
                                   "scheduled operations";
    case Refusal::TakenEarlier:
        return Named(result, "") + " will be gone when its turn comes at the next start: " + EarlierEntry(result) +
               " takes it away first";
    case Refusal::UndoneAtRestart:
        return Named(result, "") + " would be replaced now, but " + EarlierEntry(result) +
               " takes it away at the next start";
    case Refusal::NotStaged:
        return "a copy of the source could not be made beside " + Named(result, "") + " (error " + status +
               "), where the next start of Windows would install it";
    case Refusal::Protected:
        return Named(result, "") + " is owned by " + (result.owner.empty() ? std::string("another account") : result.owner) +
               " and its rules do not let the system account delete or replace it, so Windows could not do it at the "
               "next start either";
    case Refusal::ThroughLink:
        return Named(result, "") + " passes through the link " + Quoted(result.link) +
               ", which could lead elsewhere by the next start; give the path it leads to instead";
    case Refusal::Link: {
        const std::string leads = result.linkTarget.empty() ? std::string() : " to " + Quoted(result.linkTarget);
        if (result.subject == NameRole::Path)
            return Quoted(result.subjectName) + " is a link" + leads +
                   ", which Windows would follow at the next start and delete; a link is deleted only itself, and "
                   "only at once";
        return Named(result, "") + " is a link" + leads +
               ", which Windows would follow at the next start; give the path it leads to instead";
    }
    case Refusal::AcrossVolumes:
        return Named(result, "") + " cannot be read now to copy it beside " + Quoted(result.destination) +
               ", and Windows cannot move it to another volume at the next start";
    case Refusal::NotLocal:
        return Named(result, "") + " has no name on a local drive, which Windows needs when it carries out "
                                   "scheduled operations";
    case Refusal::None: break;
    }
    return "the command was refused (error " + status + ")";
}

std::string DeletedLinkSentence(const CommandResult& result) {
    if (result.deletedNow.empty()) return std::string();
    std::string text = "Deleted the link " + Quoted(result.deletedNow.front()) + " itself now";
    if (!result.linkTarget.empty()) text += "; " + Quoted(result.linkTarget) + ", where it led, was not touched";
    return text + ".";
}

std::string InterruptionReason(const CommandResult& result) {
    return "the replacement of " + Quoted(result.subjectName) + " stopped half-way (error " +
           std::to_string(result.status) + "); its old content is kept in " + Quoted(result.keptAt);
}

}  // namespace pendrix
