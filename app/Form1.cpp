#include "app/Form1.h"

#include <commctrl.h>

#include <exception>

#include "about/frmAbout.h"
#include "common/pendrix_error.h"
#include "window/dpi_scale.h"
#include "window/window_instance.h"
#include "resources/resource_ids.h"
#include "platform/list_lock.h"
#include "platform/system_error_text.h"
#include "app/restart_message.h"

namespace pendrix {
namespace {

constexpr const wchar_t* kForm1Class = L"PendrixForm1";
constexpr const wchar_t* kPageClass = L"PendrixPage";
constexpr const wchar_t* kSansSerifFace = L"MS Sans Serif";
constexpr int kSansSerifHundredthsOfPoint = 975;
constexpr int kPageIconSize = 32;
// The one filter of the "..." buttons' open dialog.
constexpr const char* kAllFilesFilter = "All Files (*.*)|*.*";
// What a text box holds: the longest name Windows accepts and one unit
// more, so that a longer name shows as too long instead of being cut.
constexpr WPARAM kTextBoxLimit = kLongestNameUnits + 1;
// The boxes' labels, as the messages name them.
constexpr const char* kSourceBoxLabel = "Source File";
constexpr const char* kDestinationBoxLabel = "Destination";
constexpr const char* kFileToDeleteBoxLabel = "File To Delete";
// Posted to the window by Show: makes what is not on the screen yet.
constexpr UINT kCompleteWindowMessage = WM_APP + 1;
// Posted when Windows stopped the restart this program asked for.
constexpr UINT kRestartStoppedMessage = WM_APP + 2;
// The owner-drawn buttons' focus: a solid black frame, 5.3:1 against their
// grey face (an XOR dotted rectangle there is grey on grey), inset and wide
// as below in pixels at 96 DPI.
constexpr unsigned kFaceFocusColour = 0x000000;
constexpr int kFaceFocusInset = 3;
constexpr int kFaceFocusWidth = 2;

// Fixed dialog border: a caption with the close button, no sizing, no
// minimize or maximize button. The window has a taskbar button.
constexpr DWORD kForm1Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kForm1ExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

DWORD ControlStyle(const ControlLayout& layout) {
    DWORD style = WS_CHILD | (layout.tabStop ? WS_TABSTOP : 0);
    switch (layout.kind) {
    // Buttons and check boxes say when they get the focus (BS_NOTIFY), so
    // that the default-button frame follows it.
    case ControlKind::Button: return style | BS_PUSHBUTTON | BS_NOTIFY;
    case ControlKind::FaceButton: return style | BS_OWNERDRAW | BS_NOTIFY;
    case ControlKind::TextBox: return style | ES_AUTOHSCROLL;
    case ControlKind::CheckBox: return style | BS_AUTOCHECKBOX | BS_NOTIFY;
    case ControlKind::Label: return style | SS_LEFT | SS_NOTIFY;
    case ControlKind::Image: return style | SS_OWNERDRAW;
    case ControlKind::Frame: return style | WS_CLIPSIBLINGS;
    }
    return style;
}

const wchar_t* ControlClass(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button:
    case ControlKind::FaceButton:
    case ControlKind::CheckBox: return WC_BUTTONW;
    case ControlKind::TextBox: return WC_EDITW;
    case ControlKind::Label:
    case ControlKind::Image: return WC_STATICW;
    case ControlKind::Frame: return kPageClass;
    }
    return WC_STATICW;
}

DWORD ControlExStyle(ControlKind kind) {
    switch (kind) {
    case ControlKind::TextBox: return WS_EX_CLIENTEDGE;
    case ControlKind::Frame: return WS_EX_CONTROLPARENT;
    default: return 0;
    }
}

// Controls shown when the window opens: the start page, the bottom row and
// the off-window Text3; the frames and what they hold show with their frame.
PixelRect Pixels(const TwipsRect& rect, UINT dpi) { return RectToPixels(rect, static_cast<int>(dpi)); }

bool VisibleAtStart(const ControlLayout& layout) {
    return layout.kind != ControlKind::Frame;
}

}  // namespace

