#include "about/frmAbout.h"

#include <commctrl.h>

#include <exception>
#include <string>

#include "window/dpi_scale.h"
#include "window/message_loop.h"
#include "window/window_instance.h"
#include "resources/resource_ids.h"

namespace pendrix {
namespace {

constexpr const wchar_t* kAboutClass = L"PendrixAbout";
constexpr int kPageIconSize = 32;
// Fixed dialog border with the close button only.
constexpr DWORD kAboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kAboutExStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;

int Px(int twips, UINT dpi) { return TwipsToPixels(twips, static_cast<int>(dpi)); }

const AboutControlLayout* LayoutOf(HWND control) {
    const int id = GetDlgCtrlID(control);
    for (const AboutControlLayout& layout : AboutControls()) {
        if (layout.id == id) return &layout;
    }
    return nullptr;
}

}  // namespace

frmAbout::frmAbout(HWND mainWindow) : mainWindow_(mainWindow) {}

frmAbout::~frmAbout() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void frmAbout::ShowModal(HINSTANCE instance) {
    if (!Create(instance)) {
        // Never leave the program without a visible window.
        ShowWindow(mainWindow_, SW_SHOW);
        return;
    }
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(GetDlgItem(hwnd_, kCmdOK));
    ShowWindow(mainWindow_, SW_HIDE);
    RunModalLoop(hwnd_);
}

bool frmAbout::Create(HINSTANCE instance) {
    WNDCLASSEXW windowClass = ProgramWindowClass<frmAbout>(instance, kAboutClass, IDI_ABOUT);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered

    iconBrush_.Reset(CreateSolidBrush(ColourRef(kPicIconBackground)));
    pageIcon_.Reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_PAGE), IMAGE_ICON, kPageIconSize, kPageIconSize, 0)));
    owner_.Reset(CreateWindowExW(0, WC_STATICW, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));

    const std::wstring caption = WideText(kAboutCaption);
    if (CreateWindowExW(kAboutExStyle, kAboutClass, caption.c_str(), kAboutStyle, 0, 0, 0, 0, owner_.Get(),
                        nullptr, instance, this) == nullptr) {
        return false;
    }
    for (const AboutControlLayout& layout : AboutControls()) {
        const wchar_t* className = layout.kind == AboutKind::Button ? WC_BUTTONW : WC_STATICW;
        DWORD style = WS_CHILD | WS_VISIBLE;
        switch (layout.kind) {
        case AboutKind::Button: style |= WS_TABSTOP | BS_DEFPUSHBUTTON; break;
        case AboutKind::Label: style |= SS_LEFT; break;
        case AboutKind::Picture: style |= SS_OWNERDRAW; break;
        }
        controls_.push_back(CreateWindowExW(0, className, WideText(layout.text).c_str(), style, 0, 0, 0, 0, hwnd_,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance,
                                            nullptr));
    }
    ApplyDpi(WindowDpi(hwnd_));
    return true;
}

void frmAbout::ApplyDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = CreateDefaultFont(dpi);
    for (const HWND control : controls_) {
        const AboutControlLayout* layout = LayoutOf(control);
        if (layout == nullptr) continue;
        const PixelRect place = RectToPixels(layout->rect, static_cast<int>(dpi));
        SetWindowPos(control, nullptr, place.left, place.top, place.width, place.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), TRUE);
    }
    // The client area's top-left corner goes to its place on the screen, and
    // the window no further from it than the work area needs: at a high DPI
    // the place scales with the size and would push it off a small screen.
    SizeClientArea(hwnd_, Px(kAboutClientTwips.width, dpi), Px(kAboutClientTwips.height, dpi), dpi);
    MoveClientArea(hwnd_, POINT{Px(kAboutClientTwips.left, dpi), Px(kAboutClientTwips.top, dpi)});
    KeepWithinWorkArea(hwnd_);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void frmAbout::cmdOK_Click() { Unload(); }

void frmAbout::Unload() {
    // The main window comes back first, so the program is never without a
    // visible window.
    ShowWindow(mainWindow_, SW_SHOW);
    DestroyWindow(hwnd_);
    SetForegroundWindow(mainWindow_);
}

void frmAbout::Attach(HWND window) noexcept { hwnd_ = window; }

void frmAbout::Detach() noexcept {
    hwnd_ = nullptr;
    controls_.clear();
}

LRESULT frmAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        // cmdOK, Enter (IDOK) and Esc (IDCANCEL).
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) cmdOK_Click();
        return 0;
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        // Closed some other way (the system, the owner): the main window
        // still comes back.
        if (!IsWindowVisible(mainWindow_)) ShowWindow(mainWindow_, SW_SHOW);
        return 0;
    case WM_DPICHANGED:
        ApplyDpi(LOWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        DrawIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_PAINT:
        Paint();
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT frmAbout::OnControlColour(HDC dc, HWND control) {
    // Labels: opaque, in the dialog colour.
    const AboutControlLayout* layout = LayoutOf(control);
    const unsigned colour = layout != nullptr ? layout->textColour : kSystemTextColour;
    SetTextColor(dc, colour == kSystemTextColour ? GetSysColor(COLOR_WINDOWTEXT) : ColourRef(colour));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void frmAbout::DrawIcon(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, iconBrush_.Get());
    DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, pageIcon_.Get(), kPageIconSize, kPageIconSize, 0,
               nullptr, DI_NORMAL);
}

void frmAbout::Paint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(hwnd_, &paint);
    // The grey line and the white line beneath it: one etched rule.
    for (const AboutLine& line : AboutLines()) {
        const int width = MulDiv(line.width, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
        const UniqueGdiObject pen(CreatePen(PS_SOLID, width, ColourRef(line.colour)));
        const SelectedObject selected(dc, pen.Get());
        // A wide pen is centred on its line; the rule's lines lie beneath
        // their coordinate, so the white one does not cover the grey one.
        const int below = width / 2;
        MoveToEx(dc, Px(line.x1, dpi_), Px(line.y1, dpi_) + below, nullptr);
        LineTo(dc, Px(line.x2, dpi_), Px(line.y2, dpi_) + below);
    }
    EndPaint(hwnd_, &paint);
}

}  // namespace pendrix
