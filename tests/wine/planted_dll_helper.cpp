// The Windows half of the planted-DLL test (planted_dll_test.sh):
//   load NAME...         loads each DLL by its bare name, as a program that
//                        does not restrict where DLLs come from would; exit
//                        code 0
//   browse PENDRIX.exe   starts Pendrix.exe, opens its replace page and the
//                        open dialog of "..." beside Source File (the common
//                        dialogs load then), cancels the dialog and closes
//                        the window; exit code 0 when each step was seen to
//                        work and the program ended, else the step's number
#include <windows.h>

#include <string>

#include "app/form1_layout.h"
#include "common/unique_handle.h"
#include "tests/wine/dialog_driver.h"

namespace {

constexpr DWORD kProgramEndMs = 30000;
constexpr int kUsage = 87;

using pendrix::wine::FindControl;
using pendrix::wine::WaitUntil;

struct WindowSearch {
    DWORD process = 0;
    HWND owner = nullptr;
    const wchar_t* className = nullptr;
    HWND found = nullptr;
};

// A visible top-level window of the class, of the process (or owned by the
// owner).
HWND FindTopLevel(WindowSearch search) {
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<WindowSearch*>(data);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            const bool ours = s.owner != nullptr ? GetWindow(window, GW_OWNER) == s.owner : process == s.process;
            if (!ours || !IsWindowVisible(window) || lstrcmpW(name, s.className) != 0) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int Load(int argc, wchar_t** argv) {
    for (int i = 2; i < argc; ++i) LoadLibraryW(argv[i]);
    return 0;
}

int Browse(const wchar_t* program) {
    std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return 1;
    const pendrix::UniqueKernelHandle thread(started.hThread);
    const pendrix::UniqueKernelHandle process(started.hProcess);

    HWND form = nullptr;
    if (!WaitUntil([&] { return (form = FindTopLevel({started.dwProcessId, nullptr, L"PendrixForm1"})) != nullptr; }))
        return 2;
    HWND browse = nullptr;
    // The pages' controls are made right after the window shows.
    if (!WaitUntil([&] { return (browse = FindControl(form, pendrix::kCommand2)) != nullptr; })) return 3;
    PostMessageW(FindControl(form, pendrix::kCommand8), BM_CLICK, 0, 0);
    if (!WaitUntil([&] { return IsWindowVisible(FindControl(form, pendrix::kFrame1)) != FALSE; })) return 4;
    PostMessageW(browse, BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = FindTopLevel({0, form, L"#32770"})) != nullptr; })) return 5;
    pendrix::wine::Press(dialog, IDCANCEL);
    if (!WaitUntil([&] { return !IsWindow(dialog); })) return 6;
    PostMessageW(form, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.Get(), kProgramEndMs) != WAIT_OBJECT_0) return 7;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return kUsage;
    const std::wstring command = argv[1];
    if (command == L"load") return Load(argc, argv);
    if (command == L"browse" && argc == 3) return Browse(argv[2]);
    return kUsage;
}
