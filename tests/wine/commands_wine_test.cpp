// The commands of the main window under Wine, driven through its real
// controls as a user would: the message boxes are read and dismissed, files
// are kept in use by another process, and the stored list is read with the
// W registry functions directly.
#include <aclapi.h>

#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>

#include <reason.h>

#include "common/utf16_text.h"
#include "tests/wine/gui_test_support.h"
#include "tests/wine/held_file.h"
#include "tests/wine/test_files.h"
#include "tests/wine/wine_registry_fixture.h"
#include "tests/wine/writes_refused.h"

namespace pendrix::wine {
namespace {

constexpr wchar_t kFolder[] = L"C:\\pendrix commands";
const std::wstring kNul(1, L'\0');

// This computer's file system, which a test can make fail with an exception
// in the middle of a command, as an unforeseen fault deep in it would.
class FileSystemThatCanThrow : public FileSystemApi {
public:
    bool armed = false;

    WinStatus Attributes(const std::string& path, std::uint32_t& attributes) override {
        return Real().Attributes(path, attributes);
    }
    WinStatus Facts(const std::string& path, FileFacts& facts) override { return Real().Facts(path, facts); }
    WinStatus SetAttributes(const std::string& path, std::uint32_t attributes) override {
        return Real().SetAttributes(path, attributes);
    }
    WinStatus Remove(const std::string& path) override { return Real().Remove(path); }
    WinStatus RemoveFolder(const std::string& path) override { return Real().RemoveFolder(path); }
    WinStatus Copy(const std::string& source, const std::string& target) override {
        return Real().Copy(source, target);
    }
    WinStatus MoveOver(const std::string& source, const std::string& target) override {
        return Real().MoveOver(source, target);
    }
    WinStatus Replace(const std::string& replaced, const std::string& replacement,
                          const std::string& backup) override {
        return Real().Replace(replaced, replacement, backup);
    }
    WinStatus CreateTempFile(const std::string& folder, std::string& path) override {
        return Real().CreateTempFile(folder, path);
    }
    WinStatus CreateNewFile(const std::string& path, const std::string& bytes) override {
        return Real().CreateNewFile(path, bytes);
    }
    WinStatus Identity(const std::string& path, FileIdentity& identity) override {
        return Real().Identity(path, identity);
    }
    WinStatus Describe(const std::string& path, FileDescription& description) override {
        return Real().Describe(path, description);
    }
    WinStatus FindFiles(const std::string& pattern, std::vector<FoundFile>& found) override {
        return Real().FindFiles(pattern, found);
    }
    WinStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
        return Real().ListFolder(folder, entries);
    }
    WinStatus ReadAll(const std::string& path, std::string& bytes) override { return Real().ReadAll(path, bytes); }
    WinStatus FullPath(const std::string& path, std::string& full) override { return Real().FullPath(path, full); }
    std::uint32_t DriveType(const std::string& root) override { return Real().DriveType(root); }
    WinStatus Rename(const std::string& source, const std::string& target) override {
        return Real().Rename(source, target);
    }
    WinStatus CreateStagedCopy(const std::string& source, const std::string& target, const std::string& model,
                               std::uint32_t attributes) override {
        return Real().CreateStagedCopy(source, target, model, attributes);
    }
    WinStatus OpenForReading(const std::string& path) override { return Real().OpenForReading(path); }
    WinStatus OpenForDeleting(const std::string& path) override { return Real().OpenForDeleting(path); }
    WinStatus Owner(const std::string& path, std::string& owner) override { return Real().Owner(path, owner); }
    WinStatus SecureLike(const std::string& model, const std::string& target) override {
        return Real().SecureLike(model, target);
    }
    WinStatus FinalName(const std::string& path, std::string& final) override {
        return Real().FinalName(path, final);
    }
    WinStatus IsLink(const std::string& path, bool& link) override { return Real().IsLink(path, link); }
    WinStatus RemoveLink(const std::string& path) override { return Real().RemoveLink(path); }
    WinStatus UsersMayChange(const std::string& folder, bool& may) override {
        return Real().UsersMayChange(folder, may);
    }
    WinStatus Use(const std::string& path, FileUse& use) override { return Real().Use(path, use); }
    WinStatus Rules(const std::string& path, AccessRules& rules) override { return Real().Rules(path, rules); }

private:
    FileSystemApi& Real() {
        if (armed) throw std::runtime_error("the disk went away");
        return SystemFileSystemApi();
    }
};

// One for the whole run: the window of each test works through it.
FileSystemThatCanThrow files;

class CommandsOnWine : public Form1Window {
protected:
    CommandsOnWine() : Form1Window(files) {}
    void SetUp() override {
        files.armed = false;
        RemoveFolder(kFolder);
        CreateDirectoryW(kFolder, nullptr);
    }
    void TearDown() override {
        Form1Window::TearDown();
        RemoveFolder(kFolder);
    }

