// The drop seam on Windows. shell32, and what it brings, would slow every
// start of Pendrix.exe: it is loaded on the first drop, from the system
// folder only.
#include "platform/drop_api.h"

#include <windows.h>

#include "common/wide_text.h"

namespace pendrix {
namespace {

constexpr UINT kDropFileCount = 0xFFFFFFFF;  // DragQueryFileW's index asking for the count

using DragQueryFileFunction = UINT(WINAPI*)(HANDLE, UINT, LPWSTR, UINT);
using DragFinishFunction = void(WINAPI*)(HANDLE);

struct Shell32 {
    DragQueryFileFunction dragQueryFile = nullptr;
    DragFinishFunction dragFinish = nullptr;
    DWORD status = ERROR_SUCCESS;
};

// Loaded once, on first use, and kept for the process's life.
const Shell32& LoadShell32() {
    static const Shell32 loaded = [] {
        Shell32 shell;
        const HMODULE module = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr) {
            shell.status = GetLastError();
            return shell;
        }
        shell.dragQueryFile =
            reinterpret_cast<DragQueryFileFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DragQueryFileW")));
        shell.dragFinish =
            reinterpret_cast<DragFinishFunction>(reinterpret_cast<void*>(GetProcAddress(module, "DragFinish")));
        if (shell.dragQueryFile == nullptr || shell.dragFinish == nullptr) shell.status = ERROR_PROC_NOT_FOUND;
        return shell;
    }();
    return loaded;
}

class Win32DropApi final : public DropApi {
public:
    std::uint32_t AllowMessage(std::intptr_t window, std::uint32_t message) override {
        if (!ChangeWindowMessageFilterEx(reinterpret_cast<HWND>(window), message, MSGFLT_ALLOW, nullptr))
            return GetLastError();
        return ERROR_SUCCESS;
    }

    std::uint32_t TakeDroppedNames(std::intptr_t drop, std::vector<std::string>& names) override {
        names.clear();
        const auto handle = reinterpret_cast<HANDLE>(drop);
        const Shell32& shell = LoadShell32();
        if (shell.status != ERROR_SUCCESS) {
            // What DragFinish does: the drop is memory of this process now.
            GlobalFree(handle);
            return shell.status;
        }
        const UINT count = shell.dragQueryFile(handle, kDropFileCount, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            const UINT length = shell.dragQueryFile(handle, i, nullptr, 0);
            std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
            const UINT copied = shell.dragQueryFile(handle, i, name.data(), length + 1);
            name.resize(copied);
            names.push_back(TextOfWide(name));
        }
        shell.dragFinish(handle);
        return ERROR_SUCCESS;
    }
};

}  // namespace

DropApi& SystemDropApi() {
    static Win32DropApi api;
    return api;
}

}  // namespace pendrix
