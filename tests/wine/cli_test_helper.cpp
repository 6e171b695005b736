// The Windows half of the console tool's tests, driven by a script on the
// Linux side, which cannot see a whole exit code (Wine hands on its low
// byte) nor call the W registry functions itself:
//   set [TYPE]          stores standard input as the PendingFileRenameOperations
//                       value (of type TYPE, a number; REG_MULTI_SZ without),
//                       byte for byte, with RegSetValueExW
//   get CODEFILE        writes the value's bytes, read with RegQueryValueExW, to
//                       standard output, and to CODEFILE 0, or 2 when there is
//                       no value, 1804 when it is not REG_MULTI_SZ, or the
//                       status of the read that failed (also its exit code)
//   clear               deletes the value
//   set2, get2, clear2  the same on PendingFileRenameOperations2
//   run CODEFILE [--hold PATH | --exclusive PATH | --load PATH]... [--refused]
//       PROGRAM [ARGUMENTS...]
//                       runs PROGRAM with the arguments on this program's own
//                       standard handles and writes its whole exit code to
//                       CODEFILE, and on a second line the process ids of the
//                       holders; meanwhile each PATH is kept in use by a
//                       process of its own (--exclusive: unreadable to others;
//                       --load: loaded as a DLL), and with --refused every
//                       write to the Session Manager key is refused
//   short PATH          writes the short (8.3) form of PATH to standard output
//   version DLL         loads DLL and exits with what its LibraryVersion answers
//   console OUTFILE PROGRAM [ARGUMENTS...]
//                       runs PROGRAM in a console of its own and writes its
//                       exit code, a line break and the text the console
//                       shows (UTF-8, one line per row) to OUTFILE
//   readonly PATH       makes PATH read-only
//   attributes PATH     writes PATH's attributes (GetFileAttributesW) in
//                       decimal to standard output
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/unique_handle.h"
#include "tests/wine/held_file.h"
#include "tests/wine/writes_refused.h"

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kValue1Name[] = L"PendingFileRenameOperations";
constexpr wchar_t kValue2Name[] = L"PendingFileRenameOperations2";
// The value set, get and clear work on.
const wchar_t* valueName = kValue1Name;
constexpr int kUsage = 87;

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

UniqueKey OpenSessionManager(REGSAM access, LONG& status) {
    HKEY key = nullptr;
    status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, nullptr, 0, access, nullptr, &key, nullptr);
    return UniqueKey(status == ERROR_SUCCESS ? key : nullptr);
}

int Set(DWORD type) {
    std::vector<char> data;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        data.insert(data.end(), buffer, buffer + read);
    LONG status = 0;
    const UniqueKey key = OpenSessionManager(KEY_SET_VALUE, status);
    if (!key) return static_cast<int>(status);
    const DWORD size = static_cast<DWORD>(data.size());
    // A unit that is not NUL after the data: Wine then counts no unit more.
    data.push_back('\xFF');
    data.push_back('\xFF');
    return static_cast<int>(RegSetValueExW(key.get(), valueName, 0, type,
                                           reinterpret_cast<const BYTE*>(data.data()), size));
}

int Get() {
    LONG status = 0;
    const UniqueKey key = OpenSessionManager(KEY_QUERY_VALUE, status);
    if (!key) return static_cast<int>(status);
    DWORD size = 0;
    DWORD type = 0;
    status = RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return static_cast<int>(status);
    std::vector<BYTE> data(size + 2);
    status = RegQueryValueExW(key.get(), valueName, nullptr, &type, data.data(), &size);
    if (status != ERROR_SUCCESS) return static_cast<int>(status);
    DWORD written = 0;
    if (size > 0) WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), data.data(), size, &written, nullptr);
    return type == REG_MULTI_SZ ? 0 : static_cast<int>(ERROR_INVALID_DATATYPE);
}

int Clear() {
    LONG status = 0;
    const UniqueKey key = OpenSessionManager(KEY_SET_VALUE, status);
    if (!key) return static_cast<int>(status);
    status = RegDeleteValueW(key.get(), valueName);
    return status == ERROR_FILE_NOT_FOUND ? 0 : static_cast<int>(status);
}