    static std::wstring Path(const std::wstring& name) { return std::wstring(kFolder) + L"\\" + name; }
    void Type(Form1ControlId box, const std::wstring& text) { SetWindowTextW(Control(box), text.c_str()); }
    std::wstring Box(Form1ControlId box) { return TextOf(Control(box)); }
    // Clicks a button and plays the user of every message box it brings up:
    // checks its caption, its single button and that it shows no icon,
    // presses OK, and gives the texts shown in order.
    std::vector<std::wstring> ClickAndAnswer(Form1ControlId id) {
        std::vector<std::wstring> texts;
        for (const MessageBoxSeen& box : AnswerMessageBoxes(form.Window(), [&] { Click(id); })) {
            texts.push_back(box.text);
            EXPECT_EQ(box.caption, L"Pendrix");
            EXPECT_EQ(box.buttons, 1);
            EXPECT_FALSE(box.icon);
        }
        return texts;
    }
    RawValue Stored() const { return ReadRawW(key, ClearedPendingValue::kName); }
    std::wstring StoredText() const { return WideText(Stored()); }
    void StoreAsAnotherProgram(const std::wstring& text) {
        ASSERT_EQ(WriteRawW(key, ClearedPendingValue::kName, REG_MULTI_SZ, text), ERROR_SUCCESS);
    }