Form1::Form1(RegistryApi& registryApi, FileDialogApi& fileDialogApi, ShutdownApi& shutdownApi,
             FileSystemApi& fileSystemApi, DropApi& dropApi)
    : registryApi_(registryApi),
      fileDialogApi_(fileDialogApi),
      shutdownApi_(shutdownApi),
      fileSystemApi_(fileSystemApi),
      dropApi_(dropApi) {}

Form1::~Form1() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void Form1::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW form = ProgramWindowClass<Form1>(instance, kForm1Class, IDI_PENDRIX);
    RegisterClassExW(&form);  // fails harmlessly when already registered

    WNDCLASSEXW page{};
    page.cbSize = sizeof(page);
    page.lpfnWndProc = PageProc;
    page.hInstance = instance;
    page.hCursor = form.hCursor;
    page.lpszClassName = kPageClass;
    RegisterClassExW(&page);
}

bool Form1::Create(HINSTANCE instance) {
    instance_ = instance;
    INITCOMMONCONTROLSEX common{sizeof(common), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&common);
    RegisterClasses(instance);

    windowBrush_.Reset(CreateSolidBrush(ColourRef(kForm1Background)));
    frameBrush_.Reset(CreateSolidBrush(ColourRef(kFrameBackground)));
    faceBrush_.Reset(CreateSolidBrush(ColourRef(kFaceButtonColour)));
    background_.Reset(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    pageIcon_.Reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_PAGE), IMAGE_ICON, kPageIconSize, kPageIconSize, 0)));

    // The menu, size and place go with the window's creation: each change
    // to a top-level window afterwards costs another trip to the window
    // system. They are for the system's DPI, which the primary monitor,
    // where the window opens, normally has; checked once it exists.
    const UINT systemDpi = GetDpiForSystem();
    const PixelRect client = Pixels(kForm1ClientTwips, systemDpi);
    const ScreenRect frame = CentredFrame(client.width, client.height, kForm1Style, kForm1ExStyle, true, systemDpi);
    const HMENU menu = CreateMenuBar();
    const std::wstring caption = WideText(kForm1Caption);
    if (CreateWindowExW(kForm1ExStyle, kForm1Class, caption.c_str(), kForm1Style, frame.left, frame.top,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, menu, instance, this) == nullptr) {
        DestroyMenu(menu);
        return false;
    }
    CreateFonts(WindowDpi(hwnd_));
    // The start page and the bottom row, each made where it belongs and
    // with its font; the pages' own controls follow right after the window
    // shows (Show).
    CreateControls(false);
    Form_Load();
    RECT made{};
    GetClientRect(hwnd_, &made);
    if (dpi_ != systemDpi || made.right != client.width || made.bottom != client.height) {
        SizeWindow();
        CentreOnScreen();
    }
    return true;
}

void Form1::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);
    // The focus is drawn from the start, not only once a key was pressed:
    // the user must always see where Enter and Space act.
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    GiveFocus(kCommand6);
    // The pages are hidden until one is chosen, and tooltips are needed only
    // once the mouse rests on a control: both are made right after the
    // window is on the screen, before any input is handled, so that they do
    // not delay it.
    PostMessageW(hwnd_, kCompleteWindowMessage, 0, 0);
}

void Form1::CompleteWindow() {
    if (Control(kText1) == nullptr) {
        CreateControls(true);
        AcceptDroppedFiles();
    }
    CreateTooltips();
}

HMENU Form1::CreateMenuBar() {
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kMenuReplace, WideText(kMenuReplaceCaption).c_str());
    AppendMenuW(file, MF_STRING, kMenuDelete, WideText(kMenuDeleteCaption).c_str());
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, kMenuExit, WideText(kMenuExitCaption).c_str());
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), WideText(kMenuFileCaption).c_str());
    // The window made with it owns it and destroys it with itself.
    return bar;
}

