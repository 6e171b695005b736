#include "cli/shell_command.h"

#include "cli/exit_codes.h"
#include "shell/shell_menu.h"

namespace pendrix::cli {
namespace {

std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
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
    std::string failedKey;
    ShellMenu menu(context.registry.Api(), scope);
    const std::int32_t status = menu.Install(context.programFolder, failedKey);
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
    const std::int32_t status = menu.Uninstall(removed, failedKey);
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

int RunStatus(CliContext& context) {
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

int RunShell(const CliArguments& arguments, CliContext& context) {
    const ShellScope scope = arguments.allUsers ? ShellScope::AllUsers : ShellScope::CurrentUser;
    switch (arguments.shellAction) {
    case ShellAction::Install: return RunInstall(scope, context);
    case ShellAction::Uninstall: return RunUninstall(scope, context);
    case ShellAction::Status: break;
    }
    return RunStatus(context);
}

}  // namespace pendrix::cli
