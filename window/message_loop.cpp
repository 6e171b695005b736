#include "window/message_loop.h"

namespace pendrix {

bool DispatchDialogMessage(const MSG& message) {
    if (message.message == WM_QUIT) return false;
    const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    MSG copy = message;
    if (root != nullptr && IsDialogMessageW(root, &copy)) return true;
    TranslateMessage(&copy);
    DispatchMessageW(&copy);
    return true;
}

int RunMessageLoop() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchDialogMessage(message);
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

void RunModalLoop(HWND window) {
    MSG message{};
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) return;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        DispatchDialogMessage(message);
    }
}

}  // namespace pendrix
