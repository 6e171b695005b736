// The message loops of the program. Every message goes through
// IsDialogMessage of its top-level window, so Tab, Shift+Tab, Space, Enter
// and Esc work in the program's windows as in any dialog.
#pragma once

#include <windows.h>

namespace pendrix {

// Dispatches one message; false for WM_QUIT.
bool DispatchDialogMessage(const MSG& message);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Runs until window is destroyed (a modal window). A WM_QUIT that arrives
// meanwhile ends the loop and is posted again for the loop outside.
void RunModalLoop(HWND window);

}  // namespace pendrix
