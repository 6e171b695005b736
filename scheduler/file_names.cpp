#include "scheduler/file_names.h"

#include <vector>

#include "common/utf16_text.h"
#include "scheduler/pending_rename_list.h"

namespace pendrix {
namespace {

constexpr std::string_view kVerbatimPrefix = "\\\\?\\";
constexpr std::string_view kVerbatimUncPrefix = "\\\\?\\UNC\\";
constexpr std::string_view kUncPart = "UNC\\";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// "X:\" at the start.
bool StartsWithDriveRoot(std::string_view path) {
    return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool StartsWithUncPart(std::string_view rest) {
    if (rest.size() < kUncPart.size()) return false;
    for (std::size_t i = 0; i < kUncPart.size(); ++i) {
        const char c = rest[i];
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != kUncPart[i]) return false;
    }
    return true;
}

// The device form "\\.\" (either separator; "\\?\" with "/" is read so too).
bool StartsWithDevicePrefix(std::string_view typed) {
    return typed.size() >= 4 && IsSeparator(typed[0]) && IsSeparator(typed[1]) && (typed[2] == '.' || typed[2] == '?') &&
           IsSeparator(typed[3]);
}

NameResolution Problem(NameProblem problem, std::uint32_t status) {
    NameResolution resolution;
    resolution.problem = problem;
    resolution.status = status;
    return resolution;
}

NameResolution Invalid() { return Problem(NameProblem::InvalidName, kErrorInvalidName); }
NameResolution NotAFile() { return Problem(NameProblem::NotAFile, kErrorBadPathname); }

bool IsForbidden(unsigned char c) { return c < 0x20 || c == '<' || c == '>' || c == '|' || c == '"'; }

// Checks the parts of a name below its root ("dir\file"), one by one.
bool PartsAreValid(std::string_view rest, bool verbatim, NameUse use) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = rest.find('\\', start);
        const bool last = end == std::string_view::npos;
        const std::string_view part = rest.substr(start, last ? std::string_view::npos : end - start);
        if (part.empty()) return false;
        if (verbatim && (part == "." || part == "..")) return false;
        const std::size_t stream = part.find(':');
        if (stream != std::string_view::npos && (!last || stream == 0)) return false;
        const std::size_t wildcard = part.find_first_of("*?");
        if (wildcard != std::string_view::npos) {
            if (!last || use != NameUse::Pattern) return false;
            if (stream != std::string_view::npos) return false;  // a pattern in a stream's name
        }
        for (const char c : part)
            if (IsForbidden(static_cast<unsigned char>(c)) || c == '/') return false;
        if (last) return true;
        start = end + 1;
    }
}

// full without one separator at its end (a folder named with it), but a
// root keeps its own.
std::string WithoutClosingSeparator(std::string full, std::size_t rootLength) {
    if (full.size() > rootLength && full.back() == '\\') full.pop_back();
    return full;
}

// A full drive name, "X:\dir\file".
NameResolution CheckDriveName(std::string full, std::string path, bool verbatim, NameUse use, FileSystemApi& files) {
    constexpr std::size_t kRootLength = 3;
    full = WithoutClosingSeparator(std::move(full), kRootLength);
    if (full.size() == kRootLength) return NotAFile();
    if (!PartsAreValid(std::string_view(full).substr(kRootLength), verbatim, use)) return Invalid();
    if (Utf16FromText(path).size() > kMaxNameUnits) return Problem(NameProblem::Unresolved, kErrorFilenameExcedRange);

    NameResolution resolution;
    resolution.name.network = files.DriveType(full.substr(0, kRootLength)) == kDriveRemote;
    resolution.name.path = verbatim ? WithoutClosingSeparator(std::move(path), kVerbatimPrefix.size() + kRootLength)
                                    : full;
    resolution.name.full = std::move(full);
    return resolution;
}

