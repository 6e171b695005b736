// The properties of the file commands' name handling: typed names resolved
// (through the stand-in file system, which resolves as GetFullPathNameW),
// refused or given their NT form, and patterns matched on long names.
#include <algorithm>
#include <string>
#include <string_view>

#include "common/utf16_text.h"
#include "common/name_folding.h"
#include "platform/extended_path.h"
#include "scheduler/file_names.h"
#include "scheduler/name_pattern.h"
#include "tests/fuzz/fuzz_properties.h"
#include "tests/native/fake_file_system.h"

namespace pendrix::fuzz {
namespace {

void Require(bool holds, const char* property) {
    if (!holds) throw PropertyViolation(property);
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Every part below the root is one a file's name can be.
void RequireValidParts(std::string_view rest, NameUse use) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = rest.find('\\', start);
        const bool last = end == std::string_view::npos;
        const std::string_view part = rest.substr(start, last ? std::string_view::npos : end - start);
        Require(!part.empty(), "no part of an accepted name is empty");
        for (const char c : part)
            Require(static_cast<unsigned char>(c) >= 0x20 && std::string_view("<>|\"/").find(c) == std::string_view::npos,
                    "no accepted name holds a character Windows refuses");
        const std::size_t stream = part.find(':');
        Require(stream == std::string_view::npos || (last && stream > 0), "a colon only before a file's stream");
        const std::size_t wildcard = part.find_first_of("*?");
        Require(wildcard == std::string_view::npos || (last && use == NameUse::Pattern && stream == std::string_view::npos),
                "wildcards only in a pattern's last part, never in a stream's name");
        if (last) return;
        start = end + 1;
    }
}

std::u16string Folded(std::string_view text) {
    std::u16string units = Utf16FromText(text);
    for (char16_t& unit : units) unit = UpcaseUnit(unit);
    return units;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void CheckResolution(std::string_view typed, NameUse use) {
    testing::FakeFileSystem files;
    files.currentFolder = "C:\\work\\here";
    files.remoteDrives.insert('n');
    const NameResolution resolution = ResolveName(typed, files, use);
    // Blank: nothing but spaces and tabs, inside one pair of surrounding
    // quotes or none, decided here apart from the program.
    std::string_view bare = typed;
    if (bare.size() >= 2 && bare.front() == '"' && bare.back() == '"') bare = bare.substr(1, bare.size() - 2);
    const bool blank = std::all_of(bare.begin(), bare.end(), [](char c) { return c == ' ' || c == '\t'; });
    Require((resolution.problem == NameProblem::Blank) == blank, "a name is refused as empty exactly when blank");
    if (!blank && typed.find('\0') != std::string_view::npos)
        Require(resolution.problem == NameProblem::InvalidName, "a name holding a NUL is refused, not cut short");
    if (typed.find('"') == std::string_view::npos) {
        const NameResolution quoted = ResolveName("\"" + std::string(typed) + "\"", files, use);
        Require(quoted.problem == resolution.problem && quoted.status == resolution.status &&
                    quoted.name.full == resolution.name.full && quoted.name.path == resolution.name.path,
                "one pair of quotes around a name changes nothing");
    }
    if (resolution.problem != NameProblem::None) {
        Require(resolution.status != 0, "a refusal carries a Windows code");
        return;
    }
    const ResolvedName& name = resolution.name;
    const std::string& full = name.full;
    Require(full.empty() || full.back() != '\\', "an accepted name does not end with a separator");
    if (full.size() >= 3 && IsLetter(full[0]) && full[1] == ':' && full[2] == '\\') {
        Require(full.size() > 3, "a drive's root is never accepted");
        RequireValidParts(std::string_view(full).substr(3), use);
        Require(name.network == (full[0] == 'n' || full[0] == 'N'), "a network drive is known as one");
        const std::string nt = NtNameOf(name);
        Require(nt == "\\??\\" + full, "the NT name is the full name in the object namespace");
        Require(name.path == full || name.path == "\\\\?\\" + full, "the file system gets the name or its verbatim form");
        if (name.path == full) {
            // Resolving a full name again changes nothing.
            const NameResolution again = ResolveName(full, files, use);
            Require(again.problem == NameProblem::None && again.name.full == full, "a full name resolves to itself");
        }
    } else {
        Require(full.size() > 2 && full[0] == '\\' && full[1] == '\\' && name.network,
                "any other accepted name is on a share");
    }
    const std::string extended = ExtendedPath(name.path);
    Require(ExtendedPath(extended) == extended, "the long form stays as it is");
    if (Utf16FromText(name.path).size() >= 248)
        Require(extended.rfind("\\\\?\\", 0) == 0, "a long name goes to Win32 calls in the verbatim form");
}

void CheckMatching(std::string_view pattern, std::string_view name) {
    const bool matched = MatchesPattern(pattern, name);
    Require(MatchesPattern("*", name) && MatchesPattern("*.*", name), "* and *.* match every name");
    Require(MatchesPattern(pattern, AsciiUpper(std::string(name))) == matched, "case does not matter");
    const bool trailing = !pattern.empty() && (pattern.back() == '.' || pattern.back() == ' ');
    if (pattern.find_first_of("*?") == std::string_view::npos && !trailing)
        Require(matched == (Folded(pattern) == Folded(name)), "a pattern without wildcards matches its own name only");
    if (matched && !trailing) Require(MatchesPattern(std::string(pattern) + "*", name), "a * more matches no fewer");
    const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return c > 0 && c < 0x7F; });
    if (ascii && !name.empty() && name.back() != '.' && name.back() != ' ') {
        std::string questions(name);
        for (char& c : questions)
            if (c != '.') c = '?';
        Require(MatchesPattern(questions, name), "a ? for each character matches the name");
    }
}

}  // namespace

void CheckFileNames(std::string_view input) {
    if (input.empty()) return;
    // The first byte chooses: a name to resolve (as a file or a pattern),
    // or a pattern and a name split at the first NUL.
    const std::string_view rest = input.substr(1);
    switch (static_cast<unsigned char>(input[0]) % 3) {
    case 0: CheckResolution(rest, NameUse::File); break;
    case 1: CheckResolution(rest, NameUse::Pattern); break;
    default: {
        const std::size_t split = rest.find('\0');
        if (split == std::string_view::npos) return;
        const std::string_view name = rest.substr(split + 1);
        if (name.find('\0') != std::string_view::npos) return;
        CheckMatching(rest.substr(0, split), name);
    }
    }
}

}  // namespace pendrix::fuzz
