#include "tests/native/fake_file_system.h"

#include <algorithm>
#include <cctype>

#include "scheduler/file_commands.h"

namespace pendrix::testing {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// * matches any run, ? any one character; case is ignored.
bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*')
        return Matches(pattern.substr(1), name) || (!name.empty() && Matches(pattern, name.substr(1)));
    if (name.empty()) return false;
    const bool same = pattern[0] == '?' || std::tolower(static_cast<unsigned char>(pattern[0])) ==
                                               std::tolower(static_cast<unsigned char>(name[0]));
    return same && Matches(pattern.substr(1), name.substr(1));
}

// A last-write time in 2024, as FILETIME ticks; each file put is one tick later.
constexpr std::uint64_t kFirstWriteTime = 133'500'000'000'000'000;

}  // namespace

std::string FakeFileSystem::Key(const std::string& path) const {
    // "\\?\C:\x" names what "C:\x" names.
    constexpr std::string_view kLongPathPrefix = "\\\\?\\";
    const bool prefixed = path.compare(0, kLongPathPrefix.size(), kLongPathPrefix) == 0;
    std::string full;
    const_cast<FakeFileSystem*>(this)->FullPath(prefixed ? path.substr(kLongPathPrefix.size()) : path, full);
    std::string key = Lower(full);
    const auto alias = aliases_.find(key);
    return alias == aliases_.end() ? key : alias->second;
}

void FakeFileSystem::Put(const std::string& path, const std::string& content) {
    File file;
    file.content = content;
    file.index = nextIndex_++;
    file.lastWrite = kFirstWriteTime + file.index;
    files_[Key(path)] = file;
}

void FakeFileSystem::PutFolder(const std::string& path) {
    Put(path, "");
    Find(path)->attributes = kAttributeDirectory;
}

void FakeFileSystem::Alias(const std::string& alias, const std::string& path) {
    std::string full;
    FullPath(alias, full);
    aliases_[Lower(full)] = Key(path);
}

FakeFileSystem::File* FakeFileSystem::Find(const std::string& path) {
    const auto found = files_.find(Key(path));
    return found == files_.end() ? nullptr : &found->second;
}

std::vector<std::string> FakeFileSystem::Paths() const {
    std::vector<std::string> paths;
    for (const auto& entry : files_) paths.push_back(entry.first);
    return paths;
}

