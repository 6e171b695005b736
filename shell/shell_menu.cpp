#include "shell/shell_menu.h"

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

// The key is gone, whether it was there or not.
bool Gone(std::int32_t status) { return status == kErrorSuccess || status == kErrorFileNotFound; }

}  // namespace

std::span<const ShellVerb> ShellVerbs() { return kVerbs; }

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
        ShellKey verbKey{VerbKey(verb), {{"", verb.caption}, {kIconValue, icon}}};
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
        RegistryKey command(registry_);
        if (command.Open(root_, UnderClasses(CommandKey(verb)), kKeyRead) == kErrorSuccess) {
            const ValueQuery query = QueryRegistryValue(registry_, command.Get(), "");
            if (query.status == kErrorSuccess && IsStringType(query.type)) {
                const ByteView data = query.Data();
                found.command.assign(data.begin(), data.end());
                while (!found.command.empty() && found.command.back() == '\0') found.command.pop_back();
            }
        }
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
