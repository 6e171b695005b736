#include "cli/commands.h"

#include "cli/command_table.h"
#include "cli/exit_codes.h"
#include "shell/shell_menu.h"

namespace pendrix::cli {
namespace {

// shell install, shell uninstall, shell status.
enum class ShellAction { Install, Uninstall, Status };

struct ShellActionName {
    const char* name;
    ShellAction action;
};

constexpr ShellActionName kShellActions[] = {
    {"install", ShellAction::Install},
    {"uninstall", ShellAction::Uninstall},
    {"status", ShellAction::Status},
};

// The action the operand names; null when it names none.
const ShellActionName* ActionOf(const CliArguments& arguments) {
    for (const ShellActionName& candidate : kShellActions)
        if (arguments.operands[0] == candidate.name) return &candidate;
    return nullptr;
}

// "for this user (HKEY_CURRENT_USER\Software\Classes)"
std::string ForWhom(ShellScope scope) {
    return std::string(scope == ShellScope::CurrentUser ? "for this user" : "for every user") + " (" +
           ClassesKeyName(scope) + ")";
}

const char* WhatItIsOn(const ShellVerb& verb) {
    return std::string_view(verb.fileClass) == "*" ? "every file" : "every folder";
}

int RunInstall(ShellScope scope, CliContext& context) {
    // Installed from where it runs: both programs must be there, or the menu
    // would start nothing.
    for (const char* name : {kWindowProgramName, kConsoleProgramName}) {
        const std::string program = ProgramPath(context.programFolder, name);
        std::uint32_t attributes = 0;
        if (context.files.Attributes(program, attributes) != kErrorSuccess ||
            (attributes & kAttributeDirectory) != 0)
            return Fail(context, Quoted(program) + " does not exist: the menu starts Pendrix.exe and pendrix-cli.exe "
                                 "from the folder pendrix-cli.exe runs from; nothing was installed",
                        kExitProgramMissing);
    }
    // Administrators start the menu's programs elevated: for every user they
    // must be out of ordinary users' reach, and for this user it is said.
    const ChangeableByUsers changeable = FindChangeableByUsers(context.files, context.programFolder);
    if (changeable.status != kErrorSuccess && scope == ShellScope::AllUsers)
        return FailWithStatus(context, "could not read who may change " + Quoted(changeable.path) +
                                           "; nothing was installed", changeable.status);
    if (!changeable.who.empty()) {
        const std::string danger = Quoted(changeable.path) + " may be changed by " + changeable.who +
                                   ", who could put their own program in place of the one the menu starts elevated";
        if (scope == ShellScope::AllUsers)
            return Fail(context, danger + "; Pendrix belongs in a folder under Program Files for every user's menu, "
                                          "and nothing was installed", kErrorAccessDenied);
        Warn(context, danger + "; a folder under Program Files keeps them out");
    }
    std::string failedKey;
    ShellMenu menu(context.registry.Api(), scope);
    const WinStatus status = menu.Install(context.programFolder, failedKey);
    if (status != kErrorSuccess)
        return FailWithStatus(context, "could not write " + failedKey + "; the menu may be there in part (shell "
                                       "uninstall takes it away)", status);
    context.output.Out("Added to Explorer's menu " + ForWhom(scope) +
                       ": \"Replace with Pendrix...\" and \"Delete with Pendrix...\" on every file, \"Which "
                       "programs use this?\" on every file and folder, starting " +
                       Quoted(ProgramPath(context.programFolder, kWindowProgramName)) + " and " +
                       Quoted(ProgramPath(context.programFolder, kConsoleProgramName)) +
                       ". Windows 11 shows them under \"Show more options\".\r\n");
    return kExitDone;
}

int RunUninstall(ShellScope scope, CliContext& context) {
    int removed = 0;
    std::string failedKey;
    ShellMenu menu(context.registry.Api(), scope);
    const WinStatus status = menu.Uninstall(removed, failedKey);
    if (status != kErrorSuccess)
        return FailWithStatus(context, "could not remove " + failedKey + (removed > 0 ? "; other entries were removed" : ""),
                              status);
    if (removed == 0)
        context.output.Out("Pendrix was not on Explorer's menu " + ForWhom(scope) + "; nothing was removed.\r\n");
    else
        context.output.Out("Removed Pendrix's " + std::to_string(removed) + " entries from Explorer's menu " +
                           ForWhom(scope) + ".\r\n");
    return kExitDone;
}

int ShowMenus(CliContext& context) {
    bool anyInstalled = false;
    bool anyMissing = false;
    std::string text;
    for (const ShellScope scope : {ShellScope::CurrentUser, ShellScope::AllUsers}) {
        ShellMenu menu(context.registry.Api(), scope);
        const ShellMenuStatus status = menu.Status(context.files);
        if (status.status != kErrorSuccess)
            return FailWithStatus(context, "could not read Explorer's menu " + ForWhom(scope), status.status);
        text += "Explorer's menu " + ForWhom(scope) + ":";
        if (!status.AnyInstalled()) {
            text += " not installed\r\n";
            continue;
        }
        anyInstalled = true;
        text += "\r\n";
        for (const InstalledVerb& found : status.verbs) {
            text += "  " + Quoted(found.verb->caption) + " on " + WhatItIsOn(*found.verb) + ": ";
            if (!found.installed) {
                text += "not installed\r\n";
                continue;
            }
            text += found.command.empty() ? std::string("no command") : found.command;
            if (!found.singleSelection)
                text += " (out of date: Explorer starts it once for each selected file; shell install again mends it)";
            if (!found.programExists) {
                anyMissing = true;
                text += found.program.empty() ? " (it starts no program)"
                                              : " (" + Quoted(found.program) + " does not exist)";
            }
            text += "\r\n";
        }
    }
    context.output.Out(text);
    if (!anyInstalled) return kExitNothingInstalled;
    return anyMissing ? kExitProgramMissing : kExitDone;
}

}  // namespace

std::string CheckShell(const CliArguments& arguments) {
    const ShellActionName* action = ActionOf(arguments);
    if (action == nullptr)
        return "unknown shell action \"" + arguments.operands[0] + "\"; usage: pendrix-cli " + arguments.command->syntax;
    // status shows this user's and every user's menu by itself.
    if (action->action == ShellAction::Status && arguments.Has("--all-users"))
        return "shell status shows this user's and every user's menu; it takes no --all-users";
    return std::string();
}

int RunShell(const CliArguments& arguments, CliContext& context) {
    // This user's menu unless --all-users.
    const ShellScope scope = arguments.Has("--all-users") ? ShellScope::AllUsers : ShellScope::CurrentUser;
    switch (ActionOf(arguments)->action) {  // CheckShell saw it is one
    case ShellAction::Install: return RunInstall(scope, context);
    case ShellAction::Uninstall: return RunUninstall(scope, context);
    case ShellAction::Status: break;
    }
    return ShowMenus(context);
}

}  // namespace pendrix::cli
