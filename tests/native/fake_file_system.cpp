#include "tests/native/fake_file_system.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "common/utf16_text.h"
#include "scheduler/file_names.h"

namespace pendrix::testing {
namespace {

constexpr std::string_view kVerbatim = "\\\\?\\";
constexpr std::string_view kVerbatimUnc = "\\\\?\\UNC\\";
constexpr std::string_view kDevice = "\\\\.\\";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// As FindFirstFileW matches, case ignored, long and short names alike: the
// pattern's trailing periods and blanks go, "*.*" is "*", a ? matches one
// character but none at a period or the end, a period before a wildcard
// also matches the end, a * before a period (or a final * of a pattern
// typed with a final period) may not take the name's last period.
std::string DosPattern(std::string pattern) {
    const bool endsInPeriod = !pattern.empty() && pattern.back() == '.';
    while (!pattern.empty() && (pattern.back() == '.' || pattern.back() == ' ')) pattern.pop_back();
    if (pattern == "*.*") return "*";
    std::string rewritten = pattern;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '?') rewritten[i] = '>';
        if (pattern[i] == '.' && i + 1 < pattern.size() && (pattern[i + 1] == '*' || pattern[i + 1] == '?'))
            rewritten[i] = '"';
        if (pattern[i] == '*' && (i + 1 < pattern.size() ? pattern[i + 1] == '.' : endsInPeriod)) rewritten[i] = '<';
    }
    return rewritten;
}

bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    const std::string_view rest = pattern.substr(1);
    switch (pattern[0]) {
    case '*': return Matches(rest, name) || (!name.empty() && Matches(pattern, name.substr(1)));
    case '<':
        return Matches(rest, name) || (!name.empty() && (name[0] != '.' || name.find('.', 1) != std::string_view::npos) &&
                                       Matches(pattern, name.substr(1)));
    case '>': return !name.empty() && name[0] != '.' ? Matches(rest, name.substr(1)) : Matches(rest, name);
    case '"': return name.empty() ? Matches(rest, name) : name[0] == '.' && Matches(rest, name.substr(1));
    default:
        return !name.empty() &&
               std::tolower(static_cast<unsigned char>(pattern[0])) == std::tolower(static_cast<unsigned char>(name[0])) &&
               Matches(rest, name.substr(1));
    }
}

// A name's parts that Windows reads as devices wherever they stand: what
// comes before a period, without a closing ":" and blanks ("CON:", "nul .txt").
bool IsDeviceName(std::string part) {
    part = Lower(part.substr(0, part.find('.')));
    if (!part.empty() && part.back() == ':') part.pop_back();
    while (!part.empty() && part.back() == ' ') part.pop_back();
    if (part == "con" || part == "prn" || part == "aux" || part == "nul" || part == "conin$" || part == "conout$")
        return true;
    return part.size() == 4 && (part.rfind("com", 0) == 0 || part.rfind("lpt", 0) == 0) && part[3] >= '1' &&
           part[3] <= '9';
}

bool HoldsForbidden(std::string_view name) {
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>|\"*?").find(c) != std::string_view::npos)
            return true;
    return false;
}

std::string ParentKey(const std::string& key) {
    const std::size_t separator = key.find_last_of('\\');
    if (separator == std::string::npos) return std::string();
    return separator == 2 && key[1] == ':' ? key.substr(0, 3) : key.substr(0, separator);
}

std::string LastPart(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

// A last-write time in 2024, as FILETIME ticks; each file put is one tick later.
constexpr std::uint64_t kFirstWriteTime = 133'500'000'000'000'000;

}  // namespace

// ---- names ----

