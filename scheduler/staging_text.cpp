#include "scheduler/staging_text.h"

#include "common/quoted.h"

namespace pendrix {

std::string StagingSentence(const CommandResult& result) {
    if (result.sourceMovedAsIs)
        return "The source " + Quoted(result.source) +
               " cannot be read now, so it will be moved as it is at the restart.";
    if (result.stagedCopy.empty()) return std::string();
    return "Windows puts the copy made now, " + Quoted(result.stagedCopy) + ", in its place; the source " +
           Quoted(result.source) + " stays where it is.";
}

std::string ChangeableFolderWarning(const CommandResult& result) {
    if (result.changeableFolder.empty()) return std::string();
    return "Warning: ordinary users may change the folder " + Quoted(result.changeableFolder) +
           ", so what it leads to could be changed before the restart.";
}

}  // namespace pendrix
