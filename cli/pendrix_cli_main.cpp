// pendrix-cli: the console program beside Pendrix.exe for scripts and fleets.
// It lists, schedules and withdraws pending file operations through the
// same code as the window and ends with an exit code deployment tools read.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "scheduler/pending_prune.h"
#include "cli/console_output.h"
#include "cli/console_text.h"
#include "cli/exit_codes.h"
#include "common/wide_text.h"
#include "platform/system_dlls_only.h"
#include "platform/system_error_text.h"

// The C runtime's entry point, which runs wmain: MSVC names its wide one
// apart, mingw-w64's is wide under -municode.
#if defined(_MSC_VER)
extern "C" int wmainCRTStartup();
static int StartCRuntime() { return wmainCRTStartup(); }
#else
extern "C" int mainCRTStartup();
static int StartCRuntime() { return mainCRTStartup(); }
#endif

// The program's entry point (the linker's, cli/CMakeLists.txt): from its
// first instruction no DLL is looked for beside the program; then the C
// runtime starts.
extern "C" int PendrixEntry() {
    pendrix::LoadDllsFromSystemFolderOnly();
    return StartCRuntime();
}

namespace {

// The system's words for a Windows error code, on one line of a message.
std::string ErrorText(std::int32_t status) {
    const std::string text = pendrix::cli::OneLine(pendrix::SystemErrorText(status));
    return text.empty() ? "Windows error" : text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    using namespace pendrix;
    using namespace pendrix::cli;

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(TextOfWide(argv[i]));

    ConsoleOutput output;
    const ParsedArguments parsed = ParseArguments(arguments);
    if (!parsed.ok) {
        output.Error("pendrix-cli: " + parsed.error + "\r\n");
        return kExitBadUsage;
    }
    CliArguments command = parsed.arguments;
    if (command.command == CliCommand::Prune && !command.backupPath) {
        // pendrix-backup-YYYYMMDD-HHMMSS.reg in the current folder, in local time.
        SYSTEMTIME now{};
        GetLocalTime(&now);
        command.backupPath = DefaultBackupName({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
    }
    try {
        RegistryRoutines registry;
        CliContext context{registry, SystemFileSystemApi(), SystemHolderFinder(), SystemListLock(), output, ErrorText};
        return RunCommand(command, context);
    } catch (const std::exception& error) {
        output.Error(std::string("pendrix-cli: failed: ") + error.what() + "\r\n");
        return kExitUnknownFailure;
    }
}