std::string FakeFileSystem::Real(const std::string& path) const {
    std::string full;
    if (const_cast<FakeFileSystem*>(this)->FullPath(path, full) != kErrorSuccess) return std::string();
    if (full.rfind(kVerbatimUnc, 0) == 0) full = "\\\\" + full.substr(kVerbatimUnc.size());
    else if (full.rfind(kVerbatim, 0) == 0) full = full.substr(kVerbatim.size());
    if (full.size() >= 3 && full[1] == ':') {
        const auto subst = substDrives.find(static_cast<char>(std::tolower(static_cast<unsigned char>(full[0]))));
        if (subst != substDrives.end()) full = subst->second + (full.size() > 3 ? full.substr(2) : std::string());
    }
    // A link among the folders leads on to its target.
    for (int hops = 0; hops < 8; ++hops) {
        bool followed = false;
        for (std::size_t end = full.find('\\', 3); end != std::string::npos && !followed; end = full.find('\\', end + 1)) {
            const auto name = names_.find(Lower(full.substr(0, end)));
            if (name == names_.end() || name->second.linkTarget.empty()) continue;
            full = Real(name->second.linkTarget) + full.substr(end);
            followed = true;
        }
        if (!followed) break;
    }
    return full;
}

std::string FakeFileSystem::Key(const std::string& path) const {
    std::string full = Real(path);
    if (full.empty()) return full;
    const bool root = full.size() == 3 && full[1] == ':';
    if (!root && full.size() > 1 && full.back() == '\\') full.pop_back();
    return Lower(full);
}

std::string FakeFileSystem::Lookup(const std::string& path) const {
    const std::string key = Key(path);
    if (key.empty() || names_.count(key) != 0 || shortNames_ == 0) return key;
    // A short name in the last part.
    const std::string parent = ParentKey(key);
    const std::string last = LastPart(key);
    for (const auto& [other, name] : names_)
        if (ParentKey(other) == parent && !name.shortName.empty() && Lower(name.shortName) == last) return other;
    return key;
}

std::string FakeFileSystem::Followed(const std::string& path) const {
    std::string key = Lookup(path);
    for (int hops = 0; hops < 8; ++hops) {
        const auto name = names_.find(key);
        if (name == names_.end() || name->second.linkTarget.empty()) return key;
        key = Lookup(name->second.linkTarget);
    }
    return key;
}

bool FakeFileSystem::FolderExists(const std::string& key) const {
    if (key.size() == 3 && key[1] == ':') return DriveExists(key[0]);
    const auto name = names_.find(key);
    if (name != names_.end()) return name->second.file == 0 && name->second.linkTarget.empty();
    const std::string inside = key + "\\";
    const auto next = names_.lower_bound(inside);
    return next != names_.end() && next->first.compare(0, inside.size(), inside) == 0;
}

WinStatus FakeFileSystem::Missing(const std::string& path) const {
    const std::string key = Key(path);
    if (key.empty()) return kErrorInvalidName;
    const std::size_t rootEnd = key[1] == ':' ? 3 : key.find('\\', key.find('\\', 2) + 1) + 1;
    if (HoldsForbidden(key.substr(std::min(rootEnd, key.size())))) return kErrorInvalidName;
    return FolderExists(ParentKey(key)) ? kErrorFileNotFound : kErrorPathNotFound;
}

FakeFileSystem::File* FakeFileSystem::FileOf(const std::string& key) {
    const auto name = names_.find(key);
    if (name == names_.end() || name->second.file == 0) return nullptr;
    return &files_.at(name->second.file);
}

std::size_t FakeFileSystem::NamesOf(std::uint64_t file) const {
    return static_cast<std::size_t>(
        std::count_if(names_.begin(), names_.end(), [file](const auto& name) { return name.second.file == file; }));
}

void FakeFileSystem::Unname(const std::string& key) {
    const std::uint64_t file = names_.at(key).file;
    names_.erase(key);
    if (file != 0 && NamesOf(file) == 0) files_.erase(file);
}

WinStatus FakeFileSystem::Fault(const std::string& call, const std::string& path) const {
    return fault ? fault(call, path) : kErrorSuccess;
}

// A rename needs the right to delete the name (5 without it) and to add a
// name to the folder it goes to.
WinStatus FakeFileSystem::RenameRefused(const std::string& from) const {
    const auto name = names_.find(from);
    if (name != names_.end() && name->second.file != 0 && files_.at(name->second.file).deleteDenied)
        return kErrorAccessDenied;
    return kErrorSuccess;
}

