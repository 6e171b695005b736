// pendrix-cli: the console program beside Pendrix.exe for scripts and fleets.
// It lists, schedules and withdraws pending file operations through the
// same code as the window and ends with an exit code deployment tools read.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/command_table.h"
#include "cli/console_output.h"
#include "cli/console_text.h"
#include "cli/exit_codes.h"
#include "common/wide_text.h"
#include "platform/system_dlls_only.h"
#include "platform/win32_config_manager_client.h"
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
std::string ErrorText(pendrix::WinStatus status) {
    const std::string text = pendrix::cli::OneLine(pendrix::SystemErrorText(status));
    return text.empty() ? "Windows error" : text;
}

// The computer's local time now.
pendrix::LocalTime LocalNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

// The folder this program runs from, as Windows names it.
std::string ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= pendrix::kMaxNameUnits + 1) return std::string();
        path.resize(pendrix::kMaxNameUnits + 1);
    }
    return pendrix::TextOfWide(path.substr(0, path.find_last_of(L'\\')));
}

// Keeps a console window of the program's own open until a key is pressed,
// so that what it shows can be read (the Explorer menu starts the program in
// one). Without a console to read a key from, nobody could press one.
void WaitForKey(pendrix::cli::ConsoleOutput& output) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(input, &mode)) return;
    output.Out("\r\nPress any key to close this window.\r\n");
    FlushConsoleInputBuffer(input);
    INPUT_RECORD record{};
    DWORD read = 0;
    while (ReadConsoleInputW(input, &record, 1, &read) && read == 1) {
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return;
    }
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
    int code = kExitUnknownFailure;
    try {
        RegistryRoutines registry;
        // COM is loaded only when status asks the Configuration Manager client.
        pendrix::Win32ConfigManagerClient configManager;
        CliContext context{registry, SystemFileSystemApi(), SystemHolderFinder(), SystemListLock(), output,
                           ErrorText, &SystemClock(), ProgramFolder(), LocalNow, nullptr, {}, &configManager};
        code = RunCommand(parsed.arguments, context);
    } catch (const std::exception& error) {
        output.Error(std::string("pendrix-cli: failed: ") + error.what() + "\r\n");
    }
    if (parsed.arguments.Has("--pause")) WaitForKey(output);
    return code;
}