    ClearedPendingValue pending;
    HKEY& key = pending.key;
};

using Texts = std::vector<std::wstring>;
const Texts kReboot{L"Please reboot for your changes to take effect."};

TEST_F(CommandsOnWine, AScheduledReplacementOfAnAbsentListIsExactlyOnePair) {
    Launch();
    Click(kCommand8);
    Click(kCheck1);  // untick: schedule only
    WriteFile(Path(L"lib.dll"), "new");
    // Typed with "/", a detour and a trailing blank: the list gets the full
    // name Windows makes of it.
    const std::wstring source = std::wstring(kFolder) + L"/sub/../lib.dll ";
    const std::wstring destination = Path(L"库 файл.dll");
    Type(kText1, source);
    Type(kText2, destination);
    EXPECT_EQ(ClickAndAnswer(kCommand1), kReboot);
    // What the restart installs is a copy made now beside the destination.
    EXPECT_EQ(StoredText(), L"\\??\\" + destination + L".pendrix-new-1" + kNul + L"!\\??\\" + destination + kNul + kNul);
    EXPECT_EQ(ReadFile(destination + L".pendrix-new-1"), "new");
    EXPECT_EQ(Box(kText1), L"");
    EXPECT_EQ(Box(kText2), L"");
    EXPECT_EQ(Box(kText3), L"");
    EXPECT_EQ(GetFocus(), Control(kText2));

    // Nothing typed: asked for both names, nothing written.
    EXPECT_EQ(ClickAndAnswer(kCommand1), Texts{L"Make sure you enter a Source AND Destination file"});
    EXPECT_EQ(Box(kText3), L"\\??\\" + destination + L".pendrix-new-1") << "the first string of the list read";
}

TEST_F(CommandsOnWine, ADestinationInUseIsScheduledAfterAnotherProgramsList) {
    // Another program's list, ending with a deletion, with a name no code
    // page holds (a lone surrogate) and CJK.
    const std::wstring other = std::wstring(L"\\??\\C:\\setup\\日本\xD800.tmp") + kNul + kNul;
    StoreAsAnotherProgram(other + kNul);
    WriteFile(Path(L"new.dll"), "new");
    WriteFile(Path(L"app.dll"), "old");
    const HeldFile held(Path(L"app.dll"));
    ASSERT_TRUE(held.Holding());
    Launch();
    Click(kCommand8);
    Type(kText1, Path(L"new.dll"));
    Type(kText2, Path(L"app.dll"));
    EXPECT_EQ(ClickAndAnswer(kCommand1), kReboot);
    EXPECT_EQ(StoredText(),
              other + L"\\??\\" + Path(L"app.dll.pendrix-new-1") + kNul + L"!\\??\\" + Path(L"app.dll") + kNul + kNul);
    EXPECT_EQ(ReadFile(Path(L"app.dll")), "old");
    EXPECT_EQ(FolderContents(kFolder), (std::vector<std::wstring>{L"app.dll", L"app.dll.pendrix-new-1", L"new.dll"}));
}

TEST_F(CommandsOnWine, AFreeDestinationIsReplacedAtOnce) {
    WriteFile(Path(L"new.dll"), "new");
    WriteFile(Path(L"app.dll"), "old");
    Launch();
    Click(kCommand8);
    Type(kText1, Path(L"new.dll"));
    Type(kText2, Path(L"app.dll"));
    EXPECT_EQ(ClickAndAnswer(kCommand1), Texts{L"File Was Not In Use..\r\nFile Copy Successful."});
    EXPECT_EQ(ReadFile(Path(L"app.dll")), "new");
    EXPECT_EQ(ReadFile(Path(L"new.dll")), "new") << "the source stays";
    EXPECT_EQ(Stored().status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Box(kText1), Path(L"new.dll"));
    EXPECT_EQ(Box(kText2), Path(L"app.dll"));
    EXPECT_EQ(FolderContents(kFolder), (std::vector<std::wstring>{L"app.dll", L"new.dll"})) << "no stray copy";
}

TEST_F(CommandsOnWine, DeleteAtOnceOrScheduleWhatIsInUse) {
    for (const wchar_t* name : {L"free.txt", L"used.txt", L"a.log", L"b.log", L"c.log", L"only.tmp"})
        WriteFile(Path(name), "x");
    const HeldFile used(Path(L"used.txt"));
    const HeldFile usedLog(Path(L"b.log"));
    ASSERT_TRUE(used.Holding() && usedLog.Holding());
    Launch();
    Click(kCommand10);
    EXPECT_EQ(ClickAndAnswer(kCommand7), Texts{L"Make sure you enter a File To Delete"});

    Type(kText4, Path(L"free.txt"));
    EXPECT_EQ(ClickAndAnswer(kCommand7), Texts{L"Forced File Deletion Successful."});
    EXPECT_FALSE(ReadFile(Path(L"free.txt")));
    EXPECT_EQ(Stored().status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Box(kText4), Path(L"free.txt"));

    Type(kText4, Path(L"used.txt"));
    EXPECT_EQ(ClickAndAnswer(kCommand7), kReboot);
    // A pattern of one file asks nothing.
    Type(kText4, Path(L"onl?.tmp"));
    EXPECT_EQ(ClickAndAnswer(kCommand7), Texts{L"1 file was deleted now; 0 files are scheduled for deletion at the "
                                               L"next start.\r\nForced File Deletion Successful."});
    // More than one: one question first, No the default; No changes nothing.
    Type(kText4, Path(L"*.log"));
    for (const int answer : {IDNO, IDYES}) {
        const std::vector<MessageBoxSeen> boxes = AnswerMessageBoxes(
            form.Window(), [&] { Click(kCommand7); }, [&](const MessageBoxSeen&) { return answer; });
        ASSERT_EQ(boxes.size(), answer == IDNO ? 1u : 2u);
        EXPECT_EQ(boxes[0].text, L"Delete 3 files now? Those in use are scheduled for deletion at the next start."
                                 L"\r\n\r\n" + Path(L"a.log") + L"\r\n" + Path(L"b.log") + L"\r\n" + Path(L"c.log"));
        EXPECT_EQ(boxes[0].defaultButton, IDNO);
        EXPECT_EQ(boxes.back().text, answer == IDNO ? boxes[0].text
                                                    : L"2 files were deleted now; 1 file is scheduled for deletion "
                                                      L"at the next start.\r\n" + kReboot[0]);
        EXPECT_EQ(FolderContents(kFolder).size(), answer == IDNO ? 4u : 2u);
    }
    EXPECT_EQ(Box(kText4), Path(L"*.log"));
    EXPECT_EQ(GetFocus(), Control(kText4));
    // The pattern's leftover is scheduled by its full name; the rest is gone.
    EXPECT_EQ(StoredText(), L"\\??\\" + Path(L"used.txt") + kNul + kNul + L"\\??\\" + Path(L"b.log") + kNul + kNul +
                                kNul);
    EXPECT_EQ(FolderContents(kFolder), (std::vector<std::wstring>{L"b.log", L"used.txt"}));
}

TEST_F(CommandsOnWine, CancelAllTakesBackExactlyThisSessionsPairs) {
    const std::wstring atStart = std::wstring(L"\\??\\C:\\Старый\\a.dll") + kNul + L"!\\??\\C:\\b.dll" + kNul + kNul;
    StoreAsAnotherProgram(atStart);
    const RawValue before = Stored();
    for (const wchar_t* name : {L"s.dll", L"e.log"}) WriteFile(Path(name), "x");
    Launch();
    Click(kCommand8);
    Click(kCheck1);
    Type(kText1, Path(L"s.dll"));
    Type(kText2, Path(L"d.dll"));
    EXPECT_EQ(ClickAndAnswer(kCommand1), kReboot);
    Click(kCommand10);
    Click(kCheck2);
    Type(kText4, Path(L"e.log"));
    EXPECT_EQ(ClickAndAnswer(kCommand7), kReboot);
    const Texts reversed{L"Changes on files in use since this program launched have been reversed."};
    EXPECT_EQ(ClickAndAnswer(kChameleonButton1), reversed);
    EXPECT_EQ(Stored().bytes, before.bytes);
    // Nothing is said to be reversed that was not.
    EXPECT_EQ(ClickAndAnswer(kChameleonButton1),
              Texts{L"Nothing this session scheduled was left to take back. 1 file operation is still pending."});
    EXPECT_EQ(Stored().bytes, before.bytes);

    // An installer schedules its own pair meanwhile: it stays.
    EXPECT_EQ(ClickAndAnswer(kCommand7), kReboot);
    const std::wstring installer = std::wstring(L"\\??\\C:\\setup.tmp") + kNul + kNul;
    StoreAsAnotherProgram(StoredText() + installer);
    EXPECT_EQ(ClickAndAnswer(kChameleonButton1), reversed);
    EXPECT_EQ(StoredText(), atStart + installer);
}

TEST_F(CommandsOnWine, CancelAllWithNoListAtStartDeletesTheValue) {
    WriteFile(Path(L"e.log"), "x");
    Launch();
    EXPECT_EQ(ClickAndAnswer(kChameleonButton1),
              Texts{L"This session scheduled nothing, so nothing was reversed. No file operations are pending."});
    EXPECT_EQ(Stored().status, ERROR_FILE_NOT_FOUND);
    Click(kCommand10);
    Click(kCheck2);
    Type(kText4, Path(L"e.log"));
    EXPECT_EQ(ClickAndAnswer(kCommand7), kReboot);
    EXPECT_EQ(ClickAndAnswer(kChameleonButton1),
              Texts{L"Changes on files in use since this program launched have been reversed."});
    EXPECT_EQ(Stored().status, ERROR_FILE_NOT_FOUND);

    // An installer schedules through Windows afterwards: its name is stored
    // whole (a value of no data would cost it its first character here).
    WriteFile(Path(L"setup.tmp"), "x");
    ASSERT_TRUE(MoveFileExW(Path(L"setup.tmp").c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    EXPECT_EQ(StoredText(), L"\\??\\" + Path(L"setup.tmp") + kNul + kNul + kNul);
}

// A list another program stored without its closing NULs (RegSetValueExW
// given exactly its units): one Apply, then Cancel All, and the value is
// again the very bytes found at start, not one NUL more.
TEST_F(CommandsOnWine, CancelAllGivesBackAListWithoutItsClosingNulsByteForByte) {
    const std::wstring atStart = L"\\??\\C:\\pendrix commands\\a.txt" + kNul + L"!\\??\\C:\\pendrix commands\\b.txt";
    WriteFile(Path(L"e.log"), "x");
    WriteFile(Path(L"new.dll"), "new");
    WriteFile(Path(L"held.dll"), "old");
    const HeldFile held(Path(L"held.dll"));
    ASSERT_TRUE(held.Holding());
    ASSERT_EQ(WriteExactW(key, ClearedPendingValue::kName, REG_MULTI_SZ, atStart), ERROR_SUCCESS);
    const RawValue before = Stored();
    ASSERT_EQ(before.bytes.size(), atStart.size() * sizeof(wchar_t));
    Launch();
    // Through the delete page, then the replace page (a file in use, from a staged copy).
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replace page" : "delete page");
        Click(replace ? kCommand8 : kCommand10);
        if (replace) {
            Type(kText1, Path(L"new.dll"));
            Type(kText2, Path(L"held.dll"));
        } else {
            Click(kCheck2);
            Type(kText4, Path(L"e.log"));
        }
        EXPECT_EQ(ClickAndAnswer(replace ? kCommand1 : kCommand7), kReboot);
        EXPECT_NE(Stored().bytes, before.bytes);
        EXPECT_EQ(ClickAndAnswer(kChameleonButton1),
                  Texts{L"Changes on files in use since this program launched have been reversed."});
        EXPECT_EQ(Stored().bytes, before.bytes);
    }
}

// A read-only file is made writable for its scheduled deletion, and is
// read-only again once Cancel All has taken the deletion back.
TEST_F(CommandsOnWine, CancelAllGivesTheReadOnlyAttributeBack) {
    const std::wstring file = Path(L"protected.ini");
    WriteFile(file, "x");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const DWORD before = GetFileAttributesW(file.c_str());
    const HeldFile held(file);
    ASSERT_TRUE(held.Holding());
    Launch();
    Click(kCommand10);
    Type(kText4, file);
    EXPECT_EQ(ClickAndAnswer(kCommand7), kReboot);
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "writable for the start-up processing";
    EXPECT_EQ(ClickAndAnswer(kChameleonButton1),
              Texts{L"Changes on files in use since this program launched have been reversed."});
    EXPECT_EQ(GetFileAttributesW(file.c_str()), before);
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// "Restart" asks first, with Yes and No (No the default), what waits for
// the restart; only Yes asks Windows to restart, letting programs close
// (EWX_FORCEIFHUNG, never EWX_FORCE) with a planned reason. The request
// goes to a stand-in: a real one would end this session.
TEST_F(CommandsOnWine, RestartAsksFirstAndRestartsOnlyOnYes) {
    const std::wstring deletion = L"\\??\\C:\\a.tmp" + kNul + kNul;
    const std::wstring rename = L"\\??\\C:\\b.tmp" + kNul + L"!\\??\\C:\\c.tmp" + kNul;
    struct Case {
        const char* name;
        std::wstring list;  // empty: none
        int answer;
        const wchar_t* waiting;
    };
    const Case cases[] = {
        {"nothing scheduled, No", L"", IDNO, L"Nothing is waiting for a restart."},
        {"nothing scheduled, Yes", L"", IDYES, L"Nothing is waiting for a restart."},
        {"one, Yes", deletion + kNul, IDYES, L"1 file operation is waiting for the restart."},
        // A pair after an empty first string is never reached: not counted.
        {"two and one unreached, No", rename + deletion + kNul + rename + kNul, IDNO,
         L"2 file operations are waiting for the restart."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        if (!test.list.empty()) StoreAsAnotherProgram(test.list);
        else RegDeleteValueW(key, ClearedPendingValue::kName);
        shutdown.exitFlags.clear();
        shutdown.exitReasons.clear();
        if (form.Window() == nullptr) Launch();
        const std::vector<MessageBoxSeen> boxes =
            AnswerMessageBoxes(form.Window(), [&] { Click(kCommand5); }, [&](const MessageBoxSeen&) { return test.answer; });
        ASSERT_EQ(boxes.size(), 1u) << "one question, nothing after it";
        EXPECT_EQ(boxes[0].caption, L"Pendrix");
        EXPECT_EQ(boxes[0].text, L"Restart Windows now? " + std::wstring(test.waiting) +
                                     L"\r\n\r\nOpen programs will be asked to close first.");
        EXPECT_EQ(boxes[0].buttonIds, (std::vector<int>{IDYES, IDNO}));
        EXPECT_EQ(boxes[0].defaultButton, IDNO);
        EXPECT_FALSE(boxes[0].icon);
        if (test.answer == IDYES) {
            EXPECT_EQ(shutdown.exitFlags, std::vector<std::uint32_t>{EWX_REBOOT | EWX_FORCEIFHUNG});
            EXPECT_EQ(shutdown.exitReasons, std::vector<std::uint32_t>{SHTDN_REASON_MAJOR_APPLICATION |
                                                                       SHTDN_REASON_MINOR_INSTALLATION |
                                                                       SHTDN_REASON_FLAG_PLANNED});
        } else {
            EXPECT_TRUE(shutdown.exitFlags.empty()) << "No restarts nothing";
        }
        EXPECT_TRUE(IsWindowVisible(form.Window()));
    }
}

// Windows may refuse the request, or a program may stop the restart after
// it was accepted: the window says so either way.
TEST_F(CommandsOnWine, ARefusedOrStoppedRestartIsTold) {
    constexpr DWORD kPrivilegeNotHeld = 1314;
    shutdown.refuseExitWith = kPrivilegeNotHeld;
    Launch();
    Click(kCommand8);
    Type(kText1, L"C:\\a.dll");
    const auto yes = [](const MessageBoxSeen& box) { return box.buttons == 2 ? IDYES : IDOK; };
    std::vector<MessageBoxSeen> boxes = AnswerMessageBoxes(form.Window(), [&] { Click(kCommand5); }, yes);
    ASSERT_EQ(boxes.size(), 2u);
    const std::wstring& refused = boxes[1].text;
    EXPECT_EQ(refused.rfind(L"Windows refused to restart the computer.", 0), 0u) << Narrow(refused);
    EXPECT_NE(refused.find(L"(error 1314)"), std::wstring::npos);
    wchar_t reason[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, kPrivilegeNotHeld, 0, reason,
                   256, nullptr);
    std::wstring systemText = reason;
    while (!systemText.empty() && (systemText.back() == L'\n' || systemText.back() == L'\r')) systemText.pop_back();
    EXPECT_NE(refused.find(systemText), std::wstring::npos) << "the system's own text";
    EXPECT_EQ(boxes[1].buttons, 1);
    EXPECT_EQ(Box(kText1), L"C:\\a.dll");
    // A refused request is not waited for: a session that goes on says nothing.
    const auto sessionGoesOn = [&] {
        EXPECT_TRUE(SendMessageW(form.Window(), WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP));
        SendMessageW(form.Window(), WM_ENDSESSION, FALSE, 0);
        Pump();
    };
    EXPECT_TRUE(AnswerMessageBoxes(form.Window(), sessionGoesOn).empty());

    // Accepted, then stopped: a program refused to close.
    shutdown.refuseExitWith = 0;
    boxes = AnswerMessageBoxes(form.Window(), [&] { Click(kCommand5); }, yes);
    ASSERT_EQ(boxes.size(), 1u) << "an accepted request says nothing";
    boxes = AnswerMessageBoxes(form.Window(), sessionGoesOn);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Windows did not restart: a program refused to close, or the restart was cancelled. "
                             L"The scheduled file operations are still waiting; close the programs that hold them "
                             L"open and press Restart again.");
    EXPECT_EQ(boxes[0].caption, L"Pendrix");
    EXPECT_TRUE(AnswerMessageBoxes(form.Window(), sessionGoesOn).empty()) << "said once";
}

TEST_F(CommandsOnWine, ARefusedWriteIsToldAndKeepsWhatWasTyped) {
    WriteFile(Path(L"s.dll"), "x");
    Launch();
    Click(kCommand8);
    Click(kCheck1);
    Type(kText1, Path(L"s.dll"));
    Type(kText2, Path(L"d.dll"));
    const WritesRefused refused(key);
    ASSERT_TRUE(refused.Active());
    const Texts texts = ClickAndAnswer(kCommand1);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind(L"Nothing was scheduled.", 0), 0u) << Narrow(texts[0]);
    EXPECT_NE(texts[0].find(L"(error 5)"), std::wstring::npos) << Narrow(texts[0]);
    EXPECT_EQ(Box(kText1), Path(L"s.dll"));
    EXPECT_EQ(Box(kText2), Path(L"d.dll"));
    EXPECT_EQ(Stored().status, ERROR_FILE_NOT_FOUND);
}

TEST_F(CommandsOnWine, ACommandThatFailsWithAnExceptionSaysSoOnceAndKeepsTheWindow) {
    Launch();
    Click(kCommand10);
    Type(kText4, L"C:\\x.txt");
    files.armed = true;
    EXPECT_EQ(ClickAndAnswer(kCommand7), Texts{L"Nothing was done: the disk went away"});
    EXPECT_EQ(Box(kText4), L"C:\\x.txt");
    EXPECT_TRUE(IsWindowVisible(Control(kFrame2)));
    EXPECT_EQ(Stored().status, ERROR_FILE_NOT_FOUND);
}

TEST_F(CommandsOnWine, BrowseFillsTheBoxOnlyWithAConfirmedChoice) {
    WriteFile(Path(L"chosen file.dll"), "x");
    WriteFile(Path(L"other.txt"), "x");
    Launch();
    Click(kCommand8);
    Type(kText2, L"typed");
    const auto cancel = [](HWND dialog) { Press(dialog, IDCANCEL); };
    const auto choose = [](HWND dialog) {
        TypeFileName(dialog, Narrow(Path(L"chosen file.dll")));
        Press(dialog, IDOK);
    };
    const auto browse = [&](Form1ControlId button, const std::function<void(HWND)>& user) {
        DialogDriver driver(user);
        Click(button);
        driver.Finish();
        EXPECT_TRUE(driver.FoundDialog() && driver.ClosedByScript());
    };
    browse(kCommand3, cancel);
    EXPECT_EQ(Box(kText2), L"typed") << "a cancel with no earlier choice keeps the box";
    browse(kCommand2, choose);
    EXPECT_EQ(Box(kText1), Path(L"chosen file.dll"));

    // Another box's cancel never brings in the file chosen for Source: the
    // deletion acts on the name typed.
    Click(kCommand10);
    Type(kText4, Path(L"other.txt"));
    browse(kCommand9, cancel);
    EXPECT_EQ(Box(kText4), Path(L"other.txt"));
    EXPECT_EQ(ClickAndAnswer(kCommand7), Texts{L"Forced File Deletion Successful."});
    EXPECT_FALSE(ReadFile(Path(L"other.txt")));
    EXPECT_EQ(ReadFile(Path(L"chosen file.dll")), "x");
    browse(kCommand9, choose);
    EXPECT_EQ(Box(kText4), Path(L"chosen file.dll"));
}

// Puts text on the clipboard and pastes it into box, as a user would.
void Paste(HWND window, HWND box, const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);  // the clipboard owns it now
    CloseClipboard();
    SetWindowTextW(box, L"");
    SendMessageW(box, WM_PASTE, 0, 0);
}

TEST_F(CommandsOnWine, ANameLongerThanWindowsAcceptsIsRefusedNotCut) {
    Launch();
    Click(kCommand10);
    Click(kCheck2);
    const std::wstring longest = L"C:\\" + std::wstring(32764, L'n');
    Paste(form.Window(), Control(kText4), longest);
    EXPECT_EQ(Box(kText4), longest) << "the longest name fits whole";

    Paste(form.Window(), Control(kText4), longest + L"tail of a 40,000-character name" + std::wstring(7200, L't'));
    EXPECT_EQ(ClickAndAnswer(kCommand7), Texts{L"The name in File To Delete is longer than the 32,767 characters "
                                               L"Windows accepts. Nothing was deleted or scheduled."});
    EXPECT_EQ(Stored().status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetFocus(), Control(kText4));
}

}  // namespace
}  // namespace pendrix::wine
