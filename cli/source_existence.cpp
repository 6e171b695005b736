#include "cli/source_existence.h"

#include <map>

#include "cli/file_time_text.h"
#include "common/name_folding.h"
#include "common/threads.h"

namespace pendrix::cli {
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

FileState Existing(const FileFacts& facts) {
    FileState state{SourceState::Exists, std::nullopt};
    if (!(facts.attributes & kAttributeDirectory) && facts.lastWrite <= kLatestFileTime)
        state.stamp = FileStamp{facts.size, facts.lastWrite};
    return state;
}

FileState StateOfOne(FileSystemApi& files, const std::string& path) {
    FileFacts facts;
    const std::uint32_t status = files.Facts(path, facts);
    if (status == kErrorSuccess) return Existing(facts);
    return {status == kErrorFileNotFound || status == kErrorPathNotFound ? SourceState::Missing : SourceState::Unknown,
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

std::vector<FileState> FileStates(FileSystemApi& files, const std::vector<std::string>& paths) {
    // Folders by their path without the closing separator; a drive's root
    // is not asked about.
    std::map<std::string, Folder> folders;
    const auto folderOf = [](const std::string& path) {
        const std::size_t nameStart = NameStart(path);
        return nameStart > 1 && path[nameStart - 2] != ':' ? path.substr(0, nameStart - 1) : std::string();
    };
    for (const std::string& path : paths) ++folders[folderOf(path)].count;

    std::vector<FileState> states(paths.size());
    std::vector<std::size_t> toAsk;  // names the file system answers one by one
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i].empty()) continue;
        const std::string folderPath = folderOf(paths[i]);
        Folder& folder = folders[folderPath];
        if (!folderPath.empty() && folder.count >= kNamesWorthAFolderQuestion) {
            if (!folder.asked) {
                folder.missing = StateOfOne(files, folderPath).state == SourceState::Missing;
                folder.asked = true;
            }
            if (folder.missing) {
                states[i].state = SourceState::Missing;  // no folder, no file in it
                continue;
            }
            const std::string name = paths[i].substr(NameStart(paths[i]));
            if (folder.count >= kNamesWorthAListing && IsPlainName(name)) {
                if (folder.listed) {
                    const auto found = folder.names.find(FoldName(name));
                    if (found == folder.names.end())
                        states[i].state = SourceState::Missing;
                    else
                        states[i] = Existing(found->second);
                    continue;
                }
                // Names that exist are answered fastest one by one; a missing
                // one costs the file system a search of the folder, so the
                // folder's first missing name has it listed once instead.
                if (!folder.listAsked && folder.present < kPresentBeforeAskingOneByOne) {
                    states[i] = StateOfOne(files, paths[i]);
                    if (states[i].state == SourceState::Missing) Listed(files, folderPath, folder);
                    if (states[i].state == SourceState::Exists) ++folder.present;
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

}  // namespace pendrix::cli
