// Names of files as the file commands take them. A typed name becomes the
// full name Windows resolves it to (GetFullPathNameW: relative names
// against the current folder, "/" as "\", "." and "..", trailing periods
// and blanks dropped); a name already in the form Windows takes verbatim
// ("\\?\C:\...", or the NT form "\??\C:\...") is kept as it is; the device
// form "\\.\C:\..." is resolved as "C:\...". Then it is checked for what the
// commands and the start-up processing can act on, and its NT form is the
// one name Windows itself stores in the pending list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system_api.h"

namespace pendrix {

// What keeps a typed name from naming a file the commands can act on.
enum class NameProblem {
    None,
    Blank,        // empty, or only blanks
    // Not a name Windows can hold (ERROR_INVALID_NAME): < > | " or a
    // control character, a wildcard outside a pattern's last part or in a
    // stream's name, a ":" in a folder's name, an empty part, or "." or ".."
    // in a name Windows takes verbatim.
    InvalidName,
    NotAFile,     // a drive or its root, a share's root, a volume, a device (ERROR_BAD_PATHNAME)
    Unresolved,   // Windows could not make it a full name (status says why)
};

// Whether wildcards may stand in the name's last part.
enum class NameUse { File, Pattern };

struct ResolvedName {
    // The full name as shown and stored: "C:\dir\file" or
    // "\\server\share\file", with no separator at its end.
    std::string full;
    // What the file system is handed: the full name, or, for a name typed
    // in the verbatim form, that form ("\\?\C:\dir\file.").
    std::string path;
    // On a share or a network drive, which the start-up processing cannot
    // reach: it runs before the network is there.
    bool network = false;
};

struct NameResolution {
    NameProblem problem = NameProblem::None;
    std::uint32_t status = 0;  // the Windows code of the problem
    ResolvedName name;
};

// Resolves typed, taken without one pair of surrounding double quotes.
NameResolution ResolveName(std::string_view typed, FileSystemApi& files, NameUse use);

// The NT form the start-up processing takes: "\??\C:\dir\file".
std::string NtNameOf(const ResolvedName& name);

// Whether the last part of path (after its last "\" or "/") holds * or ?.
bool HasWildcards(std::string_view path);

// The folder part of path: everything up to and with its last "\" or "/";
// empty when it has none.
std::string_view FolderOf(std::string_view path);

// The last part of path, after its last "\" or "/".
std::string_view LastPartOf(std::string_view path);

// Empty, or nothing but blanks and tabs.
bool IsBlank(std::string_view text);

// typed without one pair of double quotes around it, as Explorer's "Copy as
// path" puts them: no name holds a double quote, so a quoted name could only
// be refused. A quote anywhere else stays, and is refused.
std::string_view WithoutSurroundingQuotes(std::string_view typed);

}  // namespace pendrix