std::uint32_t FakeFileSystem::Attributes(const std::string& path, std::uint32_t& attributes) {
    ++attributeCalls.value;
    const File* file = Find(path);
    if (file == nullptr) {
        const std::string folder = Key(path) + "\\";
        const auto next = files_.lower_bound(folder);
        if (next == files_.end() || next->first.compare(0, folder.size(), folder) != 0) return kErrorFileNotFound;
        attributes = kAttributeDirectory;
        return kErrorSuccess;
    }
    attributes = file->attributes;
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::Facts(const std::string& path, FileFacts& facts) {
    std::uint32_t attributes = 0;
    const std::uint32_t status = Attributes(path, attributes);  // counted there
    if (status != kErrorSuccess) return status;
    facts = FactsOf(path, attributes);
    return kErrorSuccess;
}

FileFacts FakeFileSystem::FactsOf(const std::string& path, std::uint32_t attributes) {
    const File* file = Find(path);
    if (file == nullptr) return FileFacts{attributes, 0, 0};  // a folder that holds something
    return FileFacts{attributes, file->content.size(), file->lastWrite};
}

std::uint32_t FakeFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    File* file = Find(path);
    if (file == nullptr) return kErrorFileNotFound;
    file->attributes = (file->attributes & kAttributeDirectory) | attributes;
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::Remove(const std::string& path) {
    if (onRemove) onRemove(path);
    File* file = Find(path);
    if (file == nullptr) return kErrorFileNotFound;
    if (file->attributes & (kAttributeDirectory | kAttributeReadOnly)) return kErrorAccessDenied;
    if (file->inUse) return kErrorSharingViolation;
    files_.erase(Key(path));
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::Copy(const std::string& source, const std::string& target) {
    const File* from = Find(source);
    if (from == nullptr) return kErrorFileNotFound;
    if (from->attributes & kAttributeDirectory) return kErrorAccessDenied;
    if (from->lockedForRead) return kErrorSharingViolation;
    File* to = Find(target);
    if (to != nullptr && (to->attributes & (kAttributeDirectory | kAttributeReadOnly))) return kErrorAccessDenied;
    if (to != nullptr && to->inUse) return kErrorSharingViolation;
    if (to == nullptr && foldersRefusingNewFiles.count(Lower(std::string(FolderOf(target)))) != 0)
        return kErrorAccessDenied;
    File copy = *from;
    copy.inUse = false;
    copy.lockedForRead = false;
    copy.index = to != nullptr ? to->index : nextIndex_++;
    files_[Key(target)] = copy;
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::MoveOver(const std::string& source, const std::string& target) {
    File* from = Find(source);
    if (from == nullptr) return kErrorFileNotFound;
    if (from->inUse) return kErrorSharingViolation;
    const File* to = Find(target);
    if (to != nullptr && (to->attributes & (kAttributeDirectory | kAttributeReadOnly))) return kErrorAccessDenied;
    if (to != nullptr && to->inUse) return kErrorAccessDenied;
    File moved = *from;
    files_.erase(Key(source));
    files_[Key(target)] = moved;
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::CreateTempFile(const std::string& folder, std::string& path) {
    std::string full;
    FullPath(folder.empty() ? std::string(".\\") : folder, full);
    if (!full.empty() && full.back() != '\\') full.push_back('\\');
    if (foldersRefusingNewFiles.count(Lower(full)) != 0) return kErrorAccessDenied;
    path = full + "pdx" + std::to_string(nextTemp_++) + ".tmp";
    Put(path, "");
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::Identity(const std::string& path, FileIdentity& identity) {
    const File* file = Find(path);
    if (file == nullptr) return kErrorFileNotFound;
    identity.volume = 7;
    identity.index = file->index;
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::FindFiles(const std::string& pattern, std::vector<std::string>& names) {
    std::string full;
    FullPath(pattern, full);
    const std::string folder = Lower(std::string(FolderOf(full)));
    const std::string lastComponent = full.substr(FolderOf(full).size());
    names.clear();
    for (const auto& [key, file] : files_) {
        if (key.compare(0, folder.size(), folder) != 0) continue;
        const std::string name = key.substr(folder.size());
        if (name.find('\\') != std::string::npos || (file.attributes & kAttributeDirectory)) continue;
        if (Matches(lastComponent, name)) names.push_back(name);
    }
    return names.empty() ? kErrorFileNotFound : kErrorSuccess;
}

std::uint32_t FakeFileSystem::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    const std::string prefix = Key(folder) + "\\";
    std::set<std::string> found;  // files, and the folders that hold them
    for (const auto& entry : files_) {
        if (entry.first.compare(0, prefix.size(), prefix) != 0 || entry.first.size() == prefix.size()) continue;
        const std::string rest = entry.first.substr(prefix.size());
        found.insert(rest.substr(0, rest.find('\\')));
    }
    if (found.empty() && Find(folder) == nullptr) return kErrorPathNotFound;
    for (const std::string& name : found) {
        const File* file = Find(prefix + name);
        entries.push_back(FolderEntry{name, FactsOf(prefix + name, file ? file->attributes : kAttributeDirectory)});
    }
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::ReadAll(const std::string& path, std::string& bytes) {
    const File* file = Find(path);
    if (file == nullptr) return kErrorFileNotFound;
    if (file->attributes & kAttributeDirectory) return kErrorAccessDenied;
    if (file->lockedForRead) return kErrorSharingViolation;
    bytes = file->content;
    return kErrorSuccess;
}

std::uint32_t FakeFileSystem::FullPath(const std::string& path, std::string& full) {
    const bool absolute = path.size() >= 2 && path[1] == ':';
    full = absolute ? path : currentFolder + (path.rfind(".\\", 0) == 0 ? path.substr(2) : path);
    return kErrorSuccess;
}

}  // namespace pendrix::testing
