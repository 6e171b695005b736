#include "scheduler/final_names.h"

#include <string>

namespace pendrix {
namespace {

constexpr std::string_view kVerbatimPrefix = "\\\\?\\";

// "X:\" at the start: a local drive's name, which the list can hold.
bool OnDriveLetter(const std::string& full) {
    return full.size() >= 3 && full[1] == ':' && full[2] == '\\' &&
           ((full[0] >= 'A' && full[0] <= 'Z') || (full[0] >= 'a' && full[0] <= 'z'));
}

}  // namespace

std::uint32_t ResolveFinalName(FileSystemApi& files, ResolvedName& name, bool exists) {
    if (name.network) return kErrorSuccess;
    std::string final;
    if (exists) {
        if (const std::uint32_t status = files.FinalName(name.path, final)) return status;
    } else {
        const std::string folderPath(FolderOf(name.path));
        std::string folder;
        if (const std::uint32_t status = files.FinalName(folderPath, folder)) return status;
        if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
        final = folder + std::string(LastPartOf(name.full));
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
