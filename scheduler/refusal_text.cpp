#include "scheduler/refusal_text.h"

#include "common/quoted.h"

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

}  // namespace

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
    case Refusal::None: break;
    }
    return "the command was refused (error " + status + ")";
}

std::string InterruptionReason(const CommandResult& result) {
    return "the replacement of " + Quoted(result.subjectName) + " stopped half-way (error " +
           std::to_string(result.status) + "); its old content is kept in " + Quoted(result.keptAt);
}

}  // namespace pendrix
