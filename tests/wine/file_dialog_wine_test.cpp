// cFileDialog with Wine's real open-file and save-file dialogs, driven from
// a second thread through the dialog's own controls.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "common/pendrix_error.h"
#include "common/wide_text.h"
#include "platform/cFileDialog.h"
#include "tests/common/raised_error.h"
#include "tests/wine/dialog_driver.h"

namespace pendrix::wine {
namespace {

const char* const kFiles[] = {"a.txt", "b.txt", "c.log", "résumé ü.txt"};

class FileDialogOnWine : public ::testing::Test {
protected:
    // A folder of files for the dialog to show, in the prefix's temp folder.
    static void SetUpTestSuite() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "pendrix_dialog_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const char* name : kFiles) {
            const HANDLE file = CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
            CloseHandle(file);
        }
    }
    static void TearDownTestSuite() {
        for (const char* name : kFiles) DeleteFileA(Path(name).c_str());
        DeleteFileA(Path("report.txt").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    static std::string Path(const std::string& name) { return folder + "\\" + name; }

    // Runs show (ShowOpen or ShowSave) while script plays the user; whether
    // the dialog came up and closed as the script meant.
    static testing::AssertionResult Driven(const std::function<void()>& show, DialogDriver::Script script) {
        DialogDriver driver(std::move(script));
        show();
        driver.Finish();
        if (!driver.FoundDialog()) return testing::AssertionFailure() << "no dialog came up";
        if (!driver.ClosedByScript()) return testing::AssertionFailure() << "the dialog had to be cancelled";
        return testing::AssertionSuccess();
    }
    testing::AssertionResult Open(DialogDriver::Script script) {
        return Driven([this] { fileDialog.ShowOpen(); }, std::move(script));
    }

    static std::string folder;
    cFileDialog fileDialog;
};
std::string FileDialogOnWine::folder;

void Choose(HWND dialog, const std::string& name) {
    TypeFileName(dialog, name);
    Press(dialog, IDOK);
}

TEST_F(FileDialogOnWine, SingleSelectionGivesThePathAndItsTitleAndTheNextDialogStartsThere) {
    const HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                       nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    fileDialog.flags(kOfnFileMustExist);
    fileDialog.hwnd(reinterpret_cast<std::intptr_t>(owner));
    fileDialog.Filter("All Files (*.*)|*.*");
    fileDialog.DialogTitle("Pick a file");
    const std::string chosen = Path("résumé ü.txt");

    HWND shownOwner = nullptr;
    std::string shownTitle;
    ASSERT_TRUE(Open([&](HWND dialog) {
        shownOwner = GetWindow(dialog, GW_OWNER);
        shownTitle = TextOfWide(TextOf(dialog));
        Choose(dialog, chosen);
    }));
    EXPECT_EQ(shownOwner, owner);
    EXPECT_EQ(shownTitle, "Pick a file");
    EXPECT_EQ(fileDialog.Filename(), chosen);
    EXPECT_EQ(fileDialog.Filename().find('\0'), std::string::npos);
    EXPECT_EQ(fileDialog.FileTitle(), "résumé ü.txt");

    // The next dialog offers the previous choice (Wine shows its folder and
    // its name apart): confirming it as it stands gives the same file again.
    fileDialog.FileTitle("");
    std::string offered;
    std::string offeredFolder;
    ASSERT_TRUE(Open([&](HWND dialog) {
        offered = TextOfWide(TextOf(FileNameEdit(dialog)));
        offeredFolder = CurrentFolder(dialog);
        Press(dialog, IDOK);
    }));
    EXPECT_EQ(offered, "résumé ü.txt");
    EXPECT_EQ(offeredFolder, folder);
    EXPECT_EQ(fileDialog.Filename(), chosen);
    EXPECT_EQ(fileDialog.FileTitle(), "résumé ü.txt");
    DestroyWindow(owner);
}

// Windows names are any UTF-16 units: a name holding a lone surrogate,
// typed into the dialog and confirmed, comes back unit for unit (the file
// need not exist without OFN_FILEMUSTEXIST; Wine's files cannot hold one).
TEST_F(FileDialogOnWine, ANameOfAnyUtf16UnitsComesBackWhole) {
    const std::wstring name = L"lone \xD800 surrogate.txt";
    const std::wstring path = WideText(folder) + L"\\" + name;
    fileDialog.flags(0);
    ASSERT_TRUE(Open([&](HWND dialog) {
        SendMessageW(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Press(dialog, IDOK);
    }));
    EXPECT_EQ(fileDialog.Filename(), TextOfWide(path));
    EXPECT_EQ(fileDialog.FileTitle(), TextOfWide(name));
}

TEST_F(FileDialogOnWine, CancelKeepsTheChoiceOrRaisesTheCancelError) {
    fileDialog.Filename(Path("a.txt"));
    fileDialog.FileTitle("a.txt");
    const auto cancel = [](HWND dialog) { Press(dialog, IDCANCEL); };
    ASSERT_TRUE(Open(cancel));
    EXPECT_EQ(fileDialog.Filename(), Path("a.txt"));
    EXPECT_EQ(fileDialog.FileTitle(), "a.txt");

    fileDialog.CancelError(true);
    struct Case { std::function<void()> show; const char* source; };
    const Case cases[] = {
        {[&] { fileDialog.ShowOpen(); }, "file_dialog_wine_tests.cFileDialog"},
        {[&] { fileDialog.ShowSave(); }, "file_dialog_wine_tests.cFilenDialog"},
    };
    for (const Case& c : cases) {
        PendrixError error(0, "", "");
        ASSERT_TRUE(Driven([&] { error = RaisedError(c.show); }, cancel));
        EXPECT_EQ(error.Number(), 32755);
        EXPECT_EQ(error.Source(), c.source);
        EXPECT_EQ(error.Description(), "User selected cancel.");
        EXPECT_EQ(fileDialog.Filename(), Path("a.txt"));
        EXPECT_EQ(fileDialog.FileTitle(), "a.txt");
    }
}

TEST_F(FileDialogOnWine, MissingNameIsRefusedByTheDialogUnderFileMustExist) {
    fileDialog.flags(kOfnFileMustExist);
    fileDialog.CancelError(true);
    fileDialog.Filename(Path("a.txt"));
    bool refused = false;
    bool stayedOpen = false;
    PendrixError error(0, "", "");
    ASSERT_TRUE(Driven([&] { error = RaisedError([&] { fileDialog.ShowOpen(); }); }, [&](HWND dialog) {
        Choose(dialog, Path("missing.txt"));
        const HWND message = WaitForPopup(dialog);
        refused = message != nullptr;
        stayedOpen = IsWindow(dialog) != FALSE;
        if (message == nullptr) return;
        Press(message, IDOK);
        WaitUntil([&] { return !IsWindow(message); });
        Press(dialog, IDCANCEL);
    }));
    EXPECT_TRUE(refused) << "no message box about the missing file";
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(error.Number(), kErrUserCancel);
    EXPECT_EQ(fileDialog.Filename(), Path("a.txt"));
}

TEST_F(FileDialogOnWine, MultiSelectionOfTwoFilesAndOfOneSplitsIntoFolderAndNames) {
    fileDialog.flags(kOfnAllowMultiSelect | kOfnFileMustExist);
    fileDialog.InitDir(folder);
    ASSERT_TRUE(Open([](HWND dialog) { Choose(dialog, "\"a.txt\" \"b.txt\""); }));
    EXPECT_EQ(fileDialog.Filename().size(), kMultiFileBufferSize);
    std::string dir;
    std::vector<std::string> files;
    std::int32_t count = 0;
    fileDialog.ParseMultiFileName(dir, files, count);
    EXPECT_EQ(dir, folder);
    EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(count, 2);

    ASSERT_TRUE(Open([&](HWND dialog) { Choose(dialog, Path("b.txt")); }));
    count = 0;
    fileDialog.ParseMultiFileName(dir, files, count);
    EXPECT_EQ(dir, folder + "\\");
    EXPECT_EQ(files, std::vector<std::string>{"b.txt"});
    EXPECT_EQ(count, 1);
}

TEST_F(FileDialogOnWine, FilterIndexFollowsTheFileTypeTheUserPicks) {
    fileDialog.flags(kOfnFileMustExist);
    fileDialog.Filter("Text files (*.txt):*.txt|Log files (*.log)|*.log");
    EXPECT_EQ(fileDialog.FilterIndex(), 1);
    std::vector<std::string> types;
    ASSERT_TRUE(Open([&](HWND dialog) {
        types = FileTypes(dialog);
        PickFileType(dialog, 1);
        Choose(dialog, Path("c.log"));
    }));
    EXPECT_EQ(types, (std::vector<std::string>{"Text files (*.txt)", "Log files (*.log)"}));
    EXPECT_EQ(fileDialog.Filename(), Path("c.log"));
    EXPECT_EQ(fileDialog.FilterIndex(), 2);
}

TEST_F(FileDialogOnWine, SaveDialogAddsTheDefaultExtension) {
    fileDialog.DefaultExt("txt");
    fileDialog.InitDir(folder);
    fileDialog.Filter("All Files (*.*)|*.*");
    ASSERT_TRUE(Driven([this] { fileDialog.ShowSave(); }, [](HWND dialog) { Choose(dialog, "report"); }));
    EXPECT_EQ(fileDialog.Filename(), Path("report.txt"));
    EXPECT_EQ(fileDialog.FileTitle(), "report.txt");
}

}  // namespace
}  // namespace pendrix::wine