bool FakeFileSystem::DriveExists(char letter) const {
    if (std::tolower(static_cast<unsigned char>(currentFolder[0])) == letter || remoteDrives.count(letter) != 0)
        return true;
    const auto next = names_.lower_bound(std::string(1, letter) + ":");
    return next != names_.end() && next->first[0] == letter && next->first[1] == ':';
}

void FakeFileSystem::Put(const std::string& path, const std::string& content) {
    File file;
    file.content = content;
    file.index = nextIndex_++;
    file.lastWrite = kFirstWriteTime + file.index;
    const std::string key = Key(path);
    if (names_.count(key) != 0) Unname(key);
    files_[file.index] = file;
    names_[key] = Name{Real(path), file.index, {}, {}};
}

void FakeFileSystem::PutFolder(const std::string& path) {
    names_[Key(path)] = Name{Real(path), 0, {}, {}};
}

void FakeFileSystem::Alias(const std::string& alias, const std::string& path) {
    names_[Key(alias)] = Name{Real(alias), names_.at(Lookup(path)).file, {}, {}};
}

void FakeFileSystem::ShortName(const std::string& path, const std::string& shortName) {
    names_.at(Lookup(path)).shortName = shortName;
    ++shortNames_;
}

void FakeFileSystem::SymbolicLink(const std::string& link, const std::string& target) {
    names_[Key(link)] = Name{Real(link), 0, {}, target};
}

FakeFileSystem::File* FakeFileSystem::Find(const std::string& path) { return FileOf(Followed(path)); }

std::vector<std::string> FakeFileSystem::Paths() const {
    std::vector<std::string> paths;
    for (const auto& entry : names_) paths.push_back(entry.first);
    return paths;
}

// ---- kernel32 ----

WinStatus FakeFileSystem::Attributes(const std::string& path, std::uint32_t& attributes) {
    ++attributeCalls.value;
    const std::string key = Followed(path);
    if (const File* file = FileOf(key)) {
        attributes = file->attributes;
        return kErrorSuccess;
    }
    if (FolderExists(key)) {
        attributes = kAttributeDirectory;
        return kErrorSuccess;
    }
    return Missing(path);
}

WinStatus FakeFileSystem::Facts(const std::string& path, FileFacts& facts) {
    std::uint32_t attributes = 0;
    if (const std::uint32_t status = Attributes(path, attributes)) return status;  // counted there
    facts = FactsOf(Followed(path));
    return kErrorSuccess;
}

FileFacts FakeFileSystem::FactsOf(const std::string& key) {
    const File* file = FileOf(Followed(key));
    if (file == nullptr) return FileFacts{kAttributeDirectory, 0, 0};
    return FileFacts{file->attributes, file->content.size(), file->lastWrite};
}

WinStatus FakeFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    File* file = Find(path);
    if (file == nullptr) return FolderExists(Followed(path)) ? kErrorSuccess : Missing(path);
    file->attributes = attributes == kAttributeNormal ? kAttributeNormal : attributes & ~kAttributeNormal;
    return kErrorSuccess;
}

WinStatus FakeFileSystem::Remove(const std::string& path) {
    if (onRemove) onRemove(path);
    // DeleteFileW removes a link itself; Wine removes what it leads to.
    const std::string key = linksAsWine ? Followed(path) : Lookup(path);
    const auto name = names_.find(key);
    if (name == names_.end()) return FolderExists(key) ? kErrorAccessDenied : Missing(path);
    if (const File* file = FileOf(key)) {
        if (file->attributes & kAttributeReadOnly) return kErrorAccessDenied;
        if (file->inUse) return kErrorSharingViolation;
        if (file->loaded || file->deleteDenied) return kErrorAccessDenied;
    } else if (name->second.linkTarget.empty()) {
        return kErrorAccessDenied;  // a folder
    }
    if (const std::uint32_t status = Fault("Remove", path)) return status;
    Unname(key);
    return kErrorSuccess;
}