// One argument quoted so that the C runtime's wmain reads it back whole.
std::wstring Quote(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring CommandLineOf(int argc, wchar_t** argv, int first) {
    std::wstring commandLine;
    for (int i = first; i < argc; ++i) commandLine += (i > first ? L" " : L"") + Quote(argv[i]);
    return commandLine;
}

bool WriteWhole(const std::wstring& path, const std::string& text) {
    const pendrix::UniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Utf8(const std::wstring& text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr,
                        nullptr);
    return bytes;
}

constexpr DWORD kRunLimitMs = 300000;
constexpr UINT kRanTooLong = 1460;  // ERROR_TIMEOUT

// Runs program with the arguments from argv[first] on and waits for it: its
// exit code, or nothing when it could not start. With ownHandles, it gets
// this program's standard handles; otherwise this program's console.
std::optional<DWORD> RunToEnd(int argc, wchar_t** argv, int first, bool ownHandles) {
    std::wstring commandLine = CommandLineOf(argc, argv, first);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (ownHandles) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[first], commandLine.data(), nullptr, nullptr, ownHandles, 0, nullptr, nullptr,
                        &startup, &process))
        return std::nullopt;
    const pendrix::UniqueKernelHandle thread(process.hThread);
    const pendrix::UniqueKernelHandle child(process.hProcess);
    if (WaitForSingleObject(child.Get(), kRunLimitMs) != WAIT_OBJECT_0) {
        TerminateProcess(child.Get(), kRanTooLong);  // a hung tool fails the test, with this code
        WaitForSingleObject(child.Get(), kRunLimitMs);
    }
    DWORD code = 0;
    GetExitCodeProcess(child.Get(), &code);
    return code;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 4) return kUsage;
    const std::wstring codeFile = argv[2];
    int next = 3;
    std::vector<std::unique_ptr<pendrix::wine::HeldFile>> held;
    std::string holders;
    for (;;) {
        const std::wstring option = argv[next];
        using pendrix::wine::HeldAs;
        if ((option != L"--hold" && option != L"--exclusive" && option != L"--load") || argc <= next + 2) break;
        const HeldAs how = option == L"--load"        ? HeldAs::Loaded
                           : option == L"--exclusive" ? HeldAs::Exclusive
                                                      : HeldAs::Open;
        held.push_back(std::make_unique<pendrix::wine::HeldFile>(argv[next + 1], how));
        if (!held.back()->Holding()) return 3;
        if (!holders.empty()) holders += ' ';
        holders += std::to_string(held.back()->ProcessId());
        next += 2;
    }
    LONG status = 0;
    UniqueKey key;
    std::unique_ptr<pendrix::wine::WritesRefused> refused;
    if (std::wstring(argv[next]) == L"--refused" && argc > next + 1) {
        key = OpenSessionManager(READ_CONTROL | WRITE_DAC, status);
        if (!key) return 7;
        refused = std::make_unique<pendrix::wine::WritesRefused>(key.get());
        if (!refused->Active()) return 7;
        ++next;
    }
    const std::optional<DWORD> code = RunToEnd(argc, argv, next, true);
    if (!code) return 4;
    return WriteWhole(codeFile, std::to_string(*code) + "\n" + holders + "\n") ? 0 : 6;
}

int Version(const wchar_t* path) {
    const HMODULE library = LoadLibraryW(path);
    if (library == nullptr) return -1;
    using VersionFunction = int (*)();
    const auto version = reinterpret_cast<VersionFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "LibraryVersion")));
    return version != nullptr ? version() : -2;
}

int Short(const wchar_t* path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetShortPathNameW(path, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return static_cast<int>(GetLastError());
    const std::string text = Utf8(std::wstring(buffer, length));
    DWORD written = 0;
    return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
               ? 0
               : 6;
}

int InConsole(int argc, wchar_t** argv) {
    if (argc < 4) return kUsage;
    FreeConsole();
    if (!AllocConsole()) return 3;
    const pendrix::UniqueKernelHandle screen(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                   nullptr));
    // Rows wide enough that no line of the listing wraps.
    constexpr COORD kScreenSize{400, 200};
    if (!screen || !SetConsoleScreenBufferSize(screen.Get(), kScreenSize)) return 5;
    const std::optional<DWORD> code = RunToEnd(argc, argv, 3, false);
    if (!code) return 4;

    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen.Get(), &info)) return 5;
    std::string shown = std::to_string(*code) + "\n";
    for (SHORT row = 0; row < info.dwCursorPosition.Y; ++row) {
        std::wstring line(static_cast<std::size_t>(info.dwSize.X), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(screen.Get(), line.data(), static_cast<DWORD>(line.size()), COORD{0, row},
                                    &read);
        line.resize(read);
        while (!line.empty() && line.back() == L' ') line.pop_back();
        shown += Utf8(line) + "\n";
    }
    return WriteWhole(argv[2], shown) ? 0 : 6;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return kUsage;
    std::wstring command = argv[1];
    if (command == L"set2" || command == L"get2" || command == L"clear2") {
        valueName = kValue2Name;
        command.pop_back();
    }
    if (command == L"set")
        return Set(argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : DWORD{REG_MULTI_SZ});
    if (command == L"get") {
        const int code = Get();
        if (argc != 3) return kUsage;
        return WriteWhole(argv[2], std::to_string(code)) ? code : 6;
    }
    if (command == L"clear") return Clear();
    if (command == L"run") return Run(argc, argv);
    if (command == L"console") return InConsole(argc, argv);
    if (command == L"readonly" && argc == 3) return SetFileAttributesW(argv[2], FILE_ATTRIBUTE_READONLY) ? 0 : 1;
    if (command == L"attributes" && argc == 3) {
        std::printf("%lu\n", GetFileAttributesW(argv[2]));
        return 0;
    }
    if (command == L"short" && argc == 3) return Short(argv[2]);
    if (command == L"version" && argc == 3) return Version(argv[2]);
    return kUsage;
}
