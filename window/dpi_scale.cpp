#include "window/dpi_scale.h"

#include "common/screen_area.h"

namespace pendrix {
namespace {

constexpr int kPointsPerInch = 72;
constexpr int kHundredths = 100;

}  // namespace

UINT WindowDpi(HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

UniqueFont CreateDefaultFont(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return CreateFaceFont(L"MS Shell Dlg 2", 800, dpi);
    }
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

UniqueFont CreateFaceFont(const wchar_t* face, int hundredthsOfPoint, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(hundredthsOfPoint, static_cast<int>(dpi), kPointsPerInch * kHundredths);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&font));
}

void SizeClientArea(HWND window, int width, int height, UINT dpi) {
    const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, style, GetMenu(window) != nullptr ? TRUE : FALSE, exStyle, dpi);
    int outerWidth = frame.right - frame.left;
    int outerHeight = frame.bottom - frame.top;
    constexpr UINT kResize = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window, nullptr, 0, 0, outerWidth, outerHeight, kResize);
    RECT client{};
    GetClientRect(window, &client);
    if (client.right != width || client.bottom != height) {
        outerWidth += width - client.right;
        outerHeight += height - client.bottom;
        SetWindowPos(window, nullptr, 0, 0, outerWidth, outerHeight, kResize);
    }
}

ScreenRect CentredFrame(int width, int height, DWORD style, DWORD exStyle, bool menu, UINT dpi) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, style, menu ? TRUE : FALSE, exStyle, dpi);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    return CentredWithin(frame.right - frame.left, frame.bottom - frame.top,
                         {work.left, work.top, work.right, work.bottom});
}

void MoveClientArea(HWND window, POINT origin) {
    RECT outer{};
    GetWindowRect(window, &outer);
    POINT client{0, 0};
    ClientToScreen(window, &client);
    SetWindowPos(window, nullptr, origin.x - (client.x - outer.left), origin.y - (client.y - outer.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void KeepWithinWorkArea(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&outer, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const ScreenRect placed = MovedWithin({outer.left, outer.top, outer.right, outer.bottom},
                                          {work.left, work.top, work.right, work.bottom});
    if (placed.left == outer.left && placed.top == outer.top) return;
    SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace pendrix