WinStatus FakeFileSystem::RemoveFolder(const std::string& path) {
    const std::string key = Lookup(path);
    if (!FolderExists(key)) return names_.count(key) != 0 ? kErrorDirectory : Missing(path);
    const std::string inside = key + "\\";
    const auto next = names_.lower_bound(inside);
    if (next != names_.end() && next->first.compare(0, inside.size(), inside) == 0) return kErrorDirNotEmpty;
    if (const std::uint32_t status = Fault("RemoveFolder", path)) return status;
    names_.erase(key);
    return kErrorSuccess;
}

WinStatus FakeFileSystem::Copy(const std::string& source, const std::string& target) {
    const File* from = Find(source);
    if (from == nullptr) return FolderExists(Followed(source)) ? kErrorAccessDenied : Missing(source);
    if (from->lockedForRead) return kErrorSharingViolation;
    const std::string targetKey = Followed(target);
    File* to = FileOf(targetKey);
    if (to == nullptr && FolderExists(targetKey)) return kErrorAccessDenied;
    if (to != nullptr &&
        (to->attributes & (kAttributeReadOnly | kAttributeHidden | kAttributeSystem | kAttributeDirectory)))
        return kErrorAccessDenied;
    if (to != nullptr && (to->inUse || to->lockedForRead || to->loaded)) return kErrorSharingViolation;
    if (to == nullptr) {
        if (!FolderExists(ParentKey(targetKey))) return kErrorPathNotFound;
        if (foldersRefusingNewFiles.count(ParentKey(targetKey)) != 0) return kErrorAccessDenied;
    }
    const File copied = *from;
    if (const std::uint32_t status = Fault("Copy", target)) {
        if (to != nullptr) to->content.resize(to->content.size() / 2);  // stopped half-way
        return status;
    }
    if (to != nullptr) {
        // Written into the file itself: its other names see the content.
        to->content = copied.content;
        to->attributes = copied.attributes;
        to->lastWrite = copied.lastWrite;
        return kErrorSuccess;
    }
    File made;
    made.content = copied.content;
    made.attributes = copied.attributes;
    made.lastWrite = copied.lastWrite;
    made.index = nextIndex_++;
    files_[made.index] = made;
    names_[targetKey] = Name{Real(target), made.index, {}, {}};
    return kErrorSuccess;
}

WinStatus FakeFileSystem::MoveOver(const std::string& source, const std::string& target) {
    const std::string from = Lookup(source);
    const auto name = names_.find(from);
    if (name == names_.end()) return Missing(source);
    if (const File* file = FileOf(from); file != nullptr && file->inUse) return kErrorSharingViolation;
    if (const std::uint32_t status = RenameRefused(from)) return status;
    const std::string to = Lookup(target);
    if (names_.count(to) != 0) {
        if (FolderExists(to)) return kErrorAccessDenied;
        if (const File* existing = FileOf(to);
            existing != nullptr && (existing->inUse || existing->loaded || existing->deleteDenied ||
                                    (existing->attributes & kAttributeReadOnly)))
            return kErrorAccessDenied;
    } else if (!FolderExists(ParentKey(to))) {
        return kErrorPathNotFound;
    }
    if (foldersRefusingNewFiles.count(ParentKey(to)) != 0) return kErrorAccessDenied;
    if (const std::uint32_t status = Fault("MoveOver", target)) return status;
    MoveName(from, to, target);
    return kErrorSuccess;
}

void FakeFileSystem::MoveName(const std::string& from, const std::string& to, const std::string& target) {
    Name moved = names_.at(from);
    moved.stored = Real(target);
    moved.shortName.clear();
    names_.erase(from);
    if (names_.count(to) != 0) Unname(to);
    names_[to] = moved;
}

// As Wine's ReplaceFileW with a backup: the replaced file (refused when
// read-only) is renamed to the backup's name, the replacement to the
// replaced file's; attributes are not carried over.
WinStatus FakeFileSystem::Replace(const std::string& replaced, const std::string& replacement,
                                      const std::string& backup) {
    const File* old = Find(replaced);
    if (old == nullptr) return Missing(replaced);
    if ((old->attributes & kAttributeReadOnly) || old->deleteDenied) return kErrorAccessDenied;
    const File* fresh = Find(replacement);
    if (fresh == nullptr) return Missing(replacement);
    if (fresh->inUse || fresh->lockedForRead) return kErrorSharingViolation;
    if (const std::uint32_t status = MoveOver(replaced, backup)) return status;
    if (Fault("Replace", replaced) != kErrorSuccess || MoveOver(replacement, replaced) != kErrorSuccess)
        return kErrorUnableToMoveReplacement2;
    return kErrorSuccess;
}

