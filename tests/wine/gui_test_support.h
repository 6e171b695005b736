// Helpers of the tests that drive the program's real windows: the main
// window as a fixture, pumping its messages as the program's loop does,
// rectangles and classes of controls, and the DPI the run expects.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/Form1.h"
#include "tests/wine/dialog_driver.h"
#include "tests/wine/no_restart_shutdown_api.h"

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

// Presses Tab in window's focused control as the keyboard does, and returns
// the id of the control that has the focus afterwards.
int TabFrom(HWND focused);

// The real main window, on the real registry and dialogs, with a restart
// that is recorded instead of carried out. Launch starts it as the program
// does; it is destroyed after the test.
class Form1Window : public ::testing::Test {
protected:
    // files: the file system the window's commands work on; drops: how it
    // takes dropped files.
    explicit Form1Window(FileSystemApi& files = SystemFileSystemApi(), DropApi& drops = SystemDropApi())
        : form(SystemRegistryApi(), SystemFileDialogApi(), shutdown, files, drops) {}
    void Launch();
    void TearDown() override;
    HWND Control(Form1ControlId id) const { return form.Control(id); }
    // Clicks a button as the user does, and lets the window handle what follows.
    void Click(Form1ControlId id);

    NoRestartShutdownApi shutdown;
    Form1 form;
};

}  // namespace pendrix::wine
