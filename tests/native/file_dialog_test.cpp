// cFileDialog against a stand-in dialog that records the record it is
// handed and answers as a user would.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "common/pendrix_error.h"
#include "common/utf16_text.h"
#include "platform/cFileDialog.h"
#include "tests/common/literal_text.h"
#include "tests/common/raised_error.h"

namespace pendrix {
namespace {

class ScriptedDialog : public FileDialogApi {
public:
    std::int32_t result = 1;
    std::string fileReply;   // written at the start of lpstrFile on success
    std::string titleReply;  // written at the start of lpstrFileTitle on success
    std::optional<std::uint32_t> filterIndexReply;
    std::vector<OpenFileNameRecord> opened;
    std::vector<OpenFileNameRecord> saved;

    std::int32_t RunOpen(OpenFileNameRecord& record) override { return Answer(record, opened); }
    std::int32_t RunSave(OpenFileNameRecord& record) override { return Answer(record, saved); }
    std::string ExecutableName() override { return "Pendrix"; }

private:
    std::int32_t Answer(OpenFileNameRecord& record, std::vector<OpenFileNameRecord>& calls) {
        calls.push_back(record);
        if (filterIndexReply) record.nFilterIndex = *filterIndexReply;
        if (result != 0) {
            record.lpstrFile->replace(0, fileReply.size(), fileReply);
            record.lpstrFileTitle->replace(0, titleReply.size(), titleReply);
        }
        return result;
    }
};

class FileDialogTest : public ::testing::Test {
protected:
    ScriptedDialog dialog;
    cFileDialog fileDialog{dialog};
};

TEST_F(FileDialogTest, NewObjectHandsTheDialogAnEmptyRecord) {
    EXPECT_EQ(fileDialog.FilterIndex(), 1);
    EXPECT_EQ(fileDialog.flags(), 0);
    EXPECT_EQ(fileDialog.hwnd(), 0);
    EXPECT_FALSE(fileDialog.CancelError());
    EXPECT_EQ(fileDialog.DialogTitle(), "");

    fileDialog.ShowOpen();
    ASSERT_EQ(dialog.opened.size(), 1u);
    const OpenFileNameRecord& record = dialog.opened[0];
    EXPECT_EQ(record.lStructSize, kOpenFileNameSize400);
    EXPECT_EQ(record.nFilterIndex, 1u);
    EXPECT_EQ(record.Flags, 0u);
    EXPECT_EQ(record.hwndOwner, 0);
    // Texts never assigned reach the dialog as null pointers.
    for (const auto* text : {&record.lpstrFilter, &record.lpstrCustomFilter, &record.lpstrInitialDir,
                             &record.lpstrTitle, &record.lpstrDefExt, &record.lpTemplateName}) {
        EXPECT_FALSE(text->has_value());
    }
}

TEST_F(FileDialogTest, FilterBecomesNulSeparatedListWithTwoClosingNuls) {
    struct Case { std::string filter; std::string expected; };
    const Case cases[] = {
        {"All Files (*.*)|*.*", S("All Files (*.*)\0*.*\0\0")},
        {"All Files (*.*):*.*", S("All Files (*.*)\0*.*\0\0")},
        {"Text|*.txt:All|*.*", S("Text\0*.txt\0All\0*.*\0\0")},
        {"", S("\0\0")},
    };
    for (const Case& c : cases) {
        fileDialog.Filter(c.filter);
        fileDialog.ShowOpen();
        EXPECT_EQ(fileDialog.Filter(), c.filter);
        EXPECT_EQ(dialog.opened.back().lpstrFilter, c.expected) << c.filter;
    }
}

TEST_F(FileDialogTest, FilterLongerThan32767CharactersIsConverted) {
    std::string filter;
    while (filter.size() <= 40000) filter += "Text files|*.txt|";
    fileDialog.Filter(filter);
    fileDialog.ShowOpen();
    EXPECT_EQ(fileDialog.Filter(), filter);
    const std::string& converted = *dialog.opened.at(0).lpstrFilter;
    EXPECT_EQ(converted.size(), filter.size() + 2);
    EXPECT_EQ(converted.find('|'), std::string::npos);
    EXPECT_EQ(converted.substr(converted.size() - 3), S("\0\0\0"));
}

TEST_F(FileDialogTest, TextPropertiesFillTheRecord) {
    fileDialog.DefaultExt("txt");
    fileDialog.InitDir("C:\\work");
    fileDialog.DialogTitle("Pick one");
    fileDialog.hwnd(static_cast<std::intptr_t>(0x7FFF12345678));
    fileDialog.FilterIndex(3);
    fileDialog.ShowOpen();

    EXPECT_EQ(fileDialog.DefaultExt(), "txt");
    EXPECT_EQ(fileDialog.InitDir(), "C:\\work");
    EXPECT_EQ(fileDialog.DialogTitle(), "Pick one");
    const OpenFileNameRecord& record = dialog.opened.at(0);
    EXPECT_EQ(record.lpstrDefExt, S("txt\0\0"));
    EXPECT_EQ(record.lpstrInitialDir, S("C:\\work\0\0"));
    EXPECT_EQ(record.lpstrTitle, "Pick one");
    EXPECT_EQ(record.hwndOwner, static_cast<std::intptr_t>(0x7FFF12345678));
    EXPECT_EQ(record.nFilterIndex, 3u);
}

TEST_F(FileDialogTest, SingleSelectionStartsFromFilenameAndCutsTheAnswer) {
    fileDialog.flags(kOfnFileMustExist);
    fileDialog.Filename("C:\\old.txt");
    fileDialog.FileTitle("old.txt");
    dialog.fileReply = S("C:\\dir\\new.txt\0t.txt");  // the rest of the buffer from an earlier answer
    dialog.titleReply = S("new.txt\0");
    dialog.filterIndexReply = 2;
    fileDialog.ShowOpen();

    const OpenFileNameRecord& sent = dialog.opened.at(0);
    EXPECT_EQ(sent.Flags, static_cast<std::uint32_t>(kOfnFileMustExist));
    EXPECT_EQ(sent.nMaxFile, 1024u);
    EXPECT_EQ(sent.lpstrFile, "C:\\old.txt" + std::string(1024 - 10, '\0'));
    EXPECT_EQ(sent.nMaxFileTitle, 1024u);
    EXPECT_EQ(sent.lpstrFileTitle, "old.txt" + std::string(1024 - 7, '\0'));

    EXPECT_EQ(fileDialog.Filename(), "C:\\dir\\new.txt");
    EXPECT_EQ(fileDialog.FileTitle(), "new.txt");
    EXPECT_EQ(fileDialog.FilterIndex(), 2);

    // The record keeps what the dialog left: the next dialog starts there.
    fileDialog.ShowOpen();
    EXPECT_EQ(dialog.opened.at(1).nFilterIndex, 2u);
    EXPECT_EQ(dialog.opened.at(1).lpstrFile->substr(0, 15), S("C:\\dir\\new.txt\0"));
}

TEST_F(FileDialogTest, MultiSelectionUsesTheExplorerStyleAndKeepsTheWholeBuffer) {
    fileDialog.flags(kOfnAllowMultiSelect | kOfnFileMustExist);
    dialog.fileReply = S("C:\\a\0b.txt\0c.txt\0\0");
    dialog.titleReply = S("b.txt\0");
    fileDialog.ShowOpen();

    const OpenFileNameRecord& sent = dialog.opened.at(0);
    EXPECT_EQ(sent.Flags, static_cast<std::uint32_t>(kOfnAllowMultiSelect | kOfnFileMustExist | kOfnExplorer));
    EXPECT_EQ(fileDialog.flags(), kOfnAllowMultiSelect | kOfnFileMustExist);
    EXPECT_EQ(sent.nMaxFile, 8192u);
    EXPECT_EQ(sent.lpstrFile->size(), 8192u);
    EXPECT_EQ(sent.nMaxFileTitle, 8192u);
    EXPECT_EQ(sent.lpstrFileTitle->size(), 8192u);

    EXPECT_EQ(fileDialog.Filename(), dialog.fileReply + std::string(8192 - dialog.fileReply.size(), '\0'));
    EXPECT_EQ(fileDialog.FileTitle(), "b.txt");
}

TEST_F(FileDialogTest, SaveAddsNothingAndAlwaysCutsTheAnswer) {
    fileDialog.flags(kOfnAllowMultiSelect);
    dialog.fileReply = S("C:\\a\0b.txt\0\0");
    dialog.titleReply = S("a\0");
    fileDialog.ShowSave();

    const OpenFileNameRecord& sent = dialog.saved.at(0);
    EXPECT_EQ(sent.Flags, static_cast<std::uint32_t>(kOfnAllowMultiSelect));
    EXPECT_EQ(sent.nMaxFile, 1024u);
    EXPECT_EQ(sent.nMaxFileTitle, 1024u);
    EXPECT_TRUE(dialog.opened.empty());
    EXPECT_EQ(fileDialog.Filename(), "C:\\a");
    EXPECT_EQ(fileDialog.FileTitle(), "a");
}

TEST_F(FileDialogTest, CancelChangesNothingOrRaisesTheCancelError) {
    fileDialog.Filename("C:\\before.txt");
    fileDialog.FileTitle("before.txt");
    dialog.result = 0;
    dialog.filterIndexReply = 2;

    fileDialog.ShowOpen();
    fileDialog.ShowSave();
    EXPECT_EQ(fileDialog.Filename(), "C:\\before.txt");
    EXPECT_EQ(fileDialog.FileTitle(), "before.txt");
    EXPECT_EQ(fileDialog.FilterIndex(), 2) << "the dialog's numeric fields show through all the same";

    fileDialog.CancelError(true);
    const PendrixError open = RaisedError([&] { fileDialog.ShowOpen(); });
    EXPECT_EQ(open.Number(), 32755);
    EXPECT_EQ(open.Source(), "Pendrix.cFileDialog");
    EXPECT_EQ(open.Description(), "User selected cancel.");
    const PendrixError save = RaisedError([&] { fileDialog.ShowSave(); });
    EXPECT_EQ(save.Number(), 32755);
    EXPECT_EQ(save.Source(), "Pendrix.cFilenDialog");
    EXPECT_EQ(save.Description(), "User selected cancel.");
    EXPECT_EQ(fileDialog.Filename(), "C:\\before.txt");
    EXPECT_EQ(fileDialog.FileTitle(), "before.txt");
}

TEST_F(FileDialogTest, NamesLongerThanTheBufferAreRefusedBeforeAnyDialog) {
    struct Case { bool save; std::int32_t flags; std::size_t filename; std::size_t title; bool refused; };
    const Case cases[] = {
        {false, 0, 1024, 1024, false},
        {false, 0, 1025, 0, true},
        {false, 0, 0, 1025, true},
        {false, kOfnAllowMultiSelect, 8192, 8192, false},
        {false, kOfnAllowMultiSelect, 8193, 0, true},
        {false, kOfnAllowMultiSelect, 0, 8193, true},
        {true, 0, 1024, 1024, false},
        {true, kOfnAllowMultiSelect, 1025, 0, true},
        {true, 0, 0, 1025, true},
    };
    for (const Case& c : cases) {
        ScriptedDialog fresh;
        cFileDialog subject(fresh);
        subject.flags(c.flags);
        subject.Filename(std::string(c.filename, 'f'));
        subject.FileTitle(std::string(c.title, 't'));
        const std::function<void()> show = [&] { c.save ? subject.ShowSave() : subject.ShowOpen(); };
        SCOPED_TRACE(testing::Message() << "save " << c.save << " flags " << c.flags << " filename " << c.filename
                                        << " title " << c.title);
        if (c.refused) {
            const PendrixError error = RaisedError(show);
            EXPECT_EQ(error.Number(), kErrInvalidArgument);
            EXPECT_EQ(error.Source(), "Pendrix");
            EXPECT_FALSE(error.Description().empty());
            EXPECT_TRUE(fresh.opened.empty() && fresh.saved.empty());
            EXPECT_EQ(subject.Filename().size(), c.filename);
            EXPECT_EQ(subject.FileTitle().size(), c.title);
        } else {
            fresh.result = 0;
            show();
            EXPECT_EQ(fresh.opened.size() + fresh.saved.size(), 1u);
        }
    }

    // The W functions count UTF-16 units: a two-byte letter is one unit, an
    // emoji two; the buffer handed over is exactly 1024 units.
    const auto repeated = [](const char* text, int times) {
        std::string result;
        for (int i = 0; i < times; ++i) result += text;
        return result;
    };
    const std::pair<std::string, bool> names[] = {{repeated("ж", 1024), true},
                                                  {repeated("ж", 1025), false},
                                                  {repeated("\xF0\x9F\x98\x80", 512), true},
                                                  {repeated("\xF0\x9F\x98\x80", 512) + "x", false}};
    for (const auto& [name, fits] : names) {
        ScriptedDialog fresh;
        fresh.result = 0;
        cFileDialog subject(fresh);
        subject.Filename(name);
        if (!fits) {
            EXPECT_EQ(RaisedError([&] { subject.ShowOpen(); }).Number(), kErrInvalidArgument);
            continue;
        }
        subject.ShowOpen();
        const std::u16string sent = Utf16FromText(*fresh.opened.at(0).lpstrFile);
        EXPECT_EQ(sent.size(), 1024u);
        EXPECT_EQ(TextFromUtf16(sent.substr(0, sent.find(u'\0'))), name);
    }
}

TEST_F(FileDialogTest, ParseMultiFileNameSplitsBothForms) {
    struct Case { std::string filename; std::string dir; std::vector<std::string> files; };
    const Case cases[] = {
        {S("C:\\a\0b.txt\0c.txt\0\0\0\0"), "C:\\a", {"b.txt", "c.txt"}},
        {S("C:\\\0b.txt\0c d.txt\0e\0\0"), "C:\\", {"b.txt", "c d.txt", "e"}},
        {S("C:\\a\\b.txt\0\0\0"), "C:\\a\\", {"b.txt"}},
        {S("b.txt\0\0"), "", {"b.txt"}},
    };
    for (const Case& c : cases) {
        fileDialog.Filename(c.filename);
        std::string dir = "x";
        std::vector<std::string> files{"old"};
        std::int32_t count = 0;
        fileDialog.ParseMultiFileName(dir, files, count);
        EXPECT_EQ(dir, c.dir);
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(count, static_cast<std::int32_t>(c.files.size()));
    }
}

TEST_F(FileDialogTest, ParseMultiFileNameCountsOnFromTheCountPassed) {
    fileDialog.Filename(S("C:\\a\0b.txt\0c.txt\0\0"));
    std::string dir;
    std::vector<std::string> files{"k0", "k1", "k2"};
    std::int32_t count = 3;
    fileDialog.ParseMultiFileName(dir, files, count);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(files, (std::vector<std::string>{"k0", "k1", "k2", "b.txt", "c.txt"}));
}

// The dialog writes a selection over the buffer it was given: a shorter one
// leaves the end of the longer one behind it.
TEST_F(FileDialogTest, ParseMultiFileNameReadsOnlyTheLatestSelection) {
    fileDialog.flags(kOfnAllowMultiSelect);
    dialog.fileReply = S("C:\\rv\\super\\deep\\a.txt\0\0");
    fileDialog.ShowOpen();
    dialog.fileReply = S("C:\\rv\\a.txt\0\0");
    fileDialog.ShowOpen();
    std::string dir;
    std::vector<std::string> files;
    std::int32_t count = 0;
    fileDialog.ParseMultiFileName(dir, files, count);
    EXPECT_EQ(dir, "C:\\rv\\");
    EXPECT_EQ(files, std::vector<std::string>{"a.txt"});
}

TEST_F(FileDialogTest, ParseMultiFileNameRefusesASingleSelectionABadOrAnOverflowingCount) {
    struct Case { std::string filename; std::int32_t count; std::int32_t error; };
    const Case cases[] = {{"C:\\a\\b.txt", 0, kErrInvalidArgument},
                          {S("C:\\a\0b.txt\0c.txt\0\0"), -1, kErrInvalidArgument},
                          {S("C:\\a\0b.txt\0\0"), INT32_MAX, kErrOverflow},
                          {S("C:\\a\0b.txt\0c.txt\0\0"), INT32_MAX - 1, kErrOverflow}};
    for (const Case& c : cases) {
        fileDialog.Filename(c.filename);
        std::string dir = "kept";
        std::vector<std::string> files{"kept"};
        std::int32_t count = c.count;
        const PendrixError error = RaisedError([&] { fileDialog.ParseMultiFileName(dir, files, count); });
        EXPECT_EQ(error.Number(), c.error);
        EXPECT_EQ(error.Source(), "Pendrix");
        EXPECT_EQ(dir, "kept");
        EXPECT_EQ(files, std::vector<std::string>{"kept"});
        EXPECT_EQ(count, c.count);
    }
}

}  // namespace
}  // namespace pendrix