WinStatus FakeFileSystem::CreateTempFile(const std::string& folder, std::string& path) {
    std::string where = folder.empty() ? currentFolder : folder;
    if (where.back() != '\\') where.push_back('\\');
    const std::string key = Key(where);
    if (!FolderExists(key)) return kErrorPathNotFound;
    if (foldersRefusingNewFiles.count(key) != 0) return kErrorAccessDenied;
    std::string name;
    do name = where + "pdx" + std::to_string(nextTemp_++) + ".tmp";
    while (Exists(name) || FolderExists(Key(name)));  // a name taken is skipped, never written over
    if (Utf16FromText(name).size() > kMaxNameUnits) return kErrorFilenameExcedRange;
    Put(name, "");
    path = name;
    return kErrorSuccess;
}

WinStatus FakeFileSystem::Identity(const std::string& path, FileIdentity& identity) {
    const std::string key = Followed(path);
    identity.volume = !key.empty() && otherVolumes.count(key[0]) != 0 ? 8 : 7;
    if (const File* file = FileOf(key)) {
        identity.index = file->index;
        return kErrorSuccess;
    }
    if (!FolderExists(key)) return Missing(path);
    identity.index = std::hash<std::string>{}(key) | (std::uint64_t{1} << 63);  // apart from every file's
    return kErrorSuccess;
}

WinStatus FakeFileSystem::Describe(const std::string& path, FileDescription& description) {
    const std::string key = Followed(path);
    const File* file = FileOf(key);
    if (file == nullptr) return Missing(path);
    description.attributes = file->attributes;
    description.links = static_cast<std::uint32_t>(NamesOf(file->index));
    // GetFinalPathNameByHandleW: "\\?\C:\dir\file", "\\?\UNC\server\share\file".
    const std::string& stored = names_.at(key).stored;
    description.finalPath = stored.rfind("\\\\", 0) == 0 ? std::string(kVerbatimUnc) + stored.substr(2)
                                                        : std::string(kVerbatim) + stored;
    return kErrorSuccess;
}

WinStatus FakeFileSystem::FindFiles(const std::string& pattern, std::vector<FoundFile>& found) {
    found.clear();
    const std::string folder = ParentKey(Key(pattern));
    if (!FolderExists(folder)) return kErrorPathNotFound;
    // The last part as typed: its final period still counts.
    const std::string wanted = DosPattern(pattern.substr(pattern.find_last_of("\\/") + 1));
    for (const auto& [other, name] : names_) {
        if (ParentKey(other) != folder) continue;
        const std::string longName = LastPart(name.stored);
        if (!Matches(wanted, longName) && !(!name.shortName.empty() && Matches(wanted, name.shortName))) continue;
        const File* file = FileOf(Followed(name.stored));
        found.push_back({longName, name.shortName, file != nullptr ? file->attributes : kAttributeDirectory});
    }
    return found.empty() ? kErrorFileNotFound : kErrorSuccess;
}

WinStatus FakeFileSystem::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    const std::string key = Lookup(folder);
    if (!FolderExists(key)) return names_.count(key) != 0 ? kErrorDirectory : kErrorPathNotFound;
    const std::string inside = key.back() == '\\' ? key : key + "\\";
    std::set<std::string> seen;
    for (const auto& [other, name] : names_) {
        if (other.compare(0, inside.size(), inside) != 0) continue;
        // The part below the folder, as stored: a name in it, or the
        // folder that holds a deeper name.
        const std::string below = name.stored.substr(inside.size());
        const std::string part = below.substr(0, below.find('\\'));
        if (!seen.insert(Lower(part)).second) continue;
        const FileFacts facts = FactsOf(inside + Lower(part));
        entries.push_back({part, facts});
        if (part == below && !name.shortName.empty()) entries.push_back({name.shortName, facts});
    }
    return kErrorSuccess;
}

