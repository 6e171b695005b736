// "Info" and the About window under Wine: its layout, place and keyboard,
// and the main window coming back as it was however the About window closes.
#include <gtest/gtest.h>

#include "app/Form1.h"

#include <functional>
#include <thread>

#include "about/about_layout.h"
#include "tests/wine/dialog_driver.h"
#include "tests/wine/gui_test_support.h"
#include "tests/wine/no_restart_shutdown_api.h"

namespace pendrix::wine {
namespace {

struct ExpectedAboutControl {
    int id;
    const char* className;
    const wchar_t* text;
    RECT rect;  // left, top, width, height in pixels at 96 DPI
};

const std::vector<ExpectedAboutControl> kAboutControls = {
    {kPicIcon, "Static", L"", {16, 16, 32, 32}},
    {kLblTitle, "Static",
     L"Korvane Pendrix - Be very Careful. File deletions made by this utility can not be undone.", {64, 16, 275, 32}},
    {kLblVersion, "Static", L"1.0.1", {64, 52, 275, 15}},
    {kLblDescription, "Static",
     L"This utility allows the user to replace, or delete files that are in use by the system, and can't be "
     L"replaced, or deleted normally, such as corrupt system files. Can also be used to delete Trojan Virii that "
     L"are locked by the system. Changes occur at system reboot..",
     {56, 75, 275, 78}},
    {kLblDisclaimer, "Static",
     L"Many system and dll files can be downloaded free from https://www.catalog.update.microsoft.com",
     {17, 184, 258, 47}},
    {kCmdOK, "Button", L"OK", {283, 192, 84, 23}},
};

HWND FindAbout() { return FindWindowW(L"PendrixAbout", nullptr); }

// What the second thread saw while the About window was open.
struct AboutVisit {
    bool shown = false;
    bool mainHidden = false;
    bool alwaysAWindow = true;
    std::vector<std::string> failures;
    void Check(bool condition, const std::string& what) {
        if (!condition) failures.push_back(what);
    }
};

void CheckAboutLayout(HWND about, int dpi, AboutVisit& visit) {
    visit.Check(TextOf(about) == L"About Pendrix", "caption");
    const RECT client = ClientRect(about);
    visit.Check(client.right == Scaled(382, dpi) && client.bottom == Scaled(237, dpi), "client area");
    const POINT origin = ClientOrigin(about);
    visit.Check(origin.x == Scaled(318, dpi) && origin.y == Scaled(263, dpi), "position of the client area");
    const LONG style = GetWindowLongW(about, GWL_STYLE);
    visit.Check((style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0 && (style & WS_SYSMENU) != 0,
                "fixed dialog border with the close button");
    const HWND owner = GetWindow(about, GW_OWNER);
    visit.Check(owner != nullptr && !IsWindowVisible(owner) && owner != FindWindowW(L"PendrixForm1", nullptr),
                "owned by an invisible window of its own: no taskbar button");
    visit.Check((GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW) == 0, "no taskbar button");
    for (const ExpectedAboutControl& expected : kAboutControls) {
        const HWND control = GetDlgItem(about, expected.id);
        const RECT rect = RectInParent(control);
        const std::string name = std::to_string(expected.id);
        visit.Check(ClassOf(control) == expected.className, name + " class");
        visit.Check(TextOf(control) == expected.text, name + " text");
        visit.Check(rect.left == Scaled(expected.rect.left, dpi) && rect.top == Scaled(expected.rect.top, dpi) &&
                        rect.right - rect.left == Scaled(expected.rect.right, dpi) &&
                        rect.bottom - rect.top == Scaled(expected.rect.bottom, dpi),
                    name + " rectangle");
    }
    const LONG ok = GetWindowLongW(GetDlgItem(about, kCmdOK), GWL_STYLE);
    visit.Check((ok & BS_TYPEMASK) == BS_DEFPUSHBUTTON && (ok & WS_TABSTOP) != 0, "OK is the default button");
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr)));
        form.Show();
        Pump();
    }
    void TearDown() override {
        if (IsWindow(form.Window())) DestroyWindow(form.Window());
        TakeQuit();
    }

    // Clicks Info; a second thread checks the About window and closes it.
    AboutVisit Visit(const std::function<void(HWND about)>& close) {
        AboutVisit visit;
        const HWND main = form.Window();
        std::thread user([&] {
            HWND about = nullptr;
            visit.shown = WaitUntil([&] {
                const bool any = IsWindowVisible(main) || (FindAbout() != nullptr && IsWindowVisible(FindAbout()));
                if (!any) visit.alwaysAWindow = false;
                about = FindAbout();
                return about != nullptr && IsWindowVisible(about);
            });
            if (!visit.shown) return;
            visit.mainHidden = !IsWindowVisible(main);
            // The focus of the program's thread is on OK.
            GUITHREADINFO thread{sizeof(thread), 0, {}, {}, {}, {}, {}, {}, {}};
            GetGUIThreadInfo(GetWindowThreadProcessId(about, nullptr), &thread);
            visit.Check(thread.hwndFocus == GetDlgItem(about, kCmdOK), "focus on OK");
            CheckAboutLayout(about, dpi, visit);
            close(about);
            WaitUntil([&] {
                if (!IsWindowVisible(main) && FindAbout() == nullptr) visit.alwaysAWindow = false;
                return FindAbout() == nullptr;
            });
        });
        SendMessageW(form.Control(kCommand6), BM_CLICK, 0, 0);
        user.join();
        return visit;
    }

    const int dpi = ExpectedDpi();
    NoRestartShutdownApi shutdown;
    Form1 form{SystemRegistryApi(), SystemFileDialogApi(), shutdown};
};

TEST_F(AboutTest, ClosingTheAboutWindowAnyWayBringsBackTheMainWindowAsItWas) {
    SendMessageW(form.Control(kCommand10), BM_CLICK, 0, 0);
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