// A full name on a share, "\\server\share\dir\file".
NameResolution CheckShareName(std::string full, std::string path, bool verbatim, NameUse use) {
    const std::size_t serverEnd = full.find('\\', 2);
    if (serverEnd == std::string::npos || serverEnd == 2) return Invalid();
    const std::size_t shareEnd = full.find('\\', serverEnd + 1);
    if (shareEnd == serverEnd + 1) return Invalid();
    const std::size_t rootLength = shareEnd == std::string::npos ? full.size() : shareEnd + 1;
    full = WithoutClosingSeparator(std::move(full), rootLength);
    if (full.size() <= rootLength) return NotAFile();
    const std::string_view server = std::string_view(full).substr(2, serverEnd - 2);
    const std::string_view share = std::string_view(full).substr(serverEnd + 1, shareEnd - serverEnd - 1);
    if (!PartsAreValid(server, verbatim, NameUse::File) || !PartsAreValid(share, verbatim, NameUse::File) ||
        !PartsAreValid(std::string_view(full).substr(rootLength), verbatim, use))
        return Invalid();
    if (Utf16FromText(path).size() > kMaxNameUnits) return Problem(NameProblem::Unresolved, kErrorFilenameExcedRange);

    NameResolution resolution;
    resolution.name.network = true;
    resolution.name.path = verbatim ? std::string(kVerbatimUncPrefix) + full.substr(2) : full;
    resolution.name.full = std::move(full);
    return resolution;
}

// A name in the form Windows takes verbatim; rest follows "\\?\" or "\??\".
NameResolution ResolveVerbatim(std::string_view rest, NameUse use, FileSystemApi& files) {
    if (StartsWithDriveRoot(rest)) {
        const std::string full(rest);
        return CheckDriveName(full, std::string(kVerbatimPrefix) + full, true, use, files);
    }
    if (StartsWithUncPart(rest)) {
        const std::string full = "\\\\" + std::string(rest.substr(kUncPart.size()));
        return CheckShareName(full, std::string(kVerbatimUncPrefix) + full.substr(2), true, use);
    }
    return NotAFile();  // a drive ("C:"), a volume ("Volume{...}"), a disk, a pipe, ...
}

// A name as Win32 takes it: made full by the file system.
NameResolution ResolvePlain(std::string_view typed, NameUse use, FileSystemApi& files) {
    std::string full;
    const std::uint32_t status = files.FullPath(std::string(typed), full);
    if (status != kErrorSuccess) return Problem(NameProblem::Unresolved, status);
    if (StartsWithDevicePrefix(full)) return NotAFile();  // "CON", "C:\dir\NUL" and the like
    if (StartsWithDriveRoot(full)) return CheckDriveName(full, full, false, use, files);
    if (full.size() >= 2 && full[0] == '\\' && full[1] == '\\') return CheckShareName(full, full, false, use);
    return Invalid();
}

// The drive itself, "C:" (with blanks or periods after it, which Windows
// drops): Windows reads it as that drive's current folder.
bool IsBareDrive(std::string_view typed) {
    while (!typed.empty() && (typed.back() == ' ' || typed.back() == '.')) typed.remove_suffix(1);
    return typed.size() == 2 && IsLetter(typed[0]) && typed[1] == ':';
}

}  // namespace

bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

std::string_view FolderOf(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator + 1);
}

std::string_view LastPartOf(std::string_view path) { return path.substr(FolderOf(path).size()); }

bool HasWildcards(std::string_view path) { return LastPartOf(path).find_first_of("*?") != std::string_view::npos; }

std::string_view WithoutSurroundingQuotes(std::string_view typed) {
    if (typed.size() >= 2 && typed.front() == '"' && typed.back() == '"') return typed.substr(1, typed.size() - 2);
    return typed;
}

NameResolution ResolveName(std::string_view quotedOrNot, FileSystemApi& files, NameUse use) {
    const std::string_view typed = WithoutSurroundingQuotes(quotedOrNot);
    if (IsBlank(typed)) return Problem(NameProblem::Blank, kErrorInvalidParameter);
    if (typed.find('\0') != std::string_view::npos) return Invalid();
    if (typed.substr(0, kObjectPathPrefix.size()) == kObjectPathPrefix ||
        typed.substr(0, kVerbatimPrefix.size()) == kVerbatimPrefix)
        return ResolveVerbatim(typed.substr(kVerbatimPrefix.size()), use, files);
    if (StartsWithDevicePrefix(typed)) {
        // "\\.\C:\dir\file" is "C:\dir\file"; "\\.\UNC\server\..." a share.
        std::string rest(typed.substr(4));
        for (char& c : rest)
            if (c == '/') c = '\\';
        if (StartsWithDriveRoot(rest)) return ResolvePlain(rest, use, files);
        if (StartsWithUncPart(rest)) return ResolvePlain("\\\\" + rest.substr(kUncPart.size()), use, files);
        return NotAFile();
    }
    if (IsBareDrive(typed)) return NotAFile();
    return ResolvePlain(typed, use, files);
}

std::string NtNameOf(const ResolvedName& name) { return std::string(kObjectPathPrefix) + name.full; }

}  // namespace pendrix