WinStatus FakeFileSystem::ReadAll(const std::string& path, std::string& bytes) {
    const File* file = Find(path);
    if (file == nullptr) return FolderExists(Followed(path)) ? kErrorDirectoryNotSupported : Missing(path);
    if (file->lockedForRead) return kErrorSharingViolation;
    bytes = file->content;
    return kErrorSuccess;
}

// As CreateFileW with CREATE_NEW: an existing name (file or folder) gives 80.
WinStatus FakeFileSystem::CreateNewFile(const std::string& path, const std::string& bytes) {
    const std::string key = Key(path);
    if (names_.count(key) != 0 || FolderExists(key)) return kErrorFileExists;
    if (!FolderExists(ParentKey(key))) return kErrorPathNotFound;
    if (foldersRefusingNewFiles.count(ParentKey(key)) != 0) return kErrorAccessDenied;
    Put(path, bytes);
    return kErrorSuccess;
}

// As GetFullPathNameW: "/" is "\", relative names start at the current
// folder (of their drive), "." and ".." go, trailing periods and blanks of
// every part go, a device's name becomes "\\.\NAME"; "\\?\" names stay.
WinStatus FakeFileSystem::FullPath(const std::string& typed, std::string& full) {
    const std::string path = typed.substr(0, typed.find('\0'));  // a wide string ends at its first NUL
    if (path.empty()) return kErrorInvalidName;
    if (path.rfind(kVerbatim, 0) == 0) {
        full = path;
        return kErrorSuccess;
    }
    std::string name = path;
    std::replace(name.begin(), name.end(), '/', '\\');
    std::string current = currentFolder;
    if (current.size() > 3 && current.back() == '\\') current.pop_back();

    std::string root;
    std::string rest;
    if (name.rfind(kDevice, 0) == 0) {
        root = std::string(kDevice);
        rest = name.substr(kDevice.size());
    } else if (name.rfind("\\\\", 0) == 0) {
        const std::size_t server = name.find('\\', 2);
        const std::size_t share = server == std::string::npos ? std::string::npos : name.find('\\', server + 1);
        root = share == std::string::npos ? name + "\\" : name.substr(0, share + 1);
        rest = share == std::string::npos ? std::string() : name.substr(share + 1);
    } else if (name.size() >= 2 && IsLetter(name[0]) && name[1] == ':') {
        root = name.substr(0, 2) + "\\";
        const bool sameDrive = std::tolower(static_cast<unsigned char>(name[0])) ==
                               std::tolower(static_cast<unsigned char>(current[0]));
        if (name.size() > 2 && name[2] == '\\') rest = name.substr(3);
        else rest = (sameDrive && current.size() > 3 ? current.substr(3) + "\\" : std::string()) + name.substr(2);
    } else if (name[0] == '\\') {
        root = current.substr(0, 3);
        rest = name.substr(1);
    } else {
        root = current.substr(0, 3);
        rest = (current.size() > 3 ? current.substr(3) + "\\" : std::string()) + name;
    }

    std::vector<std::string> parts;
    std::size_t start = 0;
    bool closingSeparator = false;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find('\\', start), rest.size());
        std::string part = rest.substr(start, end - start);
        start = end + 1;
        const bool last = end == rest.size();
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        if (part.empty()) {
            closingSeparator = last && !parts.empty();
            continue;
        }
        parts.push_back(part);
    }
    if (root != kDevice && root[1] == ':' && !parts.empty() && IsDeviceName(parts.back())) {
        full = std::string(kDevice) + parts.back().substr(0, parts.back().find('.'));
        return kErrorSuccess;
    }
    full = root;
    for (std::size_t i = 0; i < parts.size(); ++i) full += (i == 0 ? "" : "\\") + parts[i];
    if (closingSeparator) full += '\\';
    if (Utf16FromText(full).size() > kMaxNameUnits) return kErrorFilenameExcedRange;
    return kErrorSuccess;
}

