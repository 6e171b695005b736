// What the windows need to scale with the DPI of the monitor they are on.
#pragma once

#include <windows.h>

#include "common/screen_area.h"
#include "window/gdi_handles.h"

namespace pendrix {

// The DPI of a window's monitor (the system's before Windows 10 1607).
UINT WindowDpi(HWND window);

// The system's message font at dpi: the windows' default font.
UniqueFont CreateDefaultFont(UINT dpi);

// A regular font of face at hundredthsOfPoint / 100 points, at dpi.
UniqueFont CreateFaceFont(const wchar_t* face, int hundredthsOfPoint, UINT dpi);

// Sizes window so that its client area is width x height at dpi. The frame
// is computed for dpi, then corrected by what the client area missed (a
// system may draw the caption or menu bar at another DPI).
void SizeClientArea(HWND window, int width, int height, UINT dpi);

// Where a new top-level window goes whose client area is width x height at
// dpi: its frame for style, exStyle and a menu bar (or none), centred in the
// primary monitor's work area and within it.
ScreenRect CentredFrame(int width, int height, DWORD style, DWORD exStyle, bool menu, UINT dpi);

// Moves window so that its client area's top-left corner is at origin on
// the screen.
void MoveClientArea(HWND window, POINT origin);

// Moves window, just as far as needed, into the work area of the monitor it
// is on (or nearest to).
void KeepWithinWorkArea(HWND window);

}  // namespace pendrix