void Form1::CreateControls(bool pageControls) {
    for (const ControlLayout& layout : Form1Controls()) {
        if ((layout.container != Container::Window) != pageControls) continue;
        DWORD style = ControlStyle(layout);
        if (VisibleAtStart(layout)) style |= WS_VISIBLE;
        const PixelRect place = Pixels(layout.rect, dpi_);
        const HWND control = CreateWindowExW(
            ControlExStyle(layout.kind), ControlClass(layout.kind), WideText(layout.text).c_str(), style, place.left,
            place.top, place.width, place.height, ContainerWindow(layout.container), reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance_,
            nullptr);
        controls_.push_back({layout.id, control});
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(layout)), FALSE);
        if (layout.kind == ControlKind::CheckBox) SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
        if (layout.kind == ControlKind::TextBox) SendMessageW(control, EM_SETLIMITTEXT, kTextBoxLimit, 0);
    }
}

void Form1::CreateTooltips() {
    if (tooltip_ != nullptr) return;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
    if (tooltip_ == nullptr) return;
    SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont_.Get()), FALSE);
    for (const ControlLayout& layout : Form1Controls()) {
        if (layout.tooltip != nullptr) AddTooltip(Control(layout.id), layout.tooltip);
    }
}

void Form1::AddTooltip(HWND control, const char* text) {
    if (tooltip_ == nullptr || control == nullptr) return;
    std::wstring wide = WideText(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = wide.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

HWND Form1::ContainerWindow(Container container) const {
    switch (container) {
    case Container::Frame1: return Control(kFrame1);
    case Container::Frame2: return Control(kFrame2);
    case Container::Window: break;
    }
    return hwnd_;
}

HWND Form1::Control(Form1ControlId id) const {
    for (const CreatedControl& control : controls_) {
        if (control.id == id) return control.window;
    }
    return nullptr;
}

void Form1::CreateFonts(UINT dpi) {
    dpi_ = dpi;
    defaultFont_ = CreateDefaultFont(dpi);
    sansSerifFont_ = CreateFaceFont(kSansSerifFace, kSansSerifHundredthsOfPoint, dpi);
}

HFONT Form1::FontOf(const ControlLayout& layout) const {
    return layout.font == ControlFont::SansSerif975 ? sansSerifFont_.Get() : defaultFont_.Get();
}

void Form1::SizeWindow() {
    const PixelRect client = Pixels(kForm1ClientTwips, dpi_);
    SizeClientArea(hwnd_, client.width, client.height, dpi_);
}

void Form1::ApplyDpi(UINT dpi) {
    CreateFonts(dpi);
    for (const ControlLayout& layout : Form1Controls()) {
        const HWND control = Control(layout.id);
        if (control == nullptr) continue;
        const PixelRect place = Pixels(layout.rect, dpi);
        SetWindowPos(control, nullptr, place.left, place.top, place.width, place.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(layout)), TRUE);
    }
    if (tooltip_ != nullptr) SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(defaultFont_.Get()), TRUE);
    SizeWindow();
}

void Form1::CentreOnScreen() {
    // Centred on the part of the screen windows may cover (without the
    // taskbar), and never beyond it.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT window{};
    GetWindowRect(hwnd_, &window);
    const RECT& work = monitor.rcWork;
    const ScreenRect placed = CentredWithin(window.right - window.left, window.bottom - window.top,
                                            {work.left, work.top, work.right, work.bottom});
    SetWindowPos(hwnd_, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string Form1::Text(Form1ControlId box) const {
    const HWND control = Control(box);
    if (control == nullptr) return {};
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied));
    return TextOfWide(text);
}

