#include "scheduler/final_names.h"

#include <string>
#include <vector>

#include "common/name_folding.h"

namespace pendrix {
namespace {

constexpr std::string_view kVerbatimPrefix = "\\\\?\\";

// "X:\" at the start: a local drive's name, which the list can hold.
bool OnDriveLetter(const std::string& full) {
    return full.size() >= 3 && full[1] == ':' && full[2] == '\\' &&
           ((full[0] >= 'A' && full[0] <= 'Z') || (full[0] >= 'a' && full[0] <= 'z'));
}

// The final name of path's folder, with its closing separator.
WinStatus FolderFinalName(FileSystemApi& files, std::string_view path, std::string& folder) {
    // Asked without its closing separator, which a drive's root keeps.
    std::string_view where = FolderOf(path);
    if (where.size() > 1 && where.back() == '\\' && where[where.size() - 2] != ':') where.remove_suffix(1);
    if (const WinStatus status = files.FinalName(std::string(where), folder)) return status;
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    return kErrorSuccess;
}

}  // namespace

WinStatus OwnFinalName(FileSystemApi& files, const std::string& path, std::string& own) {
    std::string folder;
    if (const WinStatus status = FolderFinalName(files, path, folder)) return status;
    std::string last(LastPartOf(path));
    // The listing matches short names too: the entry whose long or short
    // name is the one asked for.
    std::vector<FoundFile> found;
    if (files.FindFiles(path, found) == kErrorSuccess) {
        const std::string folded = FoldName(last);
        for (const FoundFile& entry : found)
            if (FoldName(entry.name) == folded || (!entry.shortName.empty() && FoldName(entry.shortName) == folded)) {
                last = entry.name;
                break;
            }
    }
    own = folder + last;
    return kErrorSuccess;
}

WinStatus ResolveFinalName(FileSystemApi& files, ResolvedName& name, bool exists) {
    if (name.network) return kErrorSuccess;
    std::string final;
    if (exists) {
        if (const WinStatus status = OwnFinalName(files, name.path, final)) return status;
    } else {
        if (const WinStatus status = FolderFinalName(files, name.path, final)) return status;
        final += LastPartOf(name.full);
    }
    // A drive mapped to a share, or a volume named only by its GUID.
    if (!OnDriveLetter(final)) return kErrorNotSupported;
    const bool verbatim = name.path.substr(0, kVerbatimPrefix.size()) == kVerbatimPrefix;
    // A verbatim name may hold what the plain form drops (a closing period).
    name.path = verbatim ? std::string(kVerbatimPrefix) + final : final;
    name.full = std::move(final);
    return kErrorSuccess;
}

}  // namespace pendrix
