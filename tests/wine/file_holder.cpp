// Keeps a file in use for the Windows tests, as another program would:
// "file_holder PATH EVENT [exclusive|load]" opens PATH without
// FILE_SHARE_DELETE (and, with "exclusive", without FILE_SHARE_READ
// either), or with "load" loads it as a DLL, signals the named event and
// waits until it is ended: by the test, or, as a real program, by a restart
// that ends the session (it then lets the file go and exits).
#include <windows.h>

#include <cwchar>

#include "tests/wine/session_end.h"

namespace {

HANDLE g_file = INVALID_HANDLE_VALUE;

void LetGo() {
    if (g_file != INVALID_HANDLE_VALUE) CloseHandle(g_file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const wchar_t* how = argc > 3 ? argv[3] : L"";
    if (std::wcscmp(how, L"load") == 0) {
        if (LoadLibraryW(argv[1]) == nullptr) return 3;
    } else {
        const bool exclusive = std::wcscmp(how, L"exclusive") == 0;
        g_file = CreateFileW(argv[1], GENERIC_READ, exclusive ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (g_file == INVALID_HANDLE_VALUE) return 3;
    }
    if (!pendrix::wine::WatchForSessionEnd(LetGo)) return 5;
    // Opens the caller's event, or makes it when the caller is a script.
    const HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, argv[2]);
    if (ready == nullptr || !SetEvent(ready)) return 4;
    // Until the session ends (a restart) or the test ends this process; one a
    // test forgot ends by itself after ten minutes.
    pendrix::wine::RunUntilSessionEnds(10 * 60 * 1000);
    return 0;
}
