#include "shell/shell_menu.h"

#include <algorithm>

#include "platform/access_rules.h"
#include "registry/registry_constants.h"
#include "registry/registry_key.h"
#include "registry/value_query.h"

namespace pendrix {
namespace {

constexpr const char* kShellKey = "shell";
constexpr const char* kCommandKey = "command";
constexpr const char* kIconValue = "Icon";
// Present (empty) on a verb whose program asks for an administrator.
constexpr const char* kShieldValue = "HasLUAShield";

constexpr ShellVerb kVerbs[] = {
    {"*", "PendrixReplace", "Replace with Pendrix...", ShellProgram::Window, "/replace \"%1\"", true},
    {"*", "PendrixDelete", "Delete with Pendrix...", ShellProgram::Window, "/delete \"%1\"", true},
    // The console window stays open until a key is pressed, so that the
    // list can be read.
    {"*", "PendrixHolders", "Which programs use this?", ShellProgram::Console, "holders \"%1\" --pause", false},
    {"Directory", "PendrixHolders", "Which programs use this?", ShellProgram::Console, "holders \"%1\" --pause",
     false},
};

std::string VerbKey(const ShellVerb& verb) {
    return std::string(verb.fileClass) + "\\" + kShellKey + "\\" + verb.keyName;
}

std::string CommandKey(const ShellVerb& verb) { return VerbKey(verb) + "\\" + kCommandKey; }

std::string UnderClasses(const std::string& path) { return std::string(kClassesKey) + "\\" + path; }

// Whether the key is there and holds no key and no value.
bool HoldsNothing(RegistryApi& registry, RegHandle root, const std::string& path) {
    RegistryKey key(registry);
    if (key.Open(root, path, kKeyRead) != kErrorSuccess) return false;
    char name[2];
    std::uint32_t room = sizeof name;
    std::uint32_t classRoom = 0;
    if (registry.EnumKey(key.Get(), 0, name, room, nullptr, classRoom) != kErrorNoMoreItems) return false;
    room = sizeof name;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    return registry.EnumValue(key.Get(), 0, name, room, type, nullptr, size) == kErrorNoMoreItems;
}

const char* ProgramName(ShellProgram program) {
    return program == ShellProgram::Window ? kWindowProgramName : kConsoleProgramName;
}

std::int32_t WriteKey(RegistryApi& registry, RegHandle root, const ShellKey& key) {
    RegistryKey created(registry);
    const std::int32_t status = created.Create(root, UnderClasses(key.path), kKeyWrite, SecurityAttributes{});
    if (status != kErrorSuccess) return status;
    for (const ShellValue& value : key.values) {
        // REG_SZ as the A functions write it: the text and its NUL.
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.data.c_str());
        const std::int32_t written = registry.SetValue(created.Get(), value.name, kRegSz, bytes,
                                                       static_cast<std::uint32_t>(value.data.size() + 1));
        if (written != kErrorSuccess) return written;
    }
    return kErrorSuccess;
}

// The text of the key's string value name, without closing NULs; empty when
// absent or of another type.
std::string StringValue(RegistryApi& registry, RegHandle key, const std::string& name) {
    const ValueQuery query = QueryRegistryValue(registry, key, name);
    if (query.status != kErrorSuccess || !IsStringType(query.type)) return std::string();
    const ByteView data = query.Data();
    std::string text(data.begin(), data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// The groups every signed-in user's token holds, each named.
struct OrdinaryGroup {
    std::string_view sid;
    const char* name;
};
constexpr OrdinaryGroup kOrdinaryGroups[] = {
    {kSidEveryone, "Everyone"},
    {kSidUsers, "Users"},
    {kSidAuthenticatedUsers, "Authenticated Users"},
    {kSidInteractive, "Interactive"},
};

// The rights that change a program, the folder holding it, and a folder above.
constexpr std::uint32_t kChangesFile = kFileAddFile | kFileAddSubdirectory | kRightDelete | kRightWriteDac |
                                       kRightWriteOwner;
constexpr std::uint32_t kChangesAbove = kFileDeleteChild | kRightDelete | kRightWriteDac | kRightWriteOwner;
constexpr std::uint32_t kChangesFolder = kChangesAbove | kFileAddFile | kFileAddSubdirectory;

// Who of the ordinary users the rules of path let change it; empty: none.
std::string WhoMayChange(FileSystemApi& files, const std::string& path, std::uint32_t changing, WinStatus& status) {
    AccessRules rules;
    status = files.Rules(path, rules);
    if (status != kErrorSuccess) return std::string();
    for (const OrdinaryGroup& group : kOrdinaryGroups)
        if (GrantedRights(rules, {group.sid}) & changing) return group.name;
    const bool together = GrantedRights(rules, {kSidEveryone, kSidUsers, kSidAuthenticatedUsers, kSidInteractive}) &
                          changing;
    return together ? "ordinary users" : std::string();
}

// The folder above ("C:\a" above "C:\a\b", "C:\" above "C:\a"); empty
// above a root: a drive's ("C:\") or a share's ("\\server\share").
std::string FolderAbove(const std::string& folder) {
    if (folder.empty() || folder.back() == '\\') return std::string();
    const std::size_t last = folder.find_last_of('\\');
    if (last == std::string::npos || last < 2) return std::string();
    if (folder[last - 1] == ':') return folder.substr(0, last + 1);
    std::string above = folder.substr(0, last);
    if (above.rfind("\\\\", 0) == 0 && std::count(above.begin(), above.end(), '\\') < 3) return std::string();
    return above;
}

// The key is gone, whether it was there or not.
bool Gone(std::int32_t status) { return status == kErrorSuccess || status == kErrorFileNotFound; }

}  // namespace

std::span<const ShellVerb> ShellVerbs() { return kVerbs; }

ChangeableByUsers FindChangeableByUsers(FileSystemApi& files, const std::string& programFolder) {
    ChangeableByUsers found;
    const auto check = [&](const std::string& path, std::uint32_t changing) {
        found.who = WhoMayChange(files, path, changing, found.status);
        if (found.status != kErrorSuccess || !found.who.empty()) found.path = path;
        return !found.path.empty();
    };
    for (const char* name : {kWindowProgramName, kConsoleProgramName})
        if (check(ProgramPath(programFolder, name), kChangesFile)) return found;
    std::string folder = programFolder;
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    for (std::uint32_t changing = kChangesFolder; !folder.empty(); changing = kChangesAbove) {
        if (check(folder, changing)) return found;
        folder = FolderAbove(folder);
    }
    return found;
}

std::string ProgramPath(const std::string& programFolder, const char* name) {
    std::string path = programFolder;
    if (path.empty() || path.back() != '\\') path += '\\';
    path += name;
    return path;
}

std::vector<ShellKey> ShellMenuKeys(const std::string& programFolder) {
    const std::string icon = ProgramPath(programFolder, kWindowProgramName) + ",0";
    std::vector<ShellKey> keys;
    for (const ShellVerb& verb : kVerbs) {
        ShellKey verbKey{VerbKey(verb), {{"", verb.caption}, {kIconValue, icon}, {kMultiSelectValue, kMultiSelectSingle}}};
        if (verb.elevates) verbKey.values.push_back({kShieldValue, ""});
        keys.push_back(std::move(verbKey));
        std::string command = "\"";
        command.append(ProgramPath(programFolder, ProgramName(verb.program))).append("\" ").append(verb.arguments);
        keys.push_back({CommandKey(verb), {{"", command}}});
    }
    return keys;
}

std::string ProgramOfCommand(const std::string& command) {
    if (!command.empty() && command.front() == '"') {
        const std::size_t end = command.find('"', 1);
        return command.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    return command.substr(0, command.find_first_of(" \t"));
}

std::string ClassesKeyName(ShellScope scope) {
    return std::string(scope == ShellScope::CurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\") +
           kClassesKey;
}

bool ShellMenuStatus::AnyInstalled() const {
    for (const InstalledVerb& verb : verbs)
        if (verb.installed) return true;
    return false;
}

ShellMenu::ShellMenu(RegistryApi& registry, ShellScope scope)
    : registry_(registry), root_(scope == ShellScope::CurrentUser ? kHkeyCurrentUser : kHkeyLocalMachine) {}

std::int32_t ShellMenu::Install(const std::string& programFolder, std::string& failedKey) {
    for (const ShellKey& key : ShellMenuKeys(programFolder)) {
        const std::int32_t status = WriteKey(registry_, root_, key);
        if (status != kErrorSuccess) {
            failedKey = UnderClasses(key.path);
            return status;
        }
    }
    return kErrorSuccess;
}

std::int32_t ShellMenu::Uninstall(int& removed, std::string& failedKey) {
    removed = 0;
    for (const ShellVerb& verb : kVerbs) {
        // A key is deleted once it holds no key: the command key first.
        for (const std::string& path : {CommandKey(verb), VerbKey(verb)}) {
            const std::int32_t status = registry_.DeleteKey(root_, UnderClasses(path));
            if (!Gone(status)) {
                failedKey = UnderClasses(path);
                return status;
            }
            if (status == kErrorSuccess && path == VerbKey(verb)) ++removed;
        }
    }
    // The keys above the verbs ("Directory\shell", "Directory") go too once
    // they hold nothing at all, no key and no value, as before install made
    // them; one another program uses stays.
    for (const ShellVerb& verb : kVerbs)
        for (const std::string& path : {std::string(verb.fileClass) + "\\" + kShellKey, std::string(verb.fileClass)})
            if (HoldsNothing(registry_, root_, UnderClasses(path))) registry_.DeleteKey(root_, UnderClasses(path));
    return kErrorSuccess;
}

ShellMenuStatus ShellMenu::Status(FileSystemApi& files) {
    ShellMenuStatus result;
    for (const ShellVerb& verb : kVerbs) {
        InstalledVerb found;
        found.verb = &verb;
        RegistryKey key(registry_);
        const std::int32_t opened = key.Open(root_, UnderClasses(VerbKey(verb)), kKeyRead);
        if (opened != kErrorSuccess) {
            if (opened != kErrorFileNotFound && result.status == kErrorSuccess) result.status = opened;
            result.verbs.push_back(found);
            continue;
        }
        found.installed = true;
        found.singleSelection = StringValue(registry_, key.Get(), kMultiSelectValue) == kMultiSelectSingle;
        RegistryKey command(registry_);
        if (command.Open(root_, UnderClasses(CommandKey(verb)), kKeyRead) == kErrorSuccess)
            found.command = StringValue(registry_, command.Get(), "");
        found.program = ProgramOfCommand(found.command);
        std::uint32_t attributes = 0;
        found.programExists = !found.program.empty() &&
                              files.Attributes(found.program, attributes) == kErrorSuccess &&
                              (attributes & kAttributeDirectory) == 0;
        result.verbs.push_back(found);
    }
    return result;
}

}  // namespace pendrix
