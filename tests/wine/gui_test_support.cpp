#include "tests/wine/gui_test_support.h"

#include <cstdlib>

#include "window/message_loop.h"

namespace pendrix::wine {

void Pump() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_QUIT) return;  // left for TakeQuit
        PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
        DispatchDialogMessage(message);
    }
}

bool TakeQuit() {
    Pump();
    MSG message{};
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

int ExpectedDpi() {
    const char* value = std::getenv("PENDRIX_EXPECTED_DPI");
    return value != nullptr ? std::atoi(value) : USER_DEFAULT_SCREEN_DPI;
}

int Scaled(int pixelsAt96, int dpi) { return MulDiv(pixelsAt96, dpi, USER_DEFAULT_SCREEN_DPI); }

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

POINT ClientOrigin(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

int TabFrom(HWND focused) {
    PostMessageW(focused, WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(focused, WM_KEYUP, VK_TAB, 0);
    Pump();
    return GetDlgCtrlID(GetFocus());
}

void Form1Window::Launch() {
    ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr)));
    form.Show();
    Pump();
}

void Form1Window::TearDown() {
    if (IsWindow(form.Window())) DestroyWindow(form.Window());
    TakeQuit();
}

void Form1Window::Click(Form1ControlId id) {
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    Pump();
}

}  // namespace pendrix::wine
