// Form1's real window under Wine, as Explorer reaches it: a page opened from
// the command line, and files dropped on its boxes as Explorer drops them
// (an HDROP of DROPFILES posted with WM_DROPFILES).
#include "tests/wine/gui_test_support.h"

#include <shlobj.h>

#include <set>
#include <utility>
#include <vector>

#include "common/wide_text.h"

namespace pendrix::wine {
namespace {

// Records the messages the window lets through and answers with Windows'
// own calls. Wine has no integrity levels: ChangeWindowMessageFilterEx
// changes nothing there, so the calls themselves are what can be checked.
class RecordingDropApi : public DropApi {
public:
    std::uint32_t AllowMessage(std::intptr_t window, std::uint32_t message) override {
        allowed.insert({reinterpret_cast<HWND>(window), message});
        return SystemDropApi().AllowMessage(window, message);
    }
    std::uint32_t TakeDroppedNames(std::intptr_t drop, std::vector<std::string>& names) override {
        return SystemDropApi().TakeDroppedNames(drop, names);
    }
    std::set<std::pair<HWND, std::uint32_t>> allowed;
};

RecordingDropApi g_drops;

// What Explorer hands over on a drop: DROPFILES, then the names in UTF-16,
// each with its NUL, and one NUL more.
HGLOBAL MakeDrop(const std::vector<std::wstring>& names) {
    std::size_t units = 1;
    for (const std::wstring& name : names) units += name.size() + 1;
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = POINT{5, 5};
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(drop) + sizeof(DROPFILES));
    for (const std::wstring& name : names) {
        std::copy(name.begin(), name.end(), out);
        out += name.size() + 1;
    }
    GlobalUnlock(memory);
    return memory;
}

class Form1Shell : public Form1Window {
protected:
    Form1Shell() : Form1Window(SystemFileSystemApi(), g_drops) {}
    void SetUp() override {
        g_drops.allowed.clear();
        CreateDirectoryW(kFolder, nullptr);
        const HANDLE file = CreateFileW(kFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        Launch();
        // The pages' controls are made right after the window shows.
        ASSERT_TRUE(WaitUntil([&] {
            Pump();
            return Control(kText1) != nullptr;
        }));
    }
    void TearDown() override {
        Form1Window::TearDown();
        DeleteFileW(kFile);
        RemoveDirectoryW(kFolder);
    }
    // Posts a drop of names to box, as Windows posts it, and waits until the
    // window has handled it.
    void DropOn(Form1ControlId box, const std::vector<std::wstring>& names) {
        ASSERT_TRUE(PostMessageW(Control(box), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0));
        Pump();
    }
    bool Visible(Form1ControlId id) { return IsWindowVisible(Control(id)) != FALSE; }

    static constexpr const wchar_t* kFolder = L"C:\\pendrix_drop_test";
    static constexpr const wchar_t* kFile = L"C:\\pendrix_drop_test\\dropped file.txt";
};

TEST_F(Form1Shell, EachBoxLetsOnlyTheDropMessagesThroughAndTakesDrops) {
    std::set<std::pair<HWND, std::uint32_t>> expected;
    for (const Form1ControlId box : {kText1, kText2, kText4})
        for (const std::uint32_t message : {0x0233u, 0x004Au, 0x0049u}) expected.insert({Control(box), message});
    EXPECT_EQ(g_drops.allowed, expected);
    for (const ControlLayout& layout : Form1Controls()) {
        const bool takesDrops = layout.id == kText1 || layout.id == kText2 || layout.id == kText4;
        EXPECT_EQ((GetWindowLongW(Control(layout.id), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0, takesDrops)
            << layout.name;
    }
    EXPECT_EQ(GetWindowLongW(form.Window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
}

TEST_F(Form1Shell, EachBoxTakesTheFileOrFolderDroppedOnIt) {
    const struct {
        Form1ControlId box;
        Form1MenuId page;
        const wchar_t* name;
    } cases[] = {
        {kText2, kMenuReplace, kFile},
        {kText1, kMenuReplace, kFile},
        {kText4, kMenuDelete, kFile},
        {kText4, kMenuDelete, kFolder},  // a folder is taken as its path
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.box);
        SendMessageW(form.Window(), WM_COMMAND, MAKEWPARAM(test.page, 0), 0);
        form.Text(test.box, "typed before");
        DropOn(test.box, {test.name});
        EXPECT_TRUE(WaitUntil([&] {
            Pump();
            return form.Text(test.box) == TextOfWide(test.name);
        }));
        EXPECT_EQ(GetFocus(), Control(test.box));
    }
    // Each drop changed its own box only.
    EXPECT_EQ(form.Text(kText1), TextOfWide(kFile));
    EXPECT_EQ(form.Text(kText2), TextOfWide(kFile));
}

// A drop on a box nobody sees changes nothing and leaves the focus.
TEST_F(Form1Shell, ADropOnAHiddenBoxIsIgnored) {
    for (const auto& [page, box] : {std::pair{kMenuReplace, kText4}, std::pair{kMenuDelete, kText1}}) {
        SendMessageW(form.Window(), WM_COMMAND, MAKEWPARAM(page, 0), 0);
        const HWND focus = GetFocus();
        DropOn(box, {kFile});
        EXPECT_EQ(form.Text(box), "");
        EXPECT_EQ(GetFocus(), focus);
    }
}

TEST_F(Form1Shell, SeveralFilesDroppedTheBoxTakesTheFirstAndSaysSo) {
    SendMessageW(form.Window(), WM_COMMAND, MAKEWPARAM(kMenuDelete, 0), 0);
    const std::vector<MessageBoxSeen> boxes = AnswerMessageBoxes(form.Window(), [&] {
        DropOn(kText4, {kFile, L"C:\\windows", L"C:\\other.txt"});
    });
    EXPECT_EQ(form.Text(kText4), TextOfWide(kFile));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Pendrix");
    EXPECT_EQ(boxes[0].text, L"3 files were dropped on File To Delete, which takes one name: it holds the first, \"" +
                                 std::wstring(kFile) + L"\". Drop the others one at a time.");
}

TEST_F(Form1Shell, CommandLineOpensThePageWithTheNameAndDoesNothingElse) {
    form.OpenFromCommandLine(ParseWindowArguments({"/replace", "C:\\x y\\old.dll"}));
    Pump();
    EXPECT_TRUE(Visible(kFrame1));
    EXPECT_FALSE(Visible(kFrame2));
    EXPECT_FALSE(Visible(kCommand8));
    EXPECT_EQ(form.Text(kText2), "C:\\x y\\old.dll");
    EXPECT_EQ(form.Text(kText1), "");
    EXPECT_EQ(GetFocus(), Control(kText1)) << "the source is what is left to name";

    form.OpenFromCommandLine(ParseWindowArguments({"/DELETE", "C:\\x y\\old.dll"}));
    Pump();
    EXPECT_TRUE(Visible(kFrame2));
    EXPECT_FALSE(Visible(kFrame1));
    EXPECT_EQ(form.Text(kText4), "C:\\x y\\old.dll");
    EXPECT_EQ(GetFocus(), Control(kText4));
}

TEST_F(Form1Shell, CommandLineNotUnderstoodShowsTheStartPageAndOneMessage) {
    const std::vector<MessageBoxSeen> boxes = AnswerMessageBoxes(form.Window(), [&] {
        form.OpenFromCommandLine(ParseWindowArguments({"/open", "C:\\x.dll"}));
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind(L"Pendrix did not understand \"/open\" on its command line.", 0), 0u);
    EXPECT_FALSE(boxes[0].icon);
    EXPECT_TRUE(Visible(kCommand8));
    EXPECT_TRUE(Visible(kCommand10));
    EXPECT_FALSE(Visible(kFrame1));
    EXPECT_FALSE(Visible(kFrame2));
}

}  // namespace
}  // namespace pendrix::wine
