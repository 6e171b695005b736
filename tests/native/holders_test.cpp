// Who holds a file: the sightings of the three sources merged into one entry
// per process and told as text, JSON and the line of a scheduled command,
// over one table; and calls that may never return, left behind.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <string>
#include <vector>

#include "cli/holders_format.h"
#include "common/time_limited_calls.h"

namespace pendrix::cli {
namespace {

constexpr auto kOpen = HoldKind::OpenHandle;
constexpr auto kLoaded = HoldKind::LoadedModule;
constexpr auto kRestartManager = HoldKind::RestartManager;

struct HoldersCase {
    const char* name;
    HolderScan scan;
    std::string text;   // holders PATH for C:\app\report.dll
    std::string inUse;  // what a scheduled command adds to its line
    std::string json;   // holders PATH --json; not compared when empty
};

TEST(HolderReport, MergesAndTellsEachScan) {
    const std::string heading = "\"C:\\app\\report.dll\" is held by:\r\n";
    const HoldersCase cases[] = {
        {"nobody", {}, "\"C:\\app\\report.dll\": nobody holds it.\r\n", "",
         "{\"path\": \"C:\\\\app\\\\report.dll\", \"holders\": [], \"notExamined\": 0, \"handlesNotAnswering\": 0, \"modulesByLoadedName\": false, \"handlesOfEachProcess\": null}\r\n"},
        {"one process seen by every source, several times",
         {{{1234, kOpen, {}, {}}, {1234, kLoaded, {}, {}}, {1234, kOpen, {}, {}},
           {1234, kRestartManager, "Report Viewer", {}}},
          {{1234, {"viewer.exe", "C:\\Program Files\\Viewer\\viewer.exe"}}}, {}, 0, true},
         heading + "1234 viewer.exe \"C:\\Program Files\\Viewer\\viewer.exe\" (open file, loaded module; "
                   "application \"Report Viewer\")\r\n",
         " (in use by viewer.exe, process 1234)",
         "{\"path\": \"C:\\\\app\\\\report.dll\", \"holders\": [\r\n{\"processId\": 1234, \"imageName\": "
         "\"viewer.exe\", \"imagePath\": \"C:\\\\Program Files\\\\Viewer\\\\viewer.exe\", \"openFile\": true, "
         "\"loadedModule\": true, \"restartManager\": true, \"applicationName\": \"Report Viewer\", \"services\": "
         "[]}\r\n], \"notExamined\": 0, \"handlesNotAnswering\": 0, \"modulesByLoadedName\": false, \"handlesOfEachProcess\": null}\r\n"},
        {"services of a host, by process id, a program path not readable, an unknown program",
         {{{880, kRestartManager, "Print Spooler", "Spooler"}, {12, kOpen, {}, {}},
           {880, kRestartManager, "Print Spooler", "spooler"}, {880, kRestartManager, "Fax", "Fax"}, {99, kLoaded, {}, {}}},
          {{880, {"svchost.exe", ""}}, {12, {"SVCHOST.EXE", "C:\\Windows\\System32\\svchost.exe"}}}, {}, 0, true},
         heading + "12 SVCHOST.EXE \"C:\\Windows\\System32\\svchost.exe\" (open file)\r\n"
                   "99 (unknown program) (loaded module)\r\n"
                   "880 svchost.exe (named by the Restart Manager; services Fax, Spooler; application \"Print "
                   "Spooler\")\r\n",
         " (in use by SVCHOST.EXE, process 12; (unknown program), process 99; svchost.exe, process 880)",
         "{\"path\": \"C:\\\\app\\\\report.dll\", \"holders\": [\r\n"
         "{\"processId\": 12, \"imageName\": \"SVCHOST.EXE\", \"imagePath\": \"C:\\\\Windows\\\\System32\\\\svchost.exe\", "
         "\"openFile\": true, \"loadedModule\": false, \"restartManager\": false, \"applicationName\": null, "
         "\"services\": []},\r\n"
         "{\"processId\": 99, \"imageName\": null, \"imagePath\": null, \"openFile\": false, \"loadedModule\": true, "
         "\"restartManager\": false, \"applicationName\": null, \"services\": []},\r\n"
         "{\"processId\": 880, \"imageName\": \"svchost.exe\", \"imagePath\": null, \"openFile\": false, "
         "\"loadedModule\": false, \"restartManager\": true, \"applicationName\": \"Print Spooler\", \"services\": "
         "[\"Fax\", \"Spooler\"]}\r\n], \"notExamined\": 0, \"handlesNotAnswering\": 0, \"modulesByLoadedName\": false, \"handlesOfEachProcess\": null}\r\n"},
        {"the Restart Manager names the program itself",
         {{{7, kRestartManager, "NOTEPAD.EXE", {}}}, {{7, {"notepad.exe", "C:\\Windows\\notepad.exe"}}}, {}, 0, true},
         heading + "7 notepad.exe \"C:\\Windows\\notepad.exe\" (named by the Restart Manager)\r\n",
         " (in use by notepad.exe, process 7)", ""},
        {"processes not examined, one of them found by another source, not elevated",
         {{{100, kLoaded, {}, {}}}, {{100, {"host.exe", ""}}}, {8, 100, 8, 12, 100}, 0, false},
         heading + "100 host.exe (loaded module)\r\n"
                   "Warning: 2 processes could not be examined: run elevated.\r\n",
         " (in use by host.exe, process 100)", ""},
        {"nobody found, one process protected from an elevated one, one handle silent",
         {{}, {}, {4}, 1, true},
         "\"C:\\app\\report.dll\": nobody holds it.\r\n"
         "Warning: 1 process could not be examined: Windows protects it.\r\n"
         "Warning: 1 open file of other processes did not answer in time and could not be examined.\r\n",
         "",
         "{\"path\": \"C:\\\\app\\\\report.dll\", \"holders\": [], \"notExamined\": 1, \"handlesNotAnswering\": 1, \"modulesByLoadedName\": false, \"handlesOfEachProcess\": null}\r\n"},
        {"many holders: the line names a few",
         {{{5, kOpen, {}, {}}, {4, kOpen, {}, {}}, {3, kOpen, {}, {}}, {2, kOpen, {}, {}}, {1, kOpen, {}, {}}},
          {{1, {"a.exe", ""}}, {2, {"b.exe", ""}}, {3, {"c.exe", ""}}, {4, {"d.exe", ""}}, {5, {"e.exe", ""}}}, {}, 3, true},
         heading + "1 a.exe (open file)\r\n2 b.exe (open file)\r\n3 c.exe (open file)\r\n4 d.exe (open file)\r\n"
                   "5 e.exe (open file)\r\n"
                   "Warning: 3 open files of other processes did not answer in time and could not be examined.\r\n",
         " (in use by a.exe, process 1; b.exe, process 2; c.exe, process 3; and 2 more)", ""},
        {"modules matched by the name they were loaded under",
         {{{9, kLoaded, {}, {}}}, {{9, {"host.exe", ""}}}, {}, 0, true, true},
         heading + "9 host.exe (loaded module)\r\n"
                   "Note: this system names loaded modules only by the name each was loaded under: a program that "
                   "loaded this file under another name (before a rename) is not found, and one that loaded an older "
                   "file of this name may be named.\r\n",
         " (in use by host.exe, process 9)",
         "{\"path\": \"C:\\\\app\\\\report.dll\", \"holders\": [\r\n{\"processId\": 9, \"imageName\": \"host.exe\", "
         "\"imagePath\": null, \"openFile\": false, \"loadedModule\": true, \"restartManager\": false, "
         "\"applicationName\": null, \"services\": []}\r\n], \"notExamined\": 0, \"handlesNotAnswering\": 0, "
         "\"modulesByLoadedName\": true, \"handlesOfEachProcess\": null}\r\n"},
        {"under Wine: each process's first handles",
         {{{9, kOpen, {}, {}}}, {{9, {"host.exe", ""}}}, {}, 0, true, false, HandleSearch::EachProcess},
         heading + "9 host.exe (open file)\r\n"
                   "Note: this system (Wine) cannot list the open handles of all processes safely, so open files "
                   "were looked for among the first 4096 handles of each process: a program that holds the file "
                   "behind a longer gap of closed handles is not found.\r\n",
         " (in use by host.exe, process 9)",
         "{\"path\": \"C:\\\\app\\\\report.dll\", \"holders\": [\r\n{\"processId\": 9, \"imageName\": \"host.exe\", "
         "\"imagePath\": null, \"openFile\": true, \"loadedModule\": false, \"restartManager\": false, "
         "\"applicationName\": null, \"services\": []}\r\n], \"notExamined\": 0, \"handlesNotAnswering\": 0, "
         "\"modulesByLoadedName\": false, \"handlesOfEachProcess\": 4096}\r\n"},
        {"names in any script, a lone surrogate in the path",
         {{{40, kOpen, {}, {}}}, {{40, {"отчёт.exe", "C:\\数据\\a\xED\xA0\x80.exe"}}}, {}, 0, true},
         // A lone surrogate in a name is shown escaped, as every message shows it.
         heading + "40 отчёт.exe \"C:\\数据\\a<U+D800>.exe\" (open file)\r\n", " (in use by отчёт.exe, process 40)",
         "{\"path\": \"C:\\\\app\\\\report.dll\", \"holders\": [\r\n{\"processId\": 40, \"imageName\": "
         "\"\\u043e\\u0442\\u0447\\u0451\\u0442.exe\", \"imagePath\": \"C:\\\\\\u6570\\u636e\\\\a\\ud800.exe\", "
         "\"openFile\": true, \"loadedModule\": false, \"restartManager\": false, \"applicationName\": null, "
         "\"services\": []}\r\n], \"notExamined\": 0, \"handlesNotAnswering\": 0, \"modulesByLoadedName\": false, \"handlesOfEachProcess\": null}\r\n"},
    };
    for (const HoldersCase& c : cases) {
        SCOPED_TRACE(c.name);
        const HolderReport report = MergeHolders(c.scan);
        EXPECT_EQ(FormatHoldersText("C:\\app\\report.dll", report), c.text);
        EXPECT_EQ(InUseByText(report), c.inUse);
        if (!c.json.empty()) {
            EXPECT_EQ(JsonDocument([&](JsonObject& out) { WriteHoldersJson(out, "C:\\app\\report.dll", report); }),
                      c.json);
        }
    }
}

// Wine's ntdll exports wine_get_version, Windows' does not.
TEST(HolderReport, WineSearchesEachProcessWindowsTheTable) {
    EXPECT_EQ(HandleSearchFor([](const char* name) { return std::string(name) == "wine_get_version"; }),
              HandleSearch::EachProcess);
    EXPECT_EQ(HandleSearchFor([](const char*) { return false; }), HandleSearch::SystemTable);
}

// The processes the file itself names: those without an open handle on it
// have it mapped (a loaded module); this process and repeats are left out.
TEST(HolderReport, TheFileItselfNamesWhoHasItMapped) {
    HolderScan scan;
    scan.sightings = {{20, kOpen, {}, {}}, {30, kRestartManager, "x", {}}};
    AddMappedUsers({20, 30, 7, 30, 40}, 7, scan);
    const HolderReport report = MergeHolders(scan);
    ASSERT_EQ(report.holders.size(), 3u);
    EXPECT_EQ(report.holders[0].processId, 20u);
    EXPECT_FALSE(report.holders[0].loadedModule);
    EXPECT_EQ(report.holders[1].processId, 30u);
    EXPECT_TRUE(report.holders[1].loadedModule && report.holders[1].restartManager);
    EXPECT_EQ(report.holders[2].processId, 40u);
    EXPECT_TRUE(report.holders[2].loadedModule);
    EXPECT_EQ(scan.sightings.size(), 4u);
}

// A call that waits until it is released, and says when it has returned.
struct LateCall {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> returned{false};

