// Form1's real window under Wine: the layout against the window's tables,
// the start state, the pages, the keyboard and the focus, and the two exits. Runs at the DPI of its prefix (96, or 144 for the high-DPI run).
#include "tests/wine/gui_test_support.h"

#include <commctrl.h>

#include <optional>
#include <vector>

#include "common/wide_text.h"

namespace pendrix::wine {
namespace {

// Whether a real control is the window class and style its kind stands for.
bool IsKind(HWND control, ControlKind kind) {
    const std::string name = ClassOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    switch (kind) {
    case ControlKind::Button:
        return name == "Button" && ((style & BS_TYPEMASK) == BS_PUSHBUTTON || (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    case ControlKind::FaceButton: return name == "Button" && (style & BS_TYPEMASK) == BS_OWNERDRAW;
    case ControlKind::CheckBox: return name == "Button" && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    case ControlKind::TextBox: return name == "Edit" && (style & ES_MULTILINE) == 0;
    case ControlKind::Label: return name == "Static" && (style & SS_TYPEMASK) == SS_LEFT;
    case ControlKind::Image: return name == "Static" && (style & SS_TYPEMASK) == SS_OWNERDRAW;
    case ControlKind::Frame:
        return name == "PendrixPage" && (GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    }
    return false;
}

HWND FindTooltip(HWND owner) {
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (ClassOf(window) != "tooltips_class32" || GetWindow(window, GW_OWNER) != s.owner) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TooltipText(HWND tooltip, HWND control) {
    wchar_t buffer[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = buffer;
    SendMessageW(tooltip, TTM_GETTEXTW, std::size(buffer), reinterpret_cast<LPARAM>(&tool));
    return buffer;
}

class Form1Test : public Form1Window {
protected:
    void SetUp() override {
        Launch();
        ASSERT_EQ(static_cast<int>(GetDpiForWindow(form.Window())), dpi) << "the prefix's DPI";
    }
    bool Visible(Form1ControlId id) { return IsWindowVisible(Control(id)) != FALSE; }
    void Menu(Form1MenuId id) {
        SendMessageW(form.Window(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        Pump();
    }
    // Which page shows: 0 start, 1 replace, 2 delete; -1 for any other mix.
    int Page() {
        const bool start = Visible(kCommand8) && Visible(kCommand10);
        const bool none = !Visible(kCommand8) && !Visible(kCommand10);
        if (start && !Visible(kFrame1) && !Visible(kFrame2)) return 0;
        if (none && Visible(kFrame1) && !Visible(kFrame2)) return 1;
        if (none && !Visible(kFrame1) && Visible(kFrame2)) return 2;
        return -1;
    }
    // The page, texts and ticks the user would see come back unchanged.
    struct State {
        int page;
        std::string texts[4];
        bool ticks[2];
        bool operator==(const State&) const = default;
    };
    State Snapshot() {
        return {Page(), {form.Text(kText1), form.Text(kText2), form.Text(kText3), form.Text(kText4)},
                {form.Ticked(kCheck1), form.Ticked(kCheck2)}};
    }

    const int dpi = ExpectedDpi();
};

TEST_F(Form1Test, EveryControlMatchesTheTablesAtTheWindowsDpi) {
    const HWND tooltip = FindTooltip(form.Window());
    ASSERT_NE(tooltip, nullptr);
    for (const ControlLayout& expected : Form1Controls()) {
        const HWND control = Control(expected.id);
        SCOPED_TRACE(expected.name);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsKind(control, expected.kind));
        EXPECT_EQ(TextOf(control), WideText(expected.text));
        const RECT rect = RectInParent(control);
        EXPECT_EQ(rect.left, TwipsToPixels(expected.rect.left, dpi));
        EXPECT_EQ(rect.top, TwipsToPixels(expected.rect.top, dpi));
        EXPECT_EQ(rect.right - rect.left, TwipsToPixels(expected.rect.width, dpi));
        EXPECT_EQ(rect.bottom - rect.top, TwipsToPixels(expected.rect.height, dpi));
        EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0, expected.tabStop);
        if (expected.kind == ControlKind::CheckBox) {
            EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0), BST_CHECKED);
        }
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
        if (expected.font == ControlFont::SansSerif975) {
            EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
            EXPECT_EQ(font.lfHeight, -MulDiv(975, dpi, 7200));
        }
        EXPECT_EQ(TooltipText(tooltip, control), expected.tooltip != nullptr ? WideText(expected.tooltip) : L"");
    }
    // Required as such, not read from the table: Apply where it always was.
    const RECT apply = RectInParent(Control(kCommand1));
    EXPECT_EQ(apply.left, Scaled(256, dpi));
    EXPECT_EQ(apply.top, Scaled(104, dpi));
    EXPECT_EQ(apply.right - apply.left, Scaled(61, dpi));
    EXPECT_EQ(apply.bottom - apply.top, Scaled(22, dpi));
}

TEST_F(Form1Test, WindowIsAFixedDialogOfFourHundredByThreeHundredCentredOnTheScreen) {
    const HWND window = form.Window();
    EXPECT_EQ(TextOf(window), L"Korvane Pendrix");
    const RECT client = ClientRect(window);
    EXPECT_EQ(client.right, Scaled(400, dpi));
    EXPECT_EQ(client.bottom, Scaled(300, dpi));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_NE(style & WS_SYSMENU, 0);
    EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0) << "taskbar button";
    EXPECT_NE(GetClassLongPtrW(window, GCLP_HICON), 0);

    RECT outer{};
    GetWindowRect(window, &outer);
    MONITORINFO monitor{sizeof(monitor), {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    EXPECT_EQ(outer.left, work.left + (work.right - work.left - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, work.top + (work.bottom - work.top - (outer.bottom - outer.top)) / 2);
    EXPECT_TRUE(outer.left >= work.left && outer.top >= work.top && outer.right <= work.right &&
                outer.bottom <= work.bottom)
        << "within the work area";

    // The menu: "File" with its four items, the third a separator.
    const HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    wchar_t caption[64] = {};
    GetMenuStringW(bar, 0, caption, 64, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"&File");
    const HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 4);
    const wchar_t* items[] = {L"&Replace A File", L"&Delete A File", nullptr, L"E&xit"};
    for (int position = 0; position < 4; ++position) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(file, static_cast<UINT>(position), TRUE, &item);
        EXPECT_EQ((item.fType & MFT_SEPARATOR) != 0, items[position] == nullptr) << position;
        if (items[position] == nullptr) continue;
        GetMenuStringW(file, static_cast<UINT>(position), caption, 64, MF_BYPOSITION);
        EXPECT_STREQ(caption, items[position]);
    }
}

TEST_F(Form1Test, BackgroundPictureCoversTheClientArea) {
    const int width = Scaled(400, dpi), height = Scaled(300, dpi);
    const HDC screen = GetDC(nullptr);
    const HDC canvas = CreateCompatibleDC(screen);
    const HBITMAP pixels = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(canvas, pixels);
    SendMessageW(form.Window(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas), 0);

    const auto picture = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4),
                                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    const HDC source = CreateCompatibleDC(screen);
    const HGDIOBJ sourcePrevious = SelectObject(source, picture);
    if (dpi == USER_DEFAULT_SCREEN_DPI) {
        // Pixel for pixel: corners, the top band, the middle, the bottom band.
        for (const POINT at : {POINT{0, 0}, POINT{399, 299}, POINT{200, 20}, POINT{30, 30}, POINT{100, 250}}) {
            EXPECT_EQ(GetPixel(canvas, at.x, at.y), GetPixel(source, at.x, at.y)) << at.x << "," << at.y;
        }
    }
    // No white margin at any DPI: the bottom-right corner is the picture's.
    EXPECT_NE(GetPixel(canvas, width - 1, height - 1), RGB(255, 255, 255));
    SelectObject(source, sourcePrevious);
    DeleteDC(source);
    DeleteObject(picture);
    SelectObject(canvas, previous);
    DeleteObject(pixels);
    DeleteDC(canvas);
    ReleaseDC(nullptr, screen);
}

TEST_F(Form1Test, LabelsAndCheckBoxesAreTransparentWithDarkGreyText) {
    for (const Form1ControlId id : {kLabel1Index0, kLabel1Index1, kLabel2, kCheck1, kLabel1Index2, kLabel1Index3,
                                    kCheck2}) {
        const HWND control = Control(id);
        const HDC dc = GetDC(control);
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(control)));
        LOGBRUSH colour{};
        GetObjectW(brush, sizeof(colour), &colour);
        EXPECT_EQ(GetBkMode(dc), TRANSPARENT) << id;
        EXPECT_EQ(GetTextColor(dc), RGB(0x40, 0x40, 0x40)) << id;
        EXPECT_EQ(colour.lbColor, RGB(0xE0, 0xE0, 0xE0)) << id << ": the frame's colour beneath";
        ReleaseDC(control, dc);
    }
}

TEST_F(Form1Test, WindowIsLaidOutAgainWhenItsDpiChanges) {
    RECT outer{};
    GetWindowRect(form.Window(), &outer);
    for (const int newDpi : {dpi * 3 / 2, dpi}) {
        SendMessageW(form.Window(), WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&outer));
        EXPECT_EQ(ClientRect(form.Window()).right, Scaled(400, newDpi));
        EXPECT_EQ(ClientRect(form.Window()).bottom, Scaled(300, newDpi));
        const RECT apply = RectInParent(Control(kCommand1));
        EXPECT_EQ(apply.left, Scaled(256, newDpi));
        EXPECT_EQ(apply.bottom - apply.top, Scaled(22, newDpi));
    }
}

TEST_F(Form1Test, OpensOnTheStartPageWithEmptyBoxesTickedChecksAndTheFocusOnInfo) {
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(IsWindowVisible(form.Window()));
    EXPECT_EQ(GetFocus(), Control(kCommand6));
    for (const Form1ControlId box : {kText1, kText2, kText3, kText4}) EXPECT_EQ(form.Text(box), "");
    EXPECT_TRUE(form.Ticked(kCheck1));
    EXPECT_TRUE(form.Ticked(kCheck2));
    EXPECT_TRUE(form.FileDialogLoaded());
    // The snapshot was read from the real Session Manager key.
    EXPECT_TRUE(form.PendingAtLaunch().readable);
}

TEST_F(Form1Test, PagesSwitchByButtonAndMenuAndKeepTheTexts) {
    Click(kCommand8);
    const State once = Snapshot();
    EXPECT_EQ(once.page, 1);
    Menu(kMenuReplace);
    EXPECT_EQ(Snapshot(), once) << "Replace A File twice";

    form.Text(kText1, "C:\\new\\résumé ü.dll");
    form.Text(kText2, "C:\\Windows\\system32\\old.dll");
    SendMessageW(Control(kCheck1), BM_CLICK, 0, 0);
    Menu(kMenuDelete);
    EXPECT_EQ(Page(), 2);
    form.Text(kText4, "C:\\temp\\*.tmp");
    Menu(kMenuReplace);
    EXPECT_EQ(Page(), 1);
    EXPECT_EQ(form.Text(kText1), "C:\\new\\résumé ü.dll");
    EXPECT_EQ(form.Text(kText2), "C:\\Windows\\system32\\old.dll");
    EXPECT_EQ(form.Text(kText4), "C:\\temp\\*.tmp");
    EXPECT_FALSE(form.Ticked(kCheck1));
    EXPECT_TRUE(form.Ticked(kCheck2));

    Click(kCommand10);  // hidden by now, still the same command
    EXPECT_EQ(Page(), 2);
}

TEST_F(Form1Test, Text3IsNeverSeenAndKeepsTheTextBeforeTheFirstNul) {
    using namespace std::string_literals;
    form.Text(kText3, "\\??\\C:\\a.dll\0!\\??\\C:\\b.dll\0"s);
    EXPECT_EQ(form.Text(kText3), "\\??\\C:\\a.dll");
    const RECT text3 = RectInParent(Control(kText3));
    EXPECT_GE(text3.left, ClientRect(form.Window()).right) << "outside the client area";
    form.Text(kText3, "");
    EXPECT_EQ(form.Text(kText3), "");
}

TEST_F(Form1Test, TabFollowsTheFocusOrderAndSkipsHiddenControls) {
    struct Tour {
        Form1ControlId page;  // 0: the start page
        std::vector<Form1ControlId> order;
    };
    const std::vector<Tour> tours = {
        {static_cast<Form1ControlId>(0),
         {kCommand6, kChameleonButton1, kCommand5, kCommand4, kCommand8, kCommand10, kCommand6}},
        {kCommand8,
         {kText2, kText1, kCheck1, kCommand2, kCommand3, kCommand1, kCommand6, kChameleonButton1, kCommand5,
          kCommand4, kText2}},
        {kCommand10,
         {kCommand6, kChameleonButton1, kCommand5, kCommand4, kCommand7, kCommand9, kCheck2, kText4, kCommand6}},
    };
    for (const Tour& tour : tours) {
        if (tour.page != 0) Click(tour.page);
        form.GiveFocus(tour.order.front());
        Pump();
        for (std::size_t step = 1; step < tour.order.size(); ++step) {
            EXPECT_EQ(TabFrom(GetFocus()), tour.order[step]) << "page " << tour.page << ", step " << step;
        }
    }
}

// However the page changes (the start page's two buttons, the menu's two
// items), from whichever control had the focus, the focus goes to the new
// page's box: never left on a control now hidden, where keys would act
// unseen.
TEST_F(Form1Test, TheFocusFollowsThePageHoweverItChanges) {
    enum class Way { Command8, Command10, MenuReplace, MenuDelete };
    const std::vector<Form1ControlId> bottomRow = {kCommand6, kChameleonButton1, kCommand5, kCommand4};
    struct From {
        int page;  // 0 start, 1 replace, 2 delete
        std::vector<Form1ControlId> focused;  // besides the bottom row
        std::vector<Way> ways;
    };
    const std::vector<From> table = {
        {0, {kCommand8, kCommand10}, {Way::Command8, Way::Command10, Way::MenuReplace, Way::MenuDelete}},
        {1, {kText2, kText1, kCheck1, kCommand2, kCommand3, kCommand1}, {Way::MenuReplace, Way::MenuDelete}},
        {2, {kCommand7, kCommand9, kCheck2, kText4}, {Way::MenuReplace, Way::MenuDelete}},
    };
    const auto act = [](Form1& window, Way way) {
        switch (way) {
        case Way::Command8: SendMessageW(window.Control(kCommand8), BM_CLICK, 0, 0); break;  // as a mouse click
        case Way::Command10: SendMessageW(window.Control(kCommand10), BM_CLICK, 0, 0); break;
        case Way::MenuReplace: SendMessageW(window.Window(), WM_COMMAND, MAKEWPARAM(kMenuReplace, 0), 0); break;
        case Way::MenuDelete: SendMessageW(window.Window(), WM_COMMAND, MAKEWPARAM(kMenuDelete, 0), 0); break;
        }
    };
    for (const From& from : table) {
        std::vector<Form1ControlId> focused = from.focused;
        focused.insert(focused.end(), bottomRow.begin(), bottomRow.end());
        for (const Form1ControlId control : focused) {
            for (const Way way : from.ways) {
                SCOPED_TRACE(testing::Message() << "page " << from.page << ", focus on " << control << ", way "
                                                << static_cast<int>(way));
                // The start page comes only once: each case from it gets a
                // window of its own.
                std::optional<Form1> fresh;
                if (from.page == 0) {
                    fresh.emplace(SystemRegistryApi(), SystemFileDialogApi(), shutdown);
                    ASSERT_TRUE(fresh->Create(GetModuleHandleW(nullptr)));
                    fresh->Show();
                    Pump();
                }
                Form1& window = from.page == 0 ? *fresh : form;
                if (from.page != 0) act(window, from.page == 1 ? Way::MenuReplace : Way::MenuDelete);
                window.GiveFocus(control);
                Pump();
                ASSERT_EQ(GetFocus(), window.Control(control));

                act(window, way);
                const bool toReplace = way == Way::Command8 || way == Way::MenuReplace;
                const HWND expected = window.Control(toReplace ? kText2 : kText4);
                EXPECT_TRUE(WaitUntil(
                    [&] {
                        Pump();
                        return GetFocus() == expected;
                    },
                    5000))
                    << "the focus is on " << GetDlgCtrlID(GetFocus());
                EXPECT_TRUE(IsWindowVisible(GetFocus()));
                if (fresh) {
                    DestroyWindow(fresh->Window());
                    TakeQuit();
                }
            }
        }
    }
}

// Enter and Space press the focused button of either kind; Enter in a box
// or on a check box presses the page's Apply; Alt and a letter press what it
// marks, or put the focus in the box a label names. Each row in a window of
// its own, on its page (0 start, 1 replace, 2 delete), from its focus.
TEST_F(Form1Test, KeysPressButtonsAndApplyAndMnemonicsReachTheirControls) {
    const wchar_t* both = L"Make sure you enter a Source AND Destination file";
    const wchar_t* name = L"Make sure you enter a File To Delete";
    const struct {
        int page;
        Form1ControlId focus;
        WPARAM key;  // VK_RETURN, VK_SPACE, or a letter with Alt
        Form1ControlId focusAfter;
        const wchar_t* message;  // null: none
    } rows[] = {
        {0, kCommand8, VK_RETURN, kText2, nullptr},   {0, kCommand10, VK_SPACE, kText4, nullptr},
        {0, kCommand6, 'p', kText2, nullptr},         {0, kCommand6, 'd', kText4, nullptr},
        {1, kText1, VK_RETURN, kText1, both},         {1, kCheck1, VK_RETURN, kCheck1, both},
        {1, kCommand1, VK_SPACE, kCommand1, both},    {2, kText4, VK_RETURN, kText4, name},
        {1, kText2, 's', kText1, nullptr},            {1, kText1, 't', kText2, nullptr},
        {1, kText2, 'a', kCommand1, both},            {2, kCommand7, 'o', kText4, nullptr},
        {2, kText4, 'y', kCommand7, name},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "page " << row.page << ", focus " << row.focus << ", key " << row.key);
        Form1 window(SystemRegistryApi(), SystemFileDialogApi(), shutdown);
        ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
        window.Show();
        ASSERT_TRUE(WaitUntil([&] { return Pump(), window.Control(kText1) != nullptr; }));
        if (row.page != 0)
            SendMessageW(window.Window(), WM_COMMAND, MAKEWPARAM(row.page == 1 ? kMenuReplace : kMenuDelete, 0), 0);
        window.GiveFocus(row.focus);
        const HWND focus = window.Control(row.focus);
        const std::vector<MessageBoxSeen> boxes = AnswerMessageBoxes(window.Window(), [&] {
            const bool alt = row.key != VK_RETURN && row.key != VK_SPACE;
            PostMessageW(focus, alt ? WM_SYSCHAR : WM_KEYDOWN, row.key, alt ? 1 << 29 : 0);
            if (!alt) PostMessageW(focus, WM_KEYUP, row.key, 0);
            Pump();
        });
        ASSERT_EQ(boxes.size(), row.message != nullptr ? 1u : 0u);
        if (row.message != nullptr) {
            EXPECT_EQ(boxes[0].text, row.message);
        }
        EXPECT_TRUE(WaitUntil([&] { return Pump(), GetFocus() == window.Control(row.focusAfter); }, 5000))
            << "the focus is on " << GetDlgCtrlID(GetFocus());
        DestroyWindow(window.Window());
        TakeQuit();
    }
}

