#include "pending_list/source_existence.h"

#include <map>

#include "common/file_time_text.h"
#include "common/name_folding.h"
#include "common/threads.h"

namespace pendrix {
namespace {

struct Folder {
    std::size_t count = 0;  // names of the list in this folder
    bool asked = false;
    bool missing = false;
    std::size_t present = 0;  // names first asked about one by one, found
    bool listAsked = false;
    bool listed = false;
    std::map<std::string, FileFacts> names;  // by folded name, when listed
};

std::size_t NameStart(const std::string& path) {
    const std::size_t separator = path.find_last_of('\\');
    return separator == std::string::npos ? 0 : separator + 1;
}

PathPresence Existing(const FileFacts& facts) {
    PathPresence state{Presence::Exists, std::nullopt};
    if (!(facts.attributes & kAttributeDirectory) && facts.lastWrite <= kLatestFileTime)
        state.stamp = ContentStamp{facts.size, facts.lastWrite};
    return state;
}

PathPresence StateOfOne(FileSystemApi& files, const std::string& path) {
    FileFacts facts;
    const WinStatus status = files.Facts(path, facts);
    if (status == kErrorSuccess) return Existing(facts);
    return {status == kErrorFileNotFound || status == kErrorPathNotFound ? Presence::Missing : Presence::Unknown,
            std::nullopt};
}

// A last component that the file system takes as it is: no stream, no
// wildcard, no trailing dot or blank that Windows would strip.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name.find_first_of(":*?\"<>|/") == std::string::npos && name.back() != '.' &&
           name.back() != ' ';
}

// Lists folder the first time it is asked; whether it is listed.
bool Listed(FileSystemApi& files, const std::string& path, Folder& folder) {
    if (folder.listAsked) return folder.listed;
    folder.listAsked = true;
    std::vector<FolderEntry> entries;
    if (files.ListFolder(path, entries) != kErrorSuccess) return false;
    for (const FolderEntry& entry : entries) folder.names.emplace(FoldName(entry.name), entry.facts);
    folder.listed = true;
    return true;
}

}  // namespace

std::vector<PathPresence> PathPresences(FileSystemApi& files, const std::vector<std::string>& paths) {
    // Folders by their path without the closing separator; a drive's root
    // is not asked about.
    std::map<std::string, Folder> folders;
    const auto folderOf = [](const std::string& path) {
        const std::size_t nameStart = NameStart(path);
        return nameStart > 1 && path[nameStart - 2] != ':' ? path.substr(0, nameStart - 1) : std::string();
    };
    for (const std::string& path : paths) ++folders[folderOf(path)].count;

    std::vector<PathPresence> states(paths.size());
    std::vector<std::size_t> toAsk;  // names the file system answers one by one
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) continue;
        const std::string folderPath = folderOf(paths[i]);
        Folder& folder = folders[folderPath];
        if (!folderPath.empty() && folder.count >= kNamesWorthAFolderQuestion) {
            if (!folder.asked) {
                folder.missing = StateOfOne(files, folderPath).state == Presence::Missing;
                folder.asked = true;
            }
            if (folder.missing) {
                states[i].state = Presence::Missing;  // no folder, no file in it
                continue;
            }
            const std::string name = paths[i].substr(NameStart(paths[i]));
            if (folder.count >= kNamesWorthAListing && IsPlainName(name)) {
                if (folder.listed) {
                    const auto found = folder.names.find(FoldName(name));
                    if (found == folder.names.end())
                        states[i].state = Presence::Missing;
                    else
                        states[i] = Existing(found->second);
                    continue;
                }
                // Names that exist are answered fastest one by one; a missing
                // one costs the file system a search of the folder, so the
                // folder's first missing name has it listed once instead.
                if (!folder.listAsked && folder.present < kPresentBeforeAskingOneByOne) {
                    states[i] = StateOfOne(files, paths[i]);
                    if (states[i].state == Presence::Missing) Listed(files, folderPath, folder);
                    if (states[i].state == Presence::Exists) ++folder.present;
                    continue;
                }
            }
        }
        toAsk.push_back(i);
    }

    // Many questions are shared with a second thread: each one waits on the
    // file system, and the two halves are independent.
    const auto ask = [&](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k) states[toAsk[k]] = StateOfOne(files, paths[toAsk[k]]);
    };
    if (toAsk.size() < kQuestionsWorthAThread) {
        ask(0, toAsk.size());
    } else {
        const JoinedThread helper([&] { ask(toAsk.size() / 2, toAsk.size()); });
        ask(0, toAsk.size() / 2);
    }
    return states;
}

PresenceFunction PresenceThrough(FileSystemApi& files) {
    return [&files](const std::vector<std::string>& names) {
        std::vector<std::string> paths;
        paths.reserve(names.size());
        for (const std::string& name : names) paths.push_back(Win32PathOf(std::string(kObjectPathPrefix) + name));
        std::vector<Presence> answers;
        for (const PathPresence& path : PathPresences(files, paths)) answers.push_back(path.state);
        return answers;
    };
}

void AddPresences(PendingEntries& list, FileSystemApi& files) {
    // Every source, then the destination of every plain rename: one that
    // exists makes it fail at the restart.
    std::vector<std::string> paths;
    std::vector<std::size_t> renames;
    paths.reserve(list.entries.size());
    for (const PendingEntry& entry : list.entries) paths.push_back(SourcePathOf(entry));
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        if (list.entries[i].kind != EntryKind::Rename) continue;
        paths.push_back(DestinationPathOf(list.entries[i]));
        renames.push_back(i);
    }
    const std::vector<PathPresence> states = PathPresences(files, paths);
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        list.entries[i].sourceState = states[i].state;
        list.entries[i].sourceStamp = states[i].stamp;
    }
    for (std::size_t k = 0; k < renames.size(); ++k)
        list.entries[renames[k]].destinationState = states[list.entries.size() + k].state;
}

}  // namespace pendrix
