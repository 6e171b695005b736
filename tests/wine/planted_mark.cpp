// A DLL that leaves a mark when it is loaded: the file NAME.loaded beside
// itself (NAME being the name it was loaded under). The planted-DLL test
// copies it beside the programs under the names of Windows' own DLLs. It
// needs nothing but kernel32, so it loads whatever name it carries.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    constexpr DWORD kRoom = 32768;
    static wchar_t path[kRoom + 8];
    const DWORD length = GetModuleFileNameW(self, path, kRoom);
    if (length == 0 || length >= kRoom) return TRUE;
    lstrcpyW(path + length, L".loaded");
    const HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    return TRUE;
}