// MoveFileExW without replacing: the name moves, the file stays itself.
WinStatus FakeFileSystem::Rename(const std::string& source, const std::string& target) {
    const std::string from = Lookup(source);
    const auto name = names_.find(from);
    if (name == names_.end()) return Missing(source);
    if (const File* file = FileOf(from); file != nullptr && file->inUse) return kErrorSharingViolation;
    if (const std::uint32_t status = RenameRefused(from)) return status;
    const std::string to = Lookup(target);
    if (names_.count(to) != 0) return kErrorAlreadyExists;
    if (!FolderExists(ParentKey(to))) return kErrorPathNotFound;
    if (foldersRefusingNewFiles.count(ParentKey(to)) != 0) return kErrorAccessDenied;
    if (const std::uint32_t status = Fault("Rename", target)) return status;
    MoveName(from, to, target);
    return kErrorSuccess;
}

WinStatus FakeFileSystem::Use(const std::string& path, FileUse& use) {
    use = FileUse::Free;
    const File* file = Find(path);
    if (file == nullptr) return Missing(path);
    if (file->deleteDenied) return kErrorAccessDenied;
    if (file->inUse) use = FileUse::Held;
    else if (file->loaded) use = FileUse::Loaded;
    return kErrorSuccess;
}

// A new file created with its security: the administrators own it, it has
// the model's rules (or those its folder passes on) and the attributes asked.
WinStatus FakeFileSystem::CreateStagedCopy(const std::string& source, const std::string& target,
                                           const std::string& model, std::uint32_t attributes) {
    const File* from = Find(source);
    if (from == nullptr) return FolderExists(Followed(source)) ? kErrorAccessDenied : Missing(source);
    if (from->lockedForRead) return kErrorSharingViolation;
    const std::string targetKey = Followed(target);
    if (names_.count(targetKey) != 0 || FolderExists(targetKey)) return kErrorFileExists;
    if (!FolderExists(ParentKey(targetKey))) return kErrorPathNotFound;
    if (foldersRefusingNewFiles.count(ParentKey(targetKey)) != 0) return kErrorAccessDenied;
    File made;
    made.rules = "inherited";
    if (!model.empty()) {
        const File* modelFile = Find(model);
        if (modelFile == nullptr) return Missing(model);
        made.rules = modelFile->rules;
    }
    if (const std::uint32_t status = Fault("CreateStagedCopy", target)) return status;
    constexpr std::uint32_t kKept = kAttributeHidden | kAttributeSystem | kAttributeReadOnly | kAttributeArchive;
    made.content = from->content;
    made.attributes = (attributes & kKept) != 0 ? attributes & kKept : kAttributeNormal;
    made.lastWrite = from->lastWrite;
    made.owner = "BUILTIN\\Administrators";
    made.index = nextIndex_++;
    files_[made.index] = made;
    names_[targetKey] = Name{Real(target), made.index, {}, {}};
    return kErrorSuccess;
}

WinStatus FakeFileSystem::OpenForReading(const std::string& path) {
    const File* file = Find(path);
    if (file == nullptr) return FolderExists(Followed(path)) ? kErrorSuccess : Missing(path);
    return file->lockedForRead ? kErrorSharingViolation : kErrorSuccess;
}

// A loaded program file opens for DELETE (it may be renamed); one held
// without FILE_SHARE_DELETE does not (32); rules that deny it give 5.
WinStatus FakeFileSystem::OpenForDeleting(const std::string& path) {
    const File* file = Find(path);
    if (file == nullptr) return FolderExists(Followed(path)) ? kErrorSuccess : Missing(path);
    if (file->deleteDenied) return kErrorAccessDenied;
    return file->inUse ? kErrorSharingViolation : kErrorSuccess;
}

WinStatus FakeFileSystem::Owner(const std::string& path, std::string& owner) {
    const File* file = Find(path);
    if (file == nullptr && !FolderExists(Followed(path))) return Missing(path);
    owner = file != nullptr ? file->owner : "BUILTIN\\Administrators";
    return kErrorSuccess;
}

