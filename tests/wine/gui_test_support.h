// Helpers of the tests that drive the program's real windows: pumping the
// window's messages as the program's loop does, rectangles and classes of
// controls, and the DPI the run expects.
#pragma once

#include <windows.h>

#include <string>

namespace pendrix::wine {

// Dispatches every message waiting for this thread through the program's
// dialog message handling. A WM_QUIT is kept for WasQuitPosted.
void Pump();
// Whether a WM_QUIT is waiting (and takes it out of the queue).
bool TakeQuit();

// The DPI this run expects from its prefix: PENDRIX_EXPECTED_DPI, or 96.
int ExpectedDpi();
// A length in pixels at 96 DPI, at dpi (rounded as MulDiv rounds).
int Scaled(int pixelsAt96, int dpi);

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);
RECT ClientRect(HWND window);
// The screen position of a window's client area's top-left corner.
POINT ClientOrigin(HWND window);
std::string ClassOf(HWND window);
std::wstring TextOf(HWND window);

// Presses Tab in window's focused control as the keyboard does, and returns
// the id of the control that has the focus afterwards.
int TabFrom(HWND focused);

}  // namespace pendrix::wine
