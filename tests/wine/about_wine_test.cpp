// "Info" and the About window under Wine: its layout, place and keyboard,
// and the main window coming back as it was however the About window closes.
#include <functional>
#include <thread>

#include "about/about_layout.h"
#include "common/wide_text.h"
#include "tests/wine/gui_test_support.h"

namespace pendrix::wine {
namespace {

HWND FindAbout() { return FindProcessWindow(L"PendrixAbout"); }

// What the second thread saw while the About window was open.
struct AboutVisit {
    bool shown = false;
    bool mainHidden = false;
    bool closed = false;
    bool alwaysAWindow = true;
    std::vector<std::string> failures;
    void Check(bool condition, const std::string& what) {
        if (!condition) failures.push_back(what);
    }
};

void CheckAboutLayout(HWND about, int dpi, AboutVisit& visit) {
    visit.Check(TextOf(about) == WideText(kAboutCaption), "caption");
    const RECT client = ClientRect(about);
    visit.Check(client.right == TwipsToPixels(kAboutClientTwips.width, dpi) &&
                    client.bottom == TwipsToPixels(kAboutClientTwips.height, dpi),
                "client area");
    // The client area's corner at its place, unless the window would then
    // reach past the work area of its monitor (at 144 DPI on 1024 x 768):
    // then it is moved just inside, its edge on the work area's.
    const POINT origin = ClientOrigin(about);
    const POINT place{TwipsToPixels(kAboutClientTwips.left, dpi), TwipsToPixels(kAboutClientTwips.top, dpi)};
    RECT outer{};
    GetWindowRect(about, &outer);
    MONITORINFO monitor{sizeof(monitor), {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(about, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    visit.Check(outer.left >= work.left && outer.top >= work.top && outer.right <= work.right &&
                    outer.bottom <= work.bottom,
                "within the work area");
    visit.Check(origin.x == place.x || (origin.x < place.x && outer.right == work.right), "left edge at its place");
    visit.Check(origin.y == place.y || (origin.y < place.y && outer.bottom == work.bottom), "top edge at its place");
    if (dpi == USER_DEFAULT_SCREEN_DPI) visit.Check(origin.x == place.x && origin.y == place.y, "at its place");
    const LONG style = GetWindowLongW(about, GWL_STYLE);
    visit.Check((style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0 && (style & WS_SYSMENU) != 0,
                "fixed dialog border with the close button");
    const HWND owner = GetWindow(about, GW_OWNER);
    visit.Check(owner != nullptr && !IsWindowVisible(owner) && owner != FindProcessWindow(L"PendrixForm1"),
                "owned by an invisible window of its own: no taskbar button");
    visit.Check((GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW) == 0, "no taskbar button");
    const auto pixels = [&](int twips) { return TwipsToPixels(twips, dpi); };
    for (const AboutControlLayout& expected : AboutControls()) {
        const HWND control = GetDlgItem(about, expected.id);
        const RECT rect = RectInParent(control);
        const std::string name = expected.name;
        visit.Check(ClassOf(control) == (expected.kind == AboutKind::Button ? "Button" : "Static"), name + " class");
        visit.Check(TextOf(control) == WideText(expected.text), name + " text");
        visit.Check(rect.left == pixels(expected.rect.left) && rect.top == pixels(expected.rect.top) &&
                        rect.right - rect.left == pixels(expected.rect.width) &&
                        rect.bottom - rect.top == pixels(expected.rect.height),
                    name + " rectangle");
    }
    // Required as such, not copied from the table.
    visit.Check(TextOf(GetDlgItem(about, kLblVersion)) == L"1.0.1", "the version shown");
    const RECT ok = RectInParent(GetDlgItem(about, kCmdOK));
    visit.Check(ok.left == Scaled(283, dpi) && ok.bottom - ok.top == Scaled(23, dpi), "OK where it always was");
    const LONG okStyle = GetWindowLongW(GetDlgItem(about, kCmdOK), GWL_STYLE);
    visit.Check((okStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON && (okStyle & WS_TABSTOP) != 0, "OK is the default button");
}

class AboutTest : public Form1Window {
protected:
    void SetUp() override { Launch(); }

    // Clicks Info; a second thread checks the About window and closes it.
    AboutVisit Visit(const std::function<void(HWND about)>& close) {
        AboutVisit visit;
        const HWND main = form.Window();
        // Notes when neither window shows. The program shows About before it
        // hides the main window, so a moment with both visible is expected.
        const auto anyVisible = [&] {
            const HWND about = FindAbout();
            if (!IsWindowVisible(main) && (about == nullptr || !IsWindowVisible(about))) visit.alwaysAWindow = false;
        };
        std::thread user([&] {
            HWND about = nullptr;
            visit.shown = WaitUntil([&] {
                anyVisible();
                about = FindAbout();
                return about != nullptr && IsWindowVisible(about);
            });
            if (!visit.shown) return;
            visit.mainHidden = WaitUntil([&] {
                anyVisible();
                return !IsWindowVisible(main);
            });
            // The focus of the program's thread comes to OK.
            visit.Check(WaitUntil([&] {
                            GUITHREADINFO thread{sizeof(thread), 0, {}, {}, {}, {}, {}, {}, {}};
                            GetGUIThreadInfo(GetWindowThreadProcessId(about, nullptr), &thread);
                            return thread.hwndFocus == GetDlgItem(about, kCmdOK);
                        }),
                        "focus on OK");
            CheckAboutLayout(about, dpi, visit);
            close(about);
            visit.closed = WaitUntil([&] {
                anyVisible();
                return FindAbout() == nullptr;
            });
        });
        Click(kCommand6);
        user.join();
        return visit;
    }

    const int dpi = ExpectedDpi();
};

TEST_F(AboutTest, ClosingTheAboutWindowAnyWayBringsBackTheMainWindowAsItWas) {
    Click(kCommand10);
    form.Text(kText4, "C:\\Windows\\system32\\locked.dll");
    form.Text(kText1, "C:\\source.dll");
    SendMessageW(form.Control(kCheck2), BM_CLICK, 0, 0);
    const auto texts = [&] { return form.Text(kText1) + "|" + form.Text(kText2) + "|" + form.Text(kText4); };
    const std::string textsBefore = texts();

    const auto key = [](WPARAM pressed) {
        return [pressed](HWND about) {
            const HWND ok = GetDlgItem(about, kCmdOK);
            PostMessageW(ok, WM_KEYDOWN, pressed, 0);
            PostMessageW(ok, WM_KEYUP, pressed, 0);
        };
    };
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = {
        {"OK", [](HWND about) { PostMessageW(GetDlgItem(about, kCmdOK), BM_CLICK, 0, 0); }},
        {"Enter", key(VK_RETURN)},
        {"Esc", key(VK_ESCAPE)},
        {"close button", [](HWND about) { PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    // Each showing starts from the same layout: the window is made anew.
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        const AboutVisit visit = Visit(close);
        ASSERT_TRUE(visit.shown);
        EXPECT_TRUE(visit.mainHidden);
        ASSERT_TRUE(visit.closed);
        EXPECT_TRUE(visit.alwaysAWindow) << "the program was left without a visible window";
        for (const std::string& failure : visit.failures) ADD_FAILURE() << failure;
        Pump();
        EXPECT_EQ(FindAbout(), nullptr) << "unloaded";
        EXPECT_TRUE(IsWindowVisible(form.Window()));
        EXPECT_TRUE(IsWindowVisible(form.Control(kFrame2)));
        EXPECT_FALSE(IsWindowVisible(form.Control(kFrame1)));
        EXPECT_FALSE(IsWindowVisible(form.Control(kCommand8)));
        EXPECT_EQ(texts(), textsBefore);
        EXPECT_TRUE(form.Ticked(kCheck1));
        EXPECT_FALSE(form.Ticked(kCheck2));
        EXPECT_TRUE(form.FileDialogLoaded());
    }
}

}  // namespace
}  // namespace pendrix::wine
