#include "scheduler/staging_text.h"

namespace pendrix {
namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

std::string StagingSentence(const CommandResult& result) {
    if (!result.sourceMovedAsIs && result.stagedCopy.empty()) return std::string();
    return StagingSentence(result.source, result.sourceMovedAsIs ? std::string() : result.stagedCopy);
}

std::string StagingSentence(const std::string& source, const std::string& stagedCopy) {
    if (stagedCopy.empty())
        return "The source " + Quoted(source) + " cannot be read now, so it will be moved as it is at the restart.";
    return "Windows puts the copy made now, " + Quoted(stagedCopy) + ", in its place; the source " + Quoted(source) +
           " stays where it is.";
}

std::string ChangeableFolderWarning(const CommandResult& result) {
    return ChangeableFolderWarning(result.changeableFolder);
}

std::string ChangeableFolderWarning(const std::string& folder) {
    if (folder.empty()) return std::string();
    return "Warning: ordinary users may change the folder " + Quoted(folder) +
           ", so what it leads to could be changed before the restart.";
}

}  // namespace pendrix