    void Wait() {
        released.wait();
        returned.store(true);
    }
    // Releases it and waits, with a deadline, until it has returned.
    bool ReleaseAndJoin() {
        release.set_value();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!returned.load() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        return returned.load();
    }
};

TEST(TimeLimitedCalls, ALateCallIsLeftBehindAndTheRestAnswer) {
    using Results = std::vector<std::optional<int>>;
    const auto middle = std::make_shared<LateCall>();
    EXPECT_EQ(CallEachWithinLimit<int>(6, std::chrono::milliseconds(200),
                                       [middle](std::size_t i) {
                                           if (i == 2) middle->Wait();
                                           return static_cast<int>(i * 10);
                                       }),
              (Results{0, 10, std::nullopt, 30, 40, 50}));
    // The call left behind returns after the caller has its results; its
    // worker then ends without touching them (AddressSanitizer watches).
    EXPECT_TRUE(middle->ReleaseAndJoin());

    // A late last call ends the run too.
    const auto last = std::make_shared<LateCall>();
    EXPECT_EQ(CallEachWithinLimit<int>(2, std::chrono::milliseconds(100),
                                       [last](std::size_t i) {
                                           if (i == 1) last->Wait();
                                           return 7;
                                       }),
              (Results{7, std::nullopt}));
    EXPECT_TRUE(last->ReleaseAndJoin());

    EXPECT_TRUE(CallEachWithinLimit<int>(0, std::chrono::milliseconds(1), [](std::size_t) { return 1; }).empty());
}

}  // namespace
}  // namespace pendrix::cli