// The default-button frame (and Enter) is on the focused push button,
// otherwise on the shown page's Apply: never left behind by the focus.
TEST_F(Form1Test, TheDefaultButtonFrameFollowsThePageAndTheFocusedButton) {
    // What is chosen (a menu item, or a control given the focus), and the button framed then.
    const std::pair<int, Form1ControlId> steps[] = {
        {kChameleonButton1, kChameleonButton1}, {kMenuReplace, kCommand1}, {kCommand2, kCommand2},
        {kCheck1, kCommand1}, {kMenuDelete, kCommand7}, {kCommand5, kCommand5}, {kText4, kCommand7}};
    for (const auto& step : steps) {
        if (step.first >= kMenuReplace) Menu(static_cast<Form1MenuId>(step.first));
        else form.GiveFocus(static_cast<Form1ControlId>(step.first));
        EXPECT_TRUE(WaitUntil([&] {
            Pump();
            for (const ControlLayout& c : Form1Controls())
                if (c.kind == ControlKind::Button && (c.id == step.second) !=
                        ((GetWindowLongW(Control(c.id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)) return false;
            return true;
        }, 5000)) << step.second;
        EXPECT_EQ(SendMessageW(form.Window(), DM_GETDEFID, 0, 0), MAKELRESULT(step.second, DC_HASDEFID));
    }
}

TEST_F(Form1Test, ExitButtonAndCloseButtonUnloadTheWindowAndEndTheProgram) {
    Click(kCommand4);
    EXPECT_FALSE(IsWindow(form.Window()));
    EXPECT_FALSE(form.FileDialogLoaded()) << "Form_Unload ran";
    EXPECT_TRUE(TakeQuit()) << "the program ends";

    Form1 second{SystemRegistryApi(), SystemFileDialogApi(), shutdown};
    ASSERT_TRUE(second.Create(GetModuleHandleW(nullptr)));
    second.Show();
    SendMessageW(second.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(second.Window()));
    EXPECT_FALSE(second.FileDialogLoaded());
    EXPECT_TRUE(TakeQuit());
}

TEST_F(Form1Test, MenuExitEndsTheProgramWithoutUnload) {
    Menu(kMenuExit);
    EXPECT_TRUE(TakeQuit()) << "the program ends";
    EXPECT_TRUE(IsWindow(form.Window())) << "the window goes with the process, not by unloading";
    EXPECT_TRUE(form.FileDialogLoaded()) << "Form_Unload did not run";
}

}  // namespace
}  // namespace pendrix::wine