WinStatus FakeFileSystem::SecureLike(const std::string& model, const std::string& target) {
    File* file = Find(target);
    if (file == nullptr) return Missing(target);
    std::string rules = file->rules;
    if (!model.empty()) {
        const File* from = Find(model);
        if (from == nullptr) return Missing(model);
        rules = from->rules;
    }
    if (const std::uint32_t status = Fault("SecureLike", target)) return status;
    file->rules = rules;
    file->owner = "BUILTIN\\Administrators";
    return kErrorSuccess;
}

// The name as stored, every link followed and every part as it was made.
WinStatus FakeFileSystem::FinalName(const std::string& path, std::string& final) {
    const std::string key = Followed(path);
    if (FileOf(key) == nullptr && !FolderExists(key)) return Missing(path);
    if (volumesWithoutLetter.count(key.substr(0, 3)) != 0) {
        final = "Volume{6d5f4a2e-0000-0000-0000-100000000000}\\" + key.substr(3);
        return kErrorSuccess;
    }
    if (const auto name = names_.find(key); name != names_.end()) {
        final = name->second.stored;
        return kErrorSuccess;
    }
    // A folder that exists because it holds something: its parts as a name in it has them.
    const auto inside = names_.lower_bound(key + "\\");
    final = key.size() == 3 ? key : inside->second.stored.substr(0, key.size());
    if (key.size() == 3) final[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(final[0])));
    return kErrorSuccess;
}

WinStatus FakeFileSystem::IsLink(const std::string& path, bool& link) {
    const std::string key = Lookup(path);
    const auto name = names_.find(key);
    if (name == names_.end()) return FolderExists(key) ? (link = false, kErrorSuccess) : Missing(path);
    link = !linksAsWine && !name->second.linkTarget.empty();
    return kErrorSuccess;
}

WinStatus FakeFileSystem::RemoveLink(const std::string& path) {
    const std::string key = Lookup(path);
    const auto name = names_.find(key);
    if (name == names_.end()) return FolderExists(key) ? kErrorAccessDenied : Missing(path);
    // The handle is the file the name leads to: a plain file's, or, under Wine, the target's.
    if (name->second.linkTarget.empty() || linksAsWine) return kErrorCantResolveFilename;
    if (const std::uint32_t status = Fault("RemoveLink", path)) return status;
    names_.erase(name);
    return kErrorSuccess;
}

WinStatus FakeFileSystem::UsersMayChange(const std::string& folder, bool& may) {
    const std::string key = Followed(folder);
    if (!FolderExists(key)) return Missing(folder);
    may = foldersUsersMayChange.count(key) != 0;
    return kErrorSuccess;
}

WinStatus FakeFileSystem::Rules(const std::string& path, AccessRules& rules) {
    const std::string key = Followed(path);
    const File* file = FileOf(key);
    if (file == nullptr && !FolderExists(key)) return Missing(path);
    if (const auto set = rulesOf.find(key); set != rulesOf.end()) {
        rules = set->second;
        return kErrorSuccess;
    }
    const bool windowsOwn = file != nullptr && file->deleteDenied;  // read and execute, or Modify
    rules = {true, {{true, false, windowsOwn ? 0x1200A9u : 0x1301BFu, "S-1-5-18"}}};
    return kErrorSuccess;
}

// GetDriveTypeW wants the root ("C:\"): for "C:", or a drive that is not
// there, it answers DRIVE_NO_ROOT_DIR.
std::uint32_t FakeFileSystem::DriveType(const std::string& root) {
    if (missingRoots.count(Lower(root)) != 0) return kDriveNoRootDir;
    // A share's root ("\\server\share\") that can be reached is DRIVE_REMOTE.
    if (root.size() > 4 && root.compare(0, 2, "\\\\") == 0 && root.back() == '\\') return kDriveRemote;
    if (root.size() != 3 || !IsLetter(root[0]) || root[1] != ':' || root[2] != '\\') return kDriveNoRootDir;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(root[0])));
    if (remoteDrives.count(letter) != 0) return kDriveRemote;
    return DriveExists(letter) ? kDriveFixed : kDriveNoRootDir;
}

}  // namespace pendrix::testing
