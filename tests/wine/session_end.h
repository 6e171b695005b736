// How the test programs that stand for other programs (holders of files, the
// restart test's helper) end with the session, as real programs do: Windows
// closes a program at a restart through its top-level windows
// (WM_QUERYENDSESSION, then WM_ENDSESSION), and so does Wine's restart
// without EWX_FORCE, which leaves a program without a window running while
// the list is carried out. Each gets a hidden top-level window that ends the
// process when the session ends.
#pragma once

#include <windows.h>

namespace pendrix::wine {

// Called as the session ends, before the system ends the process: closes
// what the program holds, flushes what it wrote.
using SessionEndAction = void (*)();

namespace session_end_detail {

inline SessionEndAction& Action() {
    static SessionEndAction action = nullptr;
    return action;
}

// The program lets go of what it holds and answers; the system then ends the
// process, as Windows does once every window has answered WM_ENDSESSION.
// Exiting inside the message would leave the system's sent messages to this
// program's other windows unanswered (Wine's wineboot then counts those late
// answers against the next program and waits on it for good).
inline LRESULT CALLBACK WatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message == WM_ENDSESSION && wParam != FALSE) {
        if (Action() != nullptr) Action()();
        Action() = nullptr;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace session_end_detail

// Makes the hidden top-level window; false when it could not be made.
inline bool WatchForSessionEnd(SessionEndAction action) {
    session_end_detail::Action() = action;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = session_end_detail::WatcherProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PendrixTestSessionWatcher";
    RegisterClassW(&windowClass);
    // Wine, busy starting other programs on the same display, now and then
    // fails a window made at once: tried a few times before giving up.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                            windowClass.hInstance, nullptr) != nullptr)
            return true;
        Sleep(200);
    }
    return false;
}

// Handles this thread's messages until the session ends (the system then
// ends the process) or timeoutMs has passed (INFINITE: never).
inline void RunUntilSessionEnds(DWORD timeoutMs) {
    const ULONGLONG deadline = timeoutMs == INFINITE ? ~0ULL : GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        const ULONGLONG left = deadline - now;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left > INFINITE - 1 ? INFINITE - 1 : static_cast<DWORD>(left),
                                  QS_ALLINPUT);
    }
}

}  // namespace pendrix::wine
