// frmAbout: the About window. It exists only while shown: the main window
// hides itself and shows it modally; however it is closed, it unloads and
// brings the main window back as it was.
#pragma once

#include <windows.h>

#include <vector>

#include "about/about_layout.h"
#include "window/gdi_handles.h"
#include "window/window_instance.h"

namespace pendrix {

class frmAbout {
public:
    // mainWindow: shown again when this window closes.
    explicit frmAbout(HWND mainWindow);
    ~frmAbout();
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    // Creates and shows the window, hides the main window, and returns when
    // this window has been closed.
    void ShowModal(HINSTANCE instance);

    void cmdOK_Click();

private:
    template <typename Window>
    friend LRESULT CALLBACK InstanceWindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    void Attach(HWND window) noexcept;
    void Detach() noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Create(HINSTANCE instance);
    void ApplyDpi(UINT dpi);
    void Unload();
    void Paint();
    LRESULT OnControlColour(HDC dc, HWND control);
    void DrawIcon(const DRAWITEMSTRUCT& item);

    HWND mainWindow_;
    // An invisible owner: a window with an owner gets no taskbar button.
    UniqueWindow owner_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<HWND> controls_;
    UniqueFont font_;
    UniqueBrush iconBrush_;
    UniqueIcon pageIcon_;
};

}  // namespace pendrix