void Form1::Text(Form1ControlId box, std::string_view text) {
    // The W call takes a NUL-terminated text: the box keeps what comes
    // before the first NUL.
    SetWindowTextW(Control(box), WideText(text).c_str());
}

bool Form1::Ticked(Form1ControlId checkBox) const {
    return SendMessageW(Control(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Form1::GiveFocus(Form1ControlId control) {
    const HWND window = Control(control);
    if (window == nullptr) return;
    SetFocus(window);
    lastFocus_ = window;
}

void Form1::ShowMessage(std::string_view text) {
    MessageBoxW(hwnd_, WideText(text).c_str(), WideText(kMessageCaption).c_str(), MB_OK);
}

bool Form1::AskYesNo(std::string_view question) {
    return MessageBoxW(hwnd_, WideText(question).c_str(), WideText(kMessageCaption).c_str(),
                       MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void Form1::SetVisible(Form1ControlId id, bool visible) {
    ShowWindow(Control(id), visible ? SW_SHOW : SW_HIDE);
}

// ---- Session, pages and exits ----

void Form1::Form_Load() {
    // A step that fails is skipped; load never shows a message.
    SetVisible(kFrame1, false);
    SetVisible(kFrame2, false);
    m_Registry = std::make_unique<RegistryRoutines>(registryApi_);
    m_FileDialog = std::make_unique<cFileDialog>(fileDialogApi_);
    PendingListRead secondAtLaunch;
    try {
        m_PendingAtLaunch = PendingRenameList(*m_Registry).Read();
        secondAtLaunch = PendingRenameList(*m_Registry, kPendingValue2Name).Read();
    } catch (const std::exception&) {
        // The lists were not read: keep them marked unknown, so that nothing
        // ever writes a snapshot that was never taken.
        m_PendingAtLaunch = PendingListRead{};
        m_PendingAtLaunch.readable = false;
        secondAtLaunch = m_PendingAtLaunch;
    }
    m_Commands = std::make_unique<FileCommands>(*m_Registry, fileSystemApi_, listLock_, m_PendingAtLaunch,
                                                secondAtLaunch);
}

void Form1::Form_Unload() { m_FileDialog.reset(); }

void Form1::Replace_Click() {
    SetVisible(kFrame1, true);
    SetVisible(kFrame2, false);
    SetVisible(kCommand8, false);
    SetVisible(kCommand10, false);
    // The focus follows the page: never left on a control now hidden,
    // where keys would act on what the user cannot see.
    GiveFocus(kText2);
    ShowDefaultButton();
}

void Form1::Delete_Click() {
    SetVisible(kFrame1, false);
    SetVisible(kFrame2, true);
    SetVisible(kCommand8, false);
    SetVisible(kCommand10, false);
    GiveFocus(kText4);
    ShowDefaultButton();
}

void Form1::Command8_Click() { Replace_Click(); }

void Form1::Command10_Click() { Delete_Click(); }

void Form1::Command4_Click() {
    // Unloads the window: Form_Unload runs, and with no window left the
    // program ends.
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void Form1::Exit_Click() {
    // Ends the program at once: the message loop stops, and the window goes
    // with the process, without Form_Unload.
    PostQuitMessage(0);
}

// ---- Restart and Info ----

void Form1::Command5_Click() {
    // A restart closes every program: asked first, No by default, saying
    // what it is for.
    if (!AskYesNo(RestartQuestion(m_Commands->CountPending()))) return;
    std::uint32_t refusal = 0;
    {
        cls_exitWindows exitWindows(shutdownApi_);
        refusal = exitWindows.Restart(false);
        // Other users' programs are ended only when the user says so.
        if (refusal == static_cast<std::uint32_t>(kErrorShutdownUsersLoggedOn)) {
            if (!AskYesNo(kMsgOthersSignedIn)) return;
            refusal = exitWindows.Restart(true);
        }
    }
    // The restart was refused: say so, instead of leaving the user waiting
    // for a restart that never comes.
    if (refusal != 0) {
        ShowMessage(RestartRefusedMessage(refusal));
        return;
    }
    // Windows goes on without this program; a program that refuses to
    // close may still stop it (WM_ENDSESSION says so).
    restartRequested_ = true;
}

void Form1::OnEndSession(bool ending) {
    if (ending || !restartRequested_) return;
    restartRequested_ = false;
    // Said once the system's message has been answered: the system waits
    // for the answer.
    PostMessageW(hwnd_, kRestartStoppedMessage, 0, 0);
}

void Form1::Command6_Click() {
    // The About window hides this one as soon as it is itself on the
    // screen, so the program never runs without a visible window, and shows
    // it again as it closes.
    frmAbout about(hwnd_);
    about.ShowModal(instance_);
}

// ---- Apply, Cancel All and browsing ----

void Form1::Command1_Click() {
    if (RefuseTooLong(CommandKind::Replace, kText1, kSourceBoxLabel) ||
        RefuseTooLong(CommandKind::Replace, kText2, kDestinationBoxLabel))
        return;
    const CommandResult result = m_Commands->Replace(Text(kText1), Text(kText2), Ticked(kCheck1));
    ShowCommandResult(CommandKind::Replace, result, kText2);
}

void Form1::Command7_Click() {
    if (RefuseTooLong(CommandKind::Delete, kText4, kFileToDeleteBoxLabel)) return;
    const std::string name = Text(kText4);
    const bool now = Ticked(kCheck2);
    // A pattern that takes more than one file asks first; No changes nothing.
    const std::vector<std::string> matches = m_Commands->PatternMatches(name);
    if (matches.size() > 1 && !AskYesNo(DeleteManyQuestion(matches, now))) return;
    const CommandResult result = m_Commands->Delete(name, now);
    ShowCommandResult(CommandKind::Delete, result, kText4);
}

bool Form1::RefuseTooLong(CommandKind kind, Form1ControlId box, const char* label) {
    // A box holds one unit more than the longest name, so that a longer
    // paste, cut there, is refused here instead of acting on part of it.
    if (GetWindowTextLengthW(Control(box)) <= kLongestNameUnits) return false;
    ShowMessage(NameTooLongMessage(kind, label));
    GiveFocus(box);
    return true;
}

void Form1::ShowCommandResult(CommandKind kind, const CommandResult& result, Form1ControlId focusAfterScheduling) {
    // The list read at the start of the command; the off-window box keeps
    // its first string.
    Text(kText3, result.listTextRead);
    ShowMessage(MessageFor(kind, result, SystemErrorText));
    if (result.outcome != CommandOutcome::Scheduled) return;  // what was typed stays
    Text(kText1, "");
    Text(kText2, "");
    Text(kText3, "");
    GiveFocus(focusAfterScheduling);
}

void Form1::chameleonButton1_Click() { ShowMessage(MessageFor(m_Commands->CancelAll(), SystemErrorText)); }

void Form1::Command2_Click() { BrowseInto(kText1); }

void Form1::Command3_Click() { BrowseInto(kText2); }

void Form1::Command9_Click() { BrowseInto(kText4); }

void Form1::BrowseInto(Form1ControlId box) {
    m_FileDialog->flags(kOfnFileMustExist);
    m_FileDialog->hwnd(reinterpret_cast<std::intptr_t>(hwnd_));
    m_FileDialog->Filter(kAllFilesFilter);
    // A cancel raises the cancel error, and the box keeps what it holds:
    // Filename would still be the file last chosen for any box.
    m_FileDialog->CancelError(true);
    try {
        m_FileDialog->ShowOpen();
    } catch (const PendrixError& error) {
        if (error.Number() == kErrUserCancel) return;
        throw;
    }
    Text(box, m_FileDialog->Filename());
}

// ---- Messages ----

void Form1::Attach(HWND window) noexcept { hwnd_ = window; }

void Form1::Detach() noexcept {
    hwnd_ = nullptr;
    controls_.clear();
}

LRESULT CALLBACK Form1::PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // The frame is only a container: its controls talk to the window.
        return SendMessageW(GetParent(page), message, wParam, lParam);
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(page, &client);
        auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(GetParent(page), GWLP_USERDATA));
        if (self == nullptr) break;
        FillRect(reinterpret_cast<HDC>(wParam), &client, self->frameBrush_.Get());
        return 1;
    }
    default: break;
    }
    return DefWindowProcW(page, message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case DM_GETDEFID: {
        // Asked by the dialog keys on Enter: the button it presses.
        const Form1ControlId id = DefaultButton();
        return id == 0 ? 0 : MAKELRESULT(id, DC_HASDEFID);
    }
    case WM_NEXTDLGCTL:
        OnNextControl(wParam, lParam != 0);
        return 0;
    case WM_ACTIVATE:
        OnActivate(wParam);
        return 0;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_CLOSE:
        Form_Unload();
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case kCompleteWindowMessage:
        CompleteWindow();
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;  // everything scheduled is in the registry already
    case WM_ENDSESSION:
        OnEndSession(wParam != FALSE);
        return 0;
    case kRestartStoppedMessage:
        ShowMessage(kMsgRestartStopped);
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Form1::OnCommand(int id, int code) {
    if (code == BN_SETFOCUS || code == EN_SETFOCUS) {
        ShowDefaultButton();
        return;
    }
    // A click, a menu item, an accelerator or Enter (all codes 0 or 1);
    // other notifications (a box's change, a double click) are not commands.
    if (code != BN_CLICKED && code != 1) return;
    // A command that fails with an exception has changed nothing the user
    // sees yet: say so once, and leave the window as it was.
    try {
        RunCommand(id);
    } catch (const std::exception& error) {
        ShowMessage(std::string(kMsgNothingDonePrefix) + error.what());
    }
}

void Form1::RunCommand(int id) {
    switch (id) {
    case kMenuReplace: Replace_Click(); break;
    case kMenuDelete: Delete_Click(); break;
    case kMenuExit: Exit_Click(); break;
    case kCommand8: Command8_Click(); break;
    case kCommand10: Command10_Click(); break;
    case kCommand4: Command4_Click(); break;
    case kCommand5: Command5_Click(); break;
    case kCommand6: Command6_Click(); break;
    case kCommand1: Command1_Click(); break;
    case kCommand7: Command7_Click(); break;
    case kChameleonButton1: chameleonButton1_Click(); break;
    case kCommand2: Command2_Click(); break;
    case kCommand3: Command3_Click(); break;
    case kCommand9: Command9_Click(); break;
    default: break;  // Esc (IDCANCEL), Enter on the start page (IDOK): nothing to do
    }
}

Form1ControlId Form1::DefaultButton() const {
    // The button with the focus; otherwise the shown page's Apply.
    const HWND focus = GetFocus();
    for (const ControlLayout& layout : Form1Controls()) {
        if (layout.kind != ControlKind::Button && layout.kind != ControlKind::FaceButton) continue;
        if (focus != nullptr && Control(layout.id) == focus) return layout.id;
    }
    if (IsWindowVisible(Control(kFrame1))) return kCommand1;
    if (IsWindowVisible(Control(kFrame2))) return kCommand7;
    return static_cast<Form1ControlId>(0);
}

void Form1::ShowDefaultButton() {
    // The thick frame on the button Enter presses, and on no other.
    const Form1ControlId chosen = DefaultButton();
    for (const ControlLayout& layout : Form1Controls()) {
        const HWND button = Control(layout.id);
        if (layout.kind != ControlKind::Button || button == nullptr) continue;
        const auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
        const DWORD type = layout.id == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((style & BS_TYPEMASK) == type) continue;
        SendMessageW(button, BM_SETSTYLE, (style & 0xFFFF & ~static_cast<DWORD>(BS_TYPEMASK)) | type, TRUE);
    }
}

void Form1::OnNextControl(WPARAM wParam, bool given) {
    // As a dialog does: a label's mnemonic gives it the focus and then asks
    // for the next control, its box.
    const HWND target = given ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
    if (target == nullptr || !IsChild(hwnd_, target)) return;
    SetFocus(target);
    if ((SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) SendMessageW(target, EM_SETSEL, 0, -1);
}

void Form1::OnActivate(WPARAM wParam) {
    // As a dialog does: the control that had the focus gets it back when the
    // window is activated again (after the About window, a message box).
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    if (lastFocus_ != nullptr && IsWindowVisible(lastFocus_)) {
        SetFocus(lastFocus_);
    } else {
        GiveFocus(kCommand6);
    }
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyDpi(dpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    KeepWithinWorkArea(hwnd_);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

LRESULT Form1::OnControlColour(HDC dc, HWND control) {
    // Labels and check boxes sit on the frames: transparent, dark grey text.
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColourRef(kLabelTextColour));
    const HWND parent = GetParent(control);
    const bool onFrame = parent == Control(kFrame1) || parent == Control(kFrame2);
    return reinterpret_cast<LRESULT>(onFrame ? frameBrush_.Get() : windowBrush_.Get());
}

void Form1::OnDrawItem(const DRAWITEMSTRUCT& item) {
    const auto id = static_cast<Form1ControlId>(item.CtlID);
    if (id == kImage1 || id == kImage2) {
        FillRect(item.hDC, &item.rcItem, frameBrush_.Get());
        DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, pageIcon_.Get(), kPageIconSize, kPageIconSize, 0,
                   nullptr, DI_NORMAL);
        return;
    }
    // The start page's buttons, in their face colour.
    RECT face = item.rcItem;
    FillRect(item.hDC, &face, faceBrush_.Get());
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(item.hDC, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    wchar_t caption[64] = {};
    GetWindowTextW(item.hwndItem, caption, static_cast<int>(std::size(caption)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, ColourRef(kFaceButtonTextColour));
    const SelectedObject font(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    if (pressed) OffsetRect(&face, 1, 1);
    // The mnemonic is underlined unless Windows hides them until Alt.
    const UINT underline = (item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0;
    DrawTextW(item.hDC, caption, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE | underline);
    if ((item.itemState & ODS_FOCUS) != 0) {
        const int inset = MulDiv(kFaceFocusInset, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
        const int width = MulDiv(kFaceFocusWidth, static_cast<int>(dpi_), USER_DEFAULT_SCREEN_DPI);
        RECT outer = item.rcItem;
        InflateRect(&outer, -inset, -inset);
        RECT inner = outer;
        InflateRect(&inner, -width, -width);
        const UniqueBrush focusBrush(CreateSolidBrush(ColourRef(kFaceFocusColour)));
        const RECT sides[] = {{outer.left, outer.top, outer.right, inner.top},
                              {outer.left, inner.bottom, outer.right, outer.bottom},
                              {outer.left, inner.top, inner.left, inner.bottom},
                              {inner.right, inner.top, outer.right, inner.bottom}};
        for (const RECT& side : sides) FillRect(item.hDC, &side, focusBrush.Get());
    }
}

void Form1::PaintBackground(HDC dc) const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, windowBrush_.Get());
    if (!background_) return;
    BITMAP picture{};
    GetObjectW(background_.Get(), sizeof(picture), &picture);
    const MemoryDc source(dc, background_.Get());
    // The picture covers the client area exactly: at 96 DPI pixel for pixel,
    // at other DPIs scaled with the layout.
    const PixelRect covered = Pixels(kForm1ClientTwips, dpi_);
    SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, covered.width, covered.height, source.Get(), 0, 0, picture.bmWidth, picture.bmHeight, SRCCOPY);
}

}  // namespace pendrix
