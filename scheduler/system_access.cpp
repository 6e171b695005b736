#include "scheduler/system_access.h"

#include "platform/access_rules.h"

namespace pendrix {
namespace {

// What SYSTEM's token holds that file rules name.
std::uint32_t SystemRights(FileSystemApi& files, const std::string& path, bool& read) {
    AccessRules rules;
    read = files.Rules(path, rules) == kErrorSuccess;
    return read ? GrantedRights(rules, {kSidSystem, kSidAdministrators, kSidEveryone, kSidAuthenticatedUsers}) : 0;
}

// "C:\dir" of "C:\dir\file", "C:\" of "C:\file".
std::string FolderOf(const std::string& path) {
    const std::size_t last = path.find_last_of('\\');
    if (last == std::string::npos) return std::string();
    return path.substr(0, last > 0 && path[last - 1] == ':' ? last + 1 : last);
}

}  // namespace

bool SystemMayChange(FileSystemApi& files, const std::string& path, bool replacement) {
    bool fileRead = false;
    bool folderRead = false;
    const std::uint32_t onFile = SystemRights(files, path, fileRead);
    const std::uint32_t onFolder = SystemRights(files, FolderOf(path), folderRead);
    if (!fileRead || !folderRead) return true;
    const bool deletes = (onFile & kRightDelete) != 0 || (onFolder & kFileDeleteChild) != 0;
    return deletes && (!replacement || (onFolder & kFileAddFile) != 0);
}

}  // namespace pendrix
