// Pendrix on Explorer's menu: the verbs it adds, as a table of registry keys
// and values, and their installation, removal and state under one classes
// key (HKEY_CURRENT_USER\Software\Classes for one user, or
// HKEY_LOCAL_MACHINE\Software\Classes for every user), through the registry
// seam.
//
// A verb is a key <class>\shell\<verb> whose default value is the menu's
// text, with a subkey "command" whose default value is the command line
// Explorer runs, %1 standing for the chosen file or folder. Removal takes
// away exactly these keys, never <class>\shell or anything above it, which
// other programs share.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system_api.h"
#include "registry/registry_api.h"

namespace pendrix {

enum class ShellScope { CurrentUser, AllUsers };

enum class ShellProgram { Window, Console };  // Pendrix.exe, pendrix-cli.exe

inline constexpr const char* kWindowProgramName = "Pendrix.exe";
inline constexpr const char* kConsoleProgramName = "pendrix-cli.exe";
inline constexpr const char* kClassesKey = "Software\\Classes";

struct ShellVerb {
    const char* fileClass;  // "*": every file; "Directory": every folder
    const char* keyName;    // the verb's key below <class>\shell
    const char* caption;    // what the menu shows
    ShellProgram program;
    const char* arguments;  // after the program's quoted full path
    bool elevates;          // the program asks for an administrator: the menu shows the shield
};

// Every verb, in the order they are written.
std::span<const ShellVerb> ShellVerbs();

// Each verb's key holds MultiSelectModel "Single": Explorer shows it for one
// selected item only, never starting the program once per file.
inline constexpr const char* kMultiSelectValue = "MultiSelectModel";
inline constexpr const char* kMultiSelectSingle = "Single";

struct ShellValue {
    std::string name;  // empty: the key's default value
    std::string data;  // REG_SZ
};

struct ShellKey {
    std::string path;  // below the classes key
    std::vector<ShellValue> values;
};

// The keys install writes for programs in programFolder (a full path), each
// verb's key before its command key.
std::vector<ShellKey> ShellMenuKeys(const std::string& programFolder);

// programFolder\name.
std::string ProgramPath(const std::string& programFolder, const char* name);
// The program a command line starts: the quoted first part, or up to the
// first blank.
std::string ProgramOfCommand(const std::string& command);
// "HKEY_CURRENT_USER\Software\Classes" or "HKEY_LOCAL_MACHINE\Software\Classes".
std::string ClassesKeyName(ShellScope scope);

// A verb as found in the registry.
struct InstalledVerb {
    const ShellVerb* verb = nullptr;
    bool installed = false;      // its key is there
    std::string command;         // its command line; empty when none
    std::string program;         // the program the command starts
    bool programExists = false;  // that program is a file now
    bool singleSelection = false;  // MultiSelectModel is "Single"; otherwise out of date
};

struct ShellMenuStatus {
    std::int32_t status = 0;  // a read that failed for another reason than absence
    std::vector<InstalledVerb> verbs;
    bool AnyInstalled() const;
};

// A program the menu would start, or a folder on its way up to the root,
// whose rules let ordinary users change it: who (Everyone, Users,
// Authenticated Users or Interactive) could then put their own program in
// place of Pendrix's, which administrators start elevated.
struct ChangeableByUsers {
    WinStatus status = 0;  // the rules of path could not be read
    std::string path;      // empty: none
    std::string who;
};

// For programs in programFolder: the programs themselves (writing,
// deleting, re-permissioning), the folder (adding and taking away files too)
// and every folder above it (renaming what is in it, or re-permissioning).
ChangeableByUsers FindChangeableByUsers(FileSystemApi& files, const std::string& programFolder);

class ShellMenu {
public:
    ShellMenu(RegistryApi& registry, ShellScope scope);

    // Writes every verb for programs in programFolder; writing it again
    // changes nothing. A Windows status; failedKey names the key that could
    // not be written.
    std::int32_t Install(const std::string& programFolder, std::string& failedKey);
    // Removes every verb's key and its command key, and nothing else; a verb
    // that is not there is passed over. removed counts the verbs removed.
    std::int32_t Uninstall(int& removed, std::string& failedKey);
    // What is there, and whether the programs it starts exist.
    ShellMenuStatus Status(FileSystemApi& files);

private:
    RegistryApi& registry_;
    RegHandle root_;
};

}  // namespace pendrix
