// The window procedure of a class per window: the object's this is kept
// with the window from WM_NCCREATE to WM_NCDESTROY, every other message goes
// to its HandleMessage, and no C++ exception crosses into Windows (a handler
// step that fails is skipped).
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>

#include "common/wide_text.h"

namespace pendrix {

// Window has Attach(HWND), Detach() and HandleMessage(UINT, WPARAM, LPARAM),
// reachable from here (a friend declaration will do).
template <typename Window>
LRESULT CALLBACK InstanceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
        created->Attach(window);
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->Detach();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception&) {
        return 0;
    }
}

// A window class of the program's: its procedure, arrow cursor, and the
// icon resource iconId at the large and small sizes; the caller adds the
// rest before registering it.
template <typename Window>
WNDCLASSEXW ProgramWindowClass(HINSTANCE instance, const wchar_t* name, int iconId) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = InstanceWindowProc<Window>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.lpszClassName = name;
    return windowClass;
}


}  // namespace pendrix
