// Plays the user of Pendrix.exe from another process, through its window's
// controls: "window_driver PENDRIX.exe HOLDER.exe SOURCE DESTINATION FOLDER"
// has another program (HOLDER.exe, tests/wine/file_holder.cpp) keep
// DESTINATION open, starts Pendrix (both on this process's desktop, where
// the restart reaches their windows), opens the replace page, types the two
// names, presses Apply, reads and closes the message box, shows what was
// scheduled, presses Restart, answers its question with Yes and waits for
// the restart to end Pendrix. It writes what it does, line by line,
// to FOLDER\driver.log; before each step worth seeing it writes
// "SHOT name" and waits for the Linux side to take a screenshot and create
// FOLDER\name.done. A step that does not work writes "FAILED: ...".
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "common/wide_text.h"
#include "tests/wine/dialog_driver.h"
#include "tests/wine/pending_list_bytes.h"
#include "app/form1_layout.h"

namespace {

constexpr DWORD kTimeoutMs = 60000;
// How long the restart may take to end Pendrix: wineboot is started, and
// each program with a window is asked in turn, which a loaded machine slows.
constexpr DWORD kRestartTimeoutMs = 180000;
// How long a window may take to answer when the windows are listed.
constexpr UINT kAnswerTimeoutMs = 2000;
constexpr wchar_t kForm1Class[] = L"PendrixForm1";

std::wstring g_folder;
FILE* g_log = nullptr;
DWORD g_pendrixProcess = 0;

using pendrix::TextOfWide;
using pendrix::wine::FindControl;
using pendrix::wine::FindMessageBox;
using pendrix::wine::TextOf;

void Say(const std::string& line) {
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

int Fail(const char* what) {
    Say(std::string("FAILED: ") + what);
    return 1;
}

bool WaitFor(const std::function<bool()>& condition) { return pendrix::wine::WaitUntil(condition, kTimeoutMs); }

struct Screen {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFOHEADER header{};
    std::string pixels;  // 24-bit rows, bottom-up
};

// What the desktop shows now, as Wine draws it. (An X screenshot shows
// Wine's message boxes black.)
Screen CaptureScreen() {
    Screen shot;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);

    shot.header.biSize = sizeof(shot.header);
    shot.header.biWidth = shot.width;
    shot.header.biHeight = shot.height;
    shot.header.biPlanes = 1;
    shot.header.biBitCount = 24;
    shot.header.biCompression = BI_RGB;
    const DWORD rowBytes = (static_cast<DWORD>(shot.width) * 3 + 3) & ~3u;
    shot.pixels.assign(rowBytes * static_cast<DWORD>(shot.height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(shot.height), shot.pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&shot.header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}

// Has every window of Pendrix painted now: UpdateWindow sends WM_PAINT to
// another process's window and returns once it has been handled.
void PaintPendrixNow() {
    EnumWindows(
        [](HWND window, LPARAM) -> BOOL {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process == g_pendrixProcess && IsWindowVisible(window)) {
                RedrawWindow(window, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            }
            return TRUE;
        },
        0);
}

// Saves what the desktop shows to path as a 24-bit BMP, once Pendrix has
// painted and two captures in a row agree (what it drew has reached the
// screen).
bool SaveScreen(const std::wstring& path) {
    PaintPendrixNow();
    Screen shot = CaptureScreen();
    WaitFor([&] {
        Screen again = CaptureScreen();
        const bool settled = again.pixels == shot.pixels;
        shot = std::move(again);
        return settled;
    });
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(shot.header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(shot.pixels.size());
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out == nullptr) return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&shot.header, sizeof(shot.header), 1, out);
    std::fwrite(shot.pixels.data(), 1, shot.pixels.size(), out);
    return std::fclose(out) == 0;
}

// Saves the screen as FOLDER\name.bmp and waits until the Linux side has
// taken it.
void Shot(const char* name) {
    const std::wstring wideName(name, name + std::strlen(name));
    SaveScreen(g_folder + L"\\" + wideName + L".bmp");
    Say(std::string("SHOT ") + name);
    const std::wstring done = g_folder + L"\\" + wideName + L".done";
    WaitFor([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// Writes every top-level window of this desktop with its process and
// thread, and whether it answers, then every process, to tell what a restart
// that did not come waits for (a message box, Wine's dialog for a program
// that does not answer, a process that did not end).
void SayWindowsAndProcesses() {
    EnumWindows(
        [](HWND window, LPARAM) -> BOOL {
            DWORD process = 0;
            const DWORD thread = GetWindowThreadProcessId(window, &process);
            wchar_t className[64] = {};
            GetClassNameW(window, className, 64);
            DWORD_PTR answer = 0;
            const bool answers =
                SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) != 0;
            Say(std::string(IsWindowVisible(window) ? "Window" : "Hidden window") + " of process " +
                std::to_string(process) + " thread " + std::to_string(thread) + (answers ? "" : " (not answering)") +
                ", class " + TextOfWide(className) + ": " + TextOfWide(TextOf(window)));
            return TRUE;
        },
        0);
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        Say("Process " + std::to_string(entry.th32ProcessID) + ": " + TextOfWide(entry.szExeFile));
    CloseHandle(snapshot);
}

// Starts a program with commandLine; its process, or null.
HANDLE Start(const std::wstring& program, std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Has holder keep path open, and waits until it does.
bool Hold(const std::wstring& holder, const std::wstring& path) {
    const wchar_t kReady[] = L"Local\\PendrixDemoHolder";
    const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kReady);
    const HANDLE process = Start(holder, L"\"" + holder + L"\" \"" + path + L"\" " + kReady);
    const HANDLE waits[] = {ready, process};
    const bool holding = process != nullptr && WaitForMultipleObjects(2, waits, FALSE, kTimeoutMs) == WAIT_OBJECT_0;
    if (process != nullptr) CloseHandle(process);
    CloseHandle(ready);
    return holding;
}

// The stored list, with each NUL shown as " | ".
std::string StoredList() {
    const pendrix::wine::PendingListBytes read = pendrix::wine::ReadPendingListBytes();
    if (!read.keyOpened) return "(no key)";
    std::wstring data(read.bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(data.data(), read.bytes.data(), data.size() * sizeof(wchar_t));
    std::string shown;
    for (const char character : TextOfWide(data)) shown += character == '\0' ? std::string(" | ") : std::string(1, character);
    return shown;
}

int Replace(const std::wstring& pendrix, const std::wstring& holder, const std::wstring& source,
            const std::wstring& destination) {
    if (!Hold(holder, destination)) return Fail("no program came to hold the destination");
    Say("Another program keeps " + TextOfWide(destination) + " open, so it cannot be replaced now.");
    const HANDLE process = Start(pendrix, L"\"" + pendrix + L"\"");
    if (process == nullptr) return Fail("Pendrix.exe did not start");
    g_pendrixProcess = GetProcessId(process);
    HWND form = nullptr;
    if (!WaitFor([&] { return (form = pendrix::wine::FindProcessWindow(kForm1Class, g_pendrixProcess)) != nullptr; }))
        return Fail("Pendrix's window did not appear");
    Say("Pendrix is running; its start page shows.");
    Shot("1-start-page");

    Click(FindControl(form, pendrix::kCommand8));
    if (!WaitFor([&] { return IsWindowVisible(FindControl(form, pendrix::kText1)) != FALSE; }))
        return Fail("the replace page did not show");
    SetWindowTextW(FindControl(form, pendrix::kText1), source.c_str());
    SetWindowTextW(FindControl(form, pendrix::kText2), destination.c_str());
    Say("Replace page: Source File = " + TextOfWide(source) + ", Destination = " + TextOfWide(destination) +
        ", \"Attempt forced replace without reboot.\" ticked.");
    Shot("2-replace-page");

    Say("Pressing Apply.");
    Click(FindControl(form, pendrix::kCommand1));
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindMessageBox(form)) != nullptr; })) return Fail("no message came");
    const std::wstring message = TextOf(GetDlgItem(box, 0xFFFF));
    Say("Message box \"" + TextOfWide(TextOf(box)) + "\": " + TextOfWide(message));
    Shot("3-message");
    if (message != L"Please reboot for your changes to take effect.") return Fail("the replacement was not scheduled");
    Click(GetDlgItem(box, IDOK));
    if (!WaitFor([&] { return !IsWindow(box); })) return Fail("the message did not close");
    Say("Scheduled: PendingFileRenameOperations = " + StoredList());
    Shot("4-scheduled");

    Say("Pressing Restart.");
    Click(FindControl(form, pendrix::kCommand5));
    if (!WaitFor([&] { return (box = FindMessageBox(form)) != nullptr; })) return Fail("Restart asked nothing");
    Say("Message box \"" + TextOfWide(TextOf(box)) + "\": " + TextOfWide(TextOf(GetDlgItem(box, 0xFFFF))));
    Shot("5-restart-question");
    Say("Answering Yes.");
    Click(GetDlgItem(box, IDYES));
    // The restart asks every program with a window to close, Pendrix and
    // the holder included, then carries out the list.
    const bool ended = WaitForSingleObject(process, kRestartTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    if (!ended) {
        Say("This driver is process " + std::to_string(GetCurrentProcessId()) + ", Pendrix " +
            std::to_string(g_pendrixProcess) + ".");
        SayWindowsAndProcesses();
        return Fail("Pendrix still runs after the restart was asked for");
    }
    Say("The restart has ended Pendrix.");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) return 2;
    g_folder = argv[5];
    g_log = _wfopen((g_folder + L"\\driver.log").c_str(), L"w");
    if (g_log == nullptr) return 3;
    return Replace(argv[1], argv[2], argv[3], argv[4]);
}
