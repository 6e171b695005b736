// The machine's verdict: each pending entry judged in the order the start-up
// processing runs the values (a table of lists and the files that exist),
// the restart signals of the registry through the stand-in registry (each
// row written as Windows writes it, and a key that cannot be read), and the
// .reg file the backup is written as.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/name_folding.h"
#include "registry/reg_file.h"
#include "registry/registry_constants.h"
#include "pending_list/pending_verdict.h"
#include "pending_list/restart_signals.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeRegistry;

// Files that exist; names on Q: cannot be told (a drive not here).
PresenceFunction PresenceOf(const std::set<std::string>& existing) {
    return [existing](const std::vector<std::string>& names) {
        std::vector<Presence> answers;
        for (const std::string& name : names) {
            bool there = false;
            for (const std::string& file : existing) there = there || FoldName(file) == FoldName(name);
            answers.push_back(name.rfind("Q:", 0) == 0 ? Presence::Unknown
                              : there                  ? Presence::Exists
                                                       : Presence::Missing);
        }
        return answers;
    };
}

PendingValue Value(const std::string& name, const std::string& stored) {
    PendingValue value{name, {}};
    value.read.exists = true;
    value.read.stored = stored;
    return value;
}

// "E there", "N missing", "N taken 1", "E from 1", "U empty", "U open",
// "E unknown", "N dest-exists", "N no-folder", "E dest-unknown", "E hangs 1"
// per entry, earlier entries counted from 1 over all values.
std::string Summary(const std::vector<ClassifiedEntry>& entries) {
    static const char* kReasons[] = {"there", "unknown", "from",   "missing",      "taken", "empty",
                                     "open",  "dest-exists", "no-folder", "dest-unknown", "hangs"};
    std::string out;
    for (const ClassifiedEntry& entry : entries) {
        out += "EN U"[static_cast<int>(entry.effect) == 2 ? 3 : static_cast<int>(entry.effect)];
        out += std::string(" ") + kReasons[static_cast<int>(entry.reason)];
        if (entry.earlier != kNoEntry) out += " " + std::to_string(entry.earlier + 1);
        out += ";";
    }
    return out;
}

