// What the windows need to scale with the DPI of the monitor they are on.
#pragma once

#include <windows.h>

#include "common/gdi_handles.h"

namespace pendrix {

// The DPI of a window's monitor (the system's before Windows 10 1607).
UINT WindowDpi(HWND window);

// The system's message font at dpi: the windows' default font.
UniqueFont CreateDefaultFont(UINT dpi);

// A regular font of face at hundredthsOfPoint / 100 points, at dpi.
UniqueFont CreateFaceFont(const wchar_t* face, int hundredthsOfPoint, UINT dpi);

// The outer size of a window whose client area is clientWidth x clientHeight.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool hasMenu, UINT dpi);

}  // namespace pendrix