TEST(PendingVerdict, EachEntryIsJudgedInTheOrderTheStartUpRunsThem) {
    const struct {
        const char* what;
        std::vector<std::string> values;
        std::set<std::string> existing;
        std::string expected;
    } cases[] = {
        {"a deletion of a file that is gone", {S("\\??\\C:\\tmp\\x.tmp\0\0")}, {}, "N missing;"},
        {"a deletion of a file that is there", {S("\\??\\C:\\x\0\0")}, {"C:\\x"}, "E there;"},
        {"a replacement whose source is gone", {S("\\??\\C:\\new\0!\\??\\C:\\app.dll\0\0")}, {"C:\\app.dll"},
         "N missing;"},
        // The first rename does nothing, so B keeps its own file for the second.
        {"a rename from nothing, then one of what the name held",
         {S("\\??\\C:\\A\0\\??\\C:\\B\0\\??\\C:\\B\0\\??\\C:\\C\0\0")}, {"C:\\B"}, "N missing;E there;"},
        {"a source an earlier entry puts there", {S("\\??\\C:\\A\0\\??\\C:\\B\0\\??\\C:\\b\0\\??\\C:\\C\0\0")},
         {"C:\\A"}, "E there;E from 1;"},
        {"a chain from nothing does nothing", {S("\\??\\C:\\A\0\\??\\C:\\B\0\\??\\C:\\B\0\\??\\C:\\C\0\0")}, {},
         "N missing;N missing;"},
        {"a source an earlier entry deletes", {S("\\??\\C:\\A\0\0\\??\\C:\\A\0\\??\\C:\\B\0\0")}, {"C:\\A"},
         "E there;N taken 1;"},
        {"after an empty first string", {S("\\??\\C:\\A\0\0\0\\??\\C:\\B\0\0\0")}, {"C:\\A", "C:\\B"},
         "E there;U empty;"},
        {"a value without its two NULs", {S("\\??\\C:\\A\0\0\\??\\C:\\B\0")}, {"C:\\A", "C:\\B"}, "U open;U open;"},
        {"a name the file system cannot answer for", {S("\\??\\Q:\\x\0\0")}, {}, "E unknown;"},
        {"the second value after the first: a file the first moves",
         {S("\\??\\C:\\A\0\\??\\C:\\B\0\0"), S("\\??\\C:\\B\0\0")}, {"C:\\A"}, "E there;E from 1;"},
        {"the second value after the first: a file the first deletes",
         {S("\\??\\C:\\X\0\0"), S("\\??\\C:\\X\0\\??\\C:\\Y\0\0")}, {"C:\\X"}, "E there;N taken 1;"},
        // Marks the start-up processing knows: the name after them is what is judged.
        {"a stale deletion Windows queued with a flag", {S("*1\\??\\C:\\Temp\\DEL396A.tmp\0\0")}, {}, "N missing;"},
        {"a flagged source that is there", {S("*1\\??\\C:\\A\0!\\??\\C:\\B\0\0")}, {"C:\\A"}, "E there;"},
        {"an @ before a deletion's source", {S("@\\??\\C:\\A\0\0")}, {}, "N missing;"},
        {"an @ destination replaces, and its file is followed",
         {S("\\??\\C:\\A\0@\\??\\C:\\B\0*1\\??\\C:\\B\0\0")}, {"C:\\A"}, "E there;E from 1;"},
        {"a mark not known is never guessed at", {S("*1!\\??\\C:\\A\0\0")}, {}, "E unknown;"},
        // A rename fails on a file it does not replace, or without its
        // destination's folder; what comes after finds the files as they are.
        {"a rename onto a file without !, then a deletion of its source",
         {S("\\??\\C:\\rs\\a.txt\0\\??\\C:\\rs\\b.txt\0\\??\\C:\\rs\\a.txt\0\0\0")},
         {"C:\\rs", "C:\\rs\\a.txt", "C:\\rs\\b.txt"}, "N dest-exists;E there;"},
        {"a destination folder that does not exist", {S("\\??\\C:\\a\0\\??\\C:\\no\\b\0\\??\\C:\\a\0\0\0")},
         {"C:\\a"}, "N no-folder;E there;"},
        {"a file an earlier entry puts at the destination",
         {S("\\??\\C:\\x\0\\??\\C:\\b\0\\??\\C:\\a\0\\??\\C:\\b\0\0")}, {"C:\\x", "C:\\a"},
         "E there;N dest-exists 1;"},
        {"a folder an earlier entry moves away",
         {S("\\??\\C:\\d\0\\??\\C:\\e\0\\??\\C:\\a\0\\??\\C:\\d\\b\0\0")}, {"C:\\d", "C:\\a"},
         "E there;N no-folder 1;"},
        // Whether a name exists cannot be told: no effect only when none either way.
        {"after a rename that may fail, its source may still be there",
         {S("\\??\\C:\\a\0\\??\\Q:\\b\0\\??\\C:\\a\0\0\0")}, {"C:\\a"}, "E dest-unknown;E hangs 1;"},
        {"a source that cannot be told onto a file without !", {S("\\??\\Q:\\a\0\\??\\C:\\b\0\0")}, {"C:\\b"},
         "N dest-exists;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<PendingValue> values;
        for (std::size_t i = 0; i < c.values.size(); ++i)
            values.push_back(Value(i == 0 ? "PendingFileRenameOperations" : "PendingFileRenameOperations2", c.values[i]));
        EXPECT_EQ(Summary(ClassifyEntries(values, PresenceOf(c.existing))), c.expected);
    }
}

TEST(PendingVerdict, WithdrawingEntriesKeepsEveryOtherByte) {
    const struct {
        std::string stored;
        std::vector<std::size_t> numbers;  // from 1
        std::string after;
    } cases[] = {
        {S("A\0B\0C\0\0"), {2}, S("A\0B\0\0")},
        {S("A\0B\0C\0\0"), {1}, S("C\0\0")},
        {S("A\0B\0C\0\0"), {1, 2}, ""},
        {S("A\0\0D\0\0E\0F\0\0"), {2}, S("A\0\0E\0F\0\0")},
        {S("A\0\0\0X\0Y\0\0"), {1}, S("\0X\0Y\0\0")},
    };
    for (const auto& c : cases) {
        const std::vector<ClassifiedEntry> entries =
            ClassifyEntries({Value("PendingFileRenameOperations", c.stored)}, PresenceOf({}));
        std::vector<const ClassifiedEntry*> taken;
        for (const std::size_t number : c.numbers) taken.push_back(&entries[number - 1]);
        EXPECT_EQ(WithoutEntries(c.stored, taken), c.after) << ::testing::PrintToString(c.stored);
    }
}

const std::string kHklm = "HKLM\\";

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// What Windows and installers write for each signal, by the row's name.
void WriteSignal(FakeRegistry& registry, const RestartSignalRow& row) {
    switch (row.test) {
    case SignalTest::KeyExists: registry.AddKey(kHklm + row.key + "\\" + row.item); break;
    case SignalTest::ValueExists: registry.PutText(kHklm + row.key, row.item, kRegSz, "x"); break;
    case SignalTest::ValueNonZero: registry.PutValue(kHklm + row.key, row.item, kRegDword, {1, 0, 0, 0}); break;
    case SignalTest::ValuesDiffer:
        registry.PutText(kHklm + row.key, row.item, kRegSz, "OLDNAME");
        registry.PutText(kHklm + row.otherKey, row.item, kRegSz, "NEWNAME");
        break;
    case SignalTest::ClientAnswer: break;  // not in the registry
    }
}

TEST(RestartSignals, EachSignalAloneIsFoundAndNamed) {
    for (const RestartSignalRow& row : RestartSignalTable()) {
        SCOPED_TRACE(row.name);
        FakeRegistry api;
        // Where Windows keeps a signal's key or value, with nothing in it.
        for (const RestartSignalRow& other : RestartSignalTable()) api.AddKey(kHklm + other.key);
        RegistryRoutines registry(api);
        for (const RestartSignal& signal : ReadRestartSignals(registry)) EXPECT_EQ(signal.state, SignalState::Absent);
        WriteSignal(api, row);
        for (const RestartSignal& signal : ReadRestartSignals(registry))
            EXPECT_EQ(signal.state, signal.row == &row ? SignalState::Present : SignalState::Absent) << signal.row->name;
        EXPECT_EQ(JudgeMachine({}, {}, ReadRestartSignals(registry)).verdict, RestartVerdict::Needed);
        // Judged by the documented signals alone, a community one is not read.
        EXPECT_EQ(ReadMachineStatus(registry, PresenceOf({}), nullptr, true).verdict,
                  row.documented ? RestartVerdict::Needed : RestartVerdict::NotNeeded);
        EXPECT_EQ(api.OpenHandles(), 0u);
    }
}

TEST(RestartSignals, WhatIsNotASignal) {
    FakeRegistry api;
    RegistryRoutines registry(api);
    // UpdateExeVolatile 0, and the same computer name in other letter case.
    api.PutValue(kHklm + "SOFTWARE\\Microsoft\\Updates", "UpdateExeVolatile", kRegDword, {0, 0, 0, 0});
    api.PutText(kHklm + "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName", "ComputerName", kRegSz,
                "Host1");
    api.PutText(kHklm + "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "ComputerName", kRegSz,
                "HOST1");
    for (const RestartSignal& signal : ReadRestartSignals(registry))
        EXPECT_EQ(signal.state, SignalState::Absent) << signal.row->name;
}

TEST(RestartSignals, AKeyThatCannotBeReadIsSaidNotTakenAsAbsent) {
    const std::string servicing = "hklm\\software\\microsoft\\windows\\currentversion\\component based servicing";
    const std::string updates = "hklm\\software\\microsoft\\updates";
    const struct {
        const char* what;
        std::string denied;
        bool present;        // another signal is present
        bool effective;      // an entry takes effect
        RestartVerdict verdict;
    } cases[] = {
        {"a subkey's key", servicing + "\\rebootpending", false, false, RestartVerdict::CannotTell},
        {"a value's key", updates, false, false, RestartVerdict::CannotTell},
        {"unreadable, but a signal needs a restart", updates, true, false, RestartVerdict::Needed},
        {"unreadable, but an entry takes effect", updates, false, true, RestartVerdict::Needed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry api;
        api.AddKey(kHklm + "SOFTWARE\\Microsoft\\Updates");
        api.deniedPaths.insert(c.denied);
        if (c.present) api.PutText(kHklm + "SOFTWARE\\Microsoft\\ServerManager", "CurrentRebootAttempts", kRegSz, "1");
        RegistryRoutines registry(api);
        std::vector<ClassifiedEntry> entries;
        if (c.effective) entries = ClassifyEntries({Value("PendingFileRenameOperations", S("\\??\\C:\\x\0\0"))},
                                                   PresenceOf({"C:\\x"}));
        const MachineStatus status = JudgeMachine({}, std::move(entries), ReadRestartSignals(registry));
        EXPECT_EQ(status.verdict, c.verdict);
        if (c.verdict == RestartVerdict::CannotTell) {
            EXPECT_EQ(status.status, kErrorAccessDenied);
            EXPECT_EQ(Lower(status.unreadable), "hkey_local_machine" + c.denied.substr(4));
        }
    }
}

// The Configuration Manager client as a stand-in: it answers as the WMI
// call returned (ConnectServer gives WBEM_E_INVALID_NAMESPACE without the
// client; DetermineIfRebootPending's RebootPending and IsHardRebootPending).
struct ClientStandIn : ConfigManagerClientApi {
    ClientRebootReply reply;
    std::uint32_t waited = 0;
    ClientRebootReply DetermineIfRebootPending(std::uint32_t timeoutMilliseconds) override {
        waited = timeoutMilliseconds;
        return reply;
    }
};

TEST(RestartSignals, TheConfigurationManagerClientsAnswer) {
    const struct {
        const char* what;
        ClientRebootReply reply;
        SignalState state;
        const char* failure;
    } cases[] = {
        {"no client", {true, kWbemInvalidNamespace, 0, false, false}, SignalState::Absent, ""},
        {"a restart pending", {true, 0, 0, true, false}, SignalState::Present, ""},
        {"a hard restart pending", {true, 0, 0, false, true}, SignalState::Present, ""},
        {"none pending", {true, 0, 0, false, false}, SignalState::Absent, ""},
        {"the call refused", {true, static_cast<std::int32_t>(0x80041003U), 0, true, true}, SignalState::Unreadable,
         "WMI error 0x80041003"},
        {"the method failed", {true, 0, 1, true, false}, SignalState::Unreadable, "DetermineIfRebootPending returned 1"},
        {"no answer in time", {false, 0, 0, false, false}, SignalState::Unreadable, "no answer within 10 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry api;
        RegistryRoutines registry(api);
        ClientStandIn client;
        client.reply = c.reply;
        const MachineStatus status = ReadMachineStatus(registry, PresenceOf({}), &client, true);
        EXPECT_EQ(client.waited, 10'000u);
        ASSERT_EQ(status.signals.back().row, &ClientSignalRow());
        EXPECT_EQ(status.signals.back().state, c.state);
        EXPECT_EQ(status.signals.back().failure, c.failure);
        // A client that cannot be read is never taken as "no restart": 5, as a key that cannot be read.
        EXPECT_EQ(status.verdict, c.state == SignalState::Present      ? RestartVerdict::Needed
                                  : c.state == SignalState::Unreadable ? RestartVerdict::CannotTell
                                                                       : RestartVerdict::NotNeeded);
        EXPECT_EQ(status.status, c.state == SignalState::Unreadable ? kErrorAccessDenied : 0);
    }
}

TEST(PendingVerdict, OnlyNoEffectAndUnreachedEntriesNeedNoRestart) {
    const std::vector<PendingValue> values{Value("PendingFileRenameOperations", S("\\??\\C:\\gone\0\0\0\\??\\C:\\x\0\0\0"))};
    EXPECT_EQ(JudgeMachine(values, ClassifyEntries(values, PresenceOf({"C:\\x"})), {}).verdict,
              RestartVerdict::NotNeeded);
    EXPECT_EQ(JudgeMachine(values, ClassifyEntries(values, PresenceOf({"C:\\gone"})), {}).verdict,
              RestartVerdict::Needed);
    std::vector<PendingValue> unreadable = values;
    unreadable[0].read.readable = false;
    unreadable[0].read.status = kErrorAccessDenied;
    EXPECT_EQ(JudgeMachine(unreadable, {}, {}).verdict, RestartVerdict::CannotTell);
}

// The hex bytes of a value's lines in a .reg text, and the lines' lengths.
std::vector<std::uint8_t> HexBytes(const std::string& text, std::vector<std::size_t>& lineLengths) {
    std::vector<std::uint8_t> bytes;
    const std::size_t start = text.find(":", text.find("hex(7)")) + 1;
    lineLengths.push_back(start - (text.rfind("\r\n", start) + 2));
    for (std::size_t i = start; i < text.size();) {
        if (text.compare(i, 5, "\\\r\n  ") == 0) {
            lineLengths.back() += 1;
            lineLengths.push_back(2);
            i += 5;
        } else if (text.compare(i, 2, "\r\n") == 0) {
            break;
        } else if (text[i] == ',') {
            ++lineLengths.back();
            ++i;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
            lineLengths.back() += 2;
            i += 2;
        }
    }
    return bytes;
}

TEST(RegFile, WritesAValueAsTheRegistryEditorExportsIt) {
    const std::string key = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    EXPECT_EQ(RegFileText(key, {{"V", kRegMultiSz, {0x41, 0, 0, 0, 0, 0}}}),
              "Windows Registry Editor Version 5.00\r\n\r\n[" + key + "]\r\n\"V\"=hex(7):41,00,00,00,00,00\r\n\r\n");
    EXPECT_EQ(RegFileText(key, {{"a\"b\\c", kRegMultiSz, {}}}),
              "Windows Registry Editor Version 5.00\r\n\r\n[" + key + "]\r\n\"a\\\"b\\\\c\"=hex(7):\r\n\r\n");

    // A long value: 14 bytes on the first line (80 characters with its
    // backslash), 25 on each following one, as regedit wraps them.
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 300; ++i) data.push_back(static_cast<std::uint8_t>(i * 7));
    const std::string text = RegFileText(key, {{"PendingFileRenameOperations", kRegMultiSz, data}});
    std::vector<std::size_t> lengths;
    EXPECT_EQ(HexBytes(text, lengths), data);
    const std::size_t nameLength = std::string("\"PendingFileRenameOperations\"=hex(7):").size();
    ASSERT_GT(lengths.size(), 2u);
    EXPECT_EQ(lengths[0], nameLength + 14 * 3 + 1);
    for (std::size_t i = 1; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], 2 + 25 * 3 + 1u);
    EXPECT_EQ(lengths.back(), 2 + (300 - 14) % 25 * 3 - 1);

    const std::string bytes = RegFileBytes(key, {{"V", kRegMultiSz, {0x41, 0}}});
    EXPECT_EQ(bytes.substr(0, 4), S("\xFF\xFEW\0"));
    EXPECT_EQ(bytes.size(), 2 + 2 * RegFileText(key, {{"V", kRegMultiSz, {0x41, 0}}}).size());
}

}  // namespace
}  // namespace pendrix
