// The file commands through the stand-in file system and registry: every
// outcome of a replacement and a deletion, and the session undo.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "registry/registry_constants.h"
#include "scheduler/file_commands.h"
#include "scheduler/name_pattern.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeListLock;
using testing::FakeRegistry;

using ::pendrix::testing::kSessionManager;
const std::string kAbsent = "<absent>";

class FileCommandsTest : public ::testing::Test {
protected:
    FileCommandsTest() {
        // The files the session tests schedule.
        for (const char* path : {"C:\\s", "C:\\a", "C:\\e", "C:\\f", "C:\\mine", "C:\\mine1"}) files.Put(path, "x");
    }
    void TearDown() override { EXPECT_EQ(registry.OpenHandles(), 0u); }

    std::string Stored() const {
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        return value == nullptr ? kAbsent : value->Text();
    }
    void Store(const std::string& data) {
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, data);
    }
    std::string Stored2() const {
        const auto* value = registry.FindValue(kSessionManager, kPendingValue2Name);
        return value == nullptr ? kAbsent : value->Text();
    }
    // Starts the session as the window does at load.
    FileCommands& Launch() {
        commands.emplace(routines, files, lock, PendingRenameList(routines).Read(),
                         PendingRenameList(routines, kPendingValue2Name).Read());
        return *commands;
    }
    // No file the commands made for themselves is left behind.
    void ExpectNoStrayFile() {
        for (const std::string& path : files.Paths()) EXPECT_EQ(path.find("pdx"), std::string::npos) << path;
    }

    FakeRegistry registry;
    FakeFileSystem files;
    RegistryRoutines routines{registry};
    FakeListLock lock;
    std::optional<FileCommands> commands;
};

// What happens to a destination holding "old" when it is replaced by a
// source holding "new", for each state of the two files.
struct ReplaceCase {
    const char* name;
    bool tryNow;
    void (*arrange)(FakeFileSystem&);
    CommandOutcome outcome;
    const char* destinationAfter;  // nullptr: absent
    std::int32_t status = 0;       // of a refusal or an interruption
    void (*check)(FakeFileSystem&) = nullptr;
    bool sourceMovedAsIs = false;  // scheduled: the source itself, not a copy staged now
};

const char kSource[] = "c:\\new\\lib.dll";
const char kDestination[] = "c:\\app\\lib.dll";

void Free(FakeFileSystem&) {}
void DestinationInUse(FakeFileSystem& fs) { fs.Find(kDestination)->inUse = true; }
void DestinationLoaded(FakeFileSystem& fs) { fs.Find(kDestination)->loaded = true; }
void StillLoaded(FakeFileSystem& fs) { EXPECT_TRUE(fs.Find(kDestination)->loaded); }
void DestinationAbsent(FakeFileSystem& fs) { fs.Remove(kDestination); }
void DestinationReadOnly(FakeFileSystem& fs) { fs.Find(kDestination)->attributes = kAttributeReadOnly; }
void SourceAbsent(FakeFileSystem& fs) { fs.Remove(kSource); }
void SourceLocked(FakeFileSystem& fs) { fs.Find(kSource)->lockedForRead = true; }
void SourceReadOnlyDestinationInUse(FakeFileSystem& fs) {
    fs.Find(kSource)->attributes = kAttributeReadOnly;
    DestinationInUse(fs);
}
void FolderRefusesNewFiles(FakeFileSystem& fs) { fs.foldersRefusingNewFiles.insert("c:\\app"); }
void SourceIsFolder(FakeFileSystem& fs) {
    fs.Remove(kSource);
    fs.PutFolder(kSource);
}
void DestinationIsFolder(FakeFileSystem& fs) {
    fs.Remove(kDestination);
    fs.PutFolder(kDestination);
    fs.Put("c:\\app\\lib.dll\\inside.txt", "old");
}
void DestinationFolderMissing(FakeFileSystem& fs) {
    fs.Remove(kDestination);
    fs.RemoveFolder("c:\\app");
}
void OnNetworkDriveInUse(FakeFileSystem& fs) {
    fs.remoteDrives.insert('c');
    DestinationInUse(fs);
}
void OnNetworkDrive(FakeFileSystem& fs) { fs.remoteDrives.insert('c'); }
void HiddenSystem(FakeFileSystem& fs) {
    fs.Find(kDestination)->attributes = kAttributeHidden | kAttributeSystem | kAttributeArchive;
}
void KeptHiddenSystem(FakeFileSystem& fs) {
    EXPECT_EQ(fs.Find(kDestination)->attributes, kAttributeHidden | kAttributeSystem | kAttributeArchive);
}
void KeptReadOnly(FakeFileSystem& fs) { EXPECT_EQ(fs.Find(kDestination)->attributes, kAttributeReadOnly); }
void HardLinked(FakeFileSystem& fs) { fs.Alias("c:\\other\\link.dll", kDestination); }
void HardLinkedReadOnly(FakeFileSystem& fs) {
    HardLinked(fs);
    DestinationReadOnly(fs);
}
void LinkSeesNew(FakeFileSystem& fs) {
    EXPECT_EQ(fs.Find("c:\\other\\link.dll")->content, "new");
    FileIdentity a, b;
    fs.Identity("c:\\other\\link.dll", a);
    fs.Identity(kDestination, b);
    EXPECT_EQ(a, b);
}
void LinkKeepsOld(FakeFileSystem& fs) { EXPECT_EQ(fs.Find("c:\\other\\link.dll")->content, "old"); }
void SymbolicLinkToReal(FakeFileSystem& fs) {
    fs.Put("c:\\real\\lib.dll", "old");
    fs.Remove(kDestination);
    fs.SymbolicLink(kDestination, "c:\\real\\lib.dll");
}
void LinkStaysALink(FakeFileSystem& fs) {
    EXPECT_EQ(fs.Find("c:\\real\\lib.dll")->content, "new");
    fs.Remove("c:\\real\\lib.dll");
    EXPECT_FALSE(fs.Exists(kDestination)) << "the destination is no longer a link";
}
void SwapStopsHalfWay(FakeFileSystem& fs) {
    fs.fault = [](const std::string& call, const std::string&) { return call == "Replace" ? 1u : 0u; };
}
bool NamesDestination(const std::string& path) {
    return path.size() >= 12 && path.compare(path.size() - 12, 12, "\\app\\lib.dll") == 0;
}
void SwapStopsAndStays(FakeFileSystem& fs) {
    // The destination cannot be put back under its name either.
    fs.fault = [](const std::string& call, const std::string& path) {
        return call == "Replace" || (call == "MoveOver" && NamesDestination(path)) ? kErrorAccessDenied : 0u;
    };
}
void KeptInABackup(FakeFileSystem& fs) {
    int backups = 0;
    for (const std::string& path : fs.Paths())
        if (path.find("pdx") != std::string::npos) backups += fs.Find(path)->content == "old" ? 1 : 100;
    EXPECT_EQ(backups, 1) << "one backup, holding the old content";
}
constexpr std::uint32_t kDiskFull = 112;  // ERROR_DISK_FULL
void InPlaceWriteFails(FakeFileSystem& fs) {
    HardLinked(fs);
    fs.fault = [failed = false](const std::string& call, const std::string& path) mutable {
        if (failed || call != "Copy" || !NamesDestination(path)) return 0u;
        failed = true;
        return kDiskFull;
    };
}
void InPlaceWriteAndRestoreFail(FakeFileSystem& fs) {
    HardLinked(fs);
    fs.fault = [](const std::string& call, const std::string& path) {
        return call == "Copy" && NamesDestination(path) ? kDiskFull : 0u;
    };
}

const ReplaceCase kReplaceCases[] = {
    {"free destination", true, Free, CommandOutcome::DoneNow, "new"},
    {"destination in use", true, DestinationInUse, CommandOutcome::Scheduled, "old"},
    {"destination loaded by a program", true, DestinationLoaded, CommandOutcome::Scheduled, "old", 0, StillLoaded},
    {"destination absent", true, DestinationAbsent, CommandOutcome::Scheduled, nullptr},
    {"destination read-only", true, DestinationReadOnly, CommandOutcome::DoneNow, "new", 0, KeptReadOnly},
    {"source absent", true, SourceAbsent, CommandOutcome::Refused, "old", kErrorFileNotFound},
    {"source locked", true, SourceLocked, CommandOutcome::Scheduled, "old", 0, nullptr, true},
    {"read-only copy, destination in use", true, SourceReadOnlyDestinationInUse, CommandOutcome::Scheduled, "old"},
    {"folder refuses new files", true, FolderRefusesNewFiles, CommandOutcome::Refused, "old", kErrorAccessDenied},
    {"not asked to try now", false, Free, CommandOutcome::Scheduled, "old"},
    {"source is a folder", true, SourceIsFolder, CommandOutcome::Refused, "old", kErrorDirectoryNotSupported},
    {"destination is a folder", false, DestinationIsFolder, CommandOutcome::Refused, nullptr, kErrorDirectoryNotSupported},
    {"destination's folder missing", true, DestinationFolderMissing, CommandOutcome::Refused, nullptr, kErrorPathNotFound},
    {"network drive, in use", true, OnNetworkDriveInUse, CommandOutcome::Refused, "old", kErrorNotSupported},
    {"network drive, free", true, OnNetworkDrive, CommandOutcome::DoneNow, "new"},
    {"hidden system destination", true, HiddenSystem, CommandOutcome::DoneNow, "new", 0, KeptHiddenSystem},
    {"hard-linked destination", true, HardLinked, CommandOutcome::DoneNow, "new", 0, LinkSeesNew},
    {"hard-linked read-only destination", true, HardLinkedReadOnly, CommandOutcome::DoneNow, "new", 0, KeptReadOnly},
    {"symbolic link", true, SymbolicLinkToReal, CommandOutcome::DoneNow, "new", 0, LinkStaysALink},
    {"swap stops half-way, put back", true, SwapStopsHalfWay, CommandOutcome::Scheduled, "old"},
    {"swap stops half-way, not put back", true, SwapStopsAndStays, CommandOutcome::Interrupted, nullptr,
     static_cast<std::int32_t>(kErrorUnableToMoveReplacement2), KeptInABackup},
    {"writing in place fails", true, InPlaceWriteFails, CommandOutcome::Scheduled, "old", 0, LinkKeepsOld},
    {"writing in place and putting back fail", true, InPlaceWriteAndRestoreFail, CommandOutcome::Interrupted, "",
     static_cast<std::int32_t>(kDiskFull), KeptInABackup},
};

TEST_F(FileCommandsTest, ReplaceOutcomes) {
    for (const ReplaceCase& test : kReplaceCases) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\x\0\0\0"));
        files.PutFolder("c:\\new");
        files.Put(kSource, "new");
        files.PutFolder("c:\\app");
        files.Put(kDestination, "old");
        test.arrange(files);

        const CommandResult result = Launch().Replace(kSource, kDestination, test.tryNow);
        files.fault = nullptr;
        EXPECT_EQ(result.outcome, test.outcome);
        EXPECT_EQ(result.status, test.status);
        EXPECT_EQ(result.listTextRead, S("\\??\\C:\\x\0"));
        const FakeFileSystem::File* destination = files.Find(kDestination);
        if (test.destinationAfter == nullptr) {
            EXPECT_EQ(destination, nullptr);
        } else {
            ASSERT_NE(destination, nullptr);
            EXPECT_EQ(destination->content, test.destinationAfter);
        }
        if (test.check) test.check(files);
        if (test.outcome != CommandOutcome::Interrupted) ExpectNoStrayFile();
        const std::string scheduled =
            test.sourceMovedAsIs ? S("\\??\\C:\\x\0\0\\??\\c:\\new\\lib.dll\0!\\??\\c:\\app\\lib.dll\0\0")
                                 : S("\\??\\C:\\x\0\0\\??\\c:\\app\\lib.dll.pendrix-new-1\0!\\??\\c:\\app\\lib.dll\0\0");
        EXPECT_EQ(Stored(), test.outcome == CommandOutcome::Scheduled ? scheduled : S("\\??\\C:\\x\0\0\0"));
        EXPECT_EQ(result.sourceMovedAsIs, test.sourceMovedAsIs);
        // A staged copy holds the source's content, owned by the administrators, with the destination's rules.
        const FakeFileSystem::File* staged = files.Find("c:\\app\\lib.dll.pendrix-new-1");
        if (test.outcome == CommandOutcome::Scheduled && !test.sourceMovedAsIs) {
            ASSERT_NE(staged, nullptr);
            EXPECT_EQ(staged->content, "new");
            EXPECT_EQ(staged->owner, "BUILTIN\\Administrators");
            EXPECT_EQ(result.stagedCopy, "c:\\app\\lib.dll.pendrix-new-1");
        } else {
            EXPECT_EQ(staged, nullptr) << "no staged copy is left when none is scheduled";
        }
        if (files.Exists(kSource)) {
            EXPECT_EQ(files.Find(kSource)->content, "new");
        }
    }
}

// Each name is resolved as Windows resolves it, and the list gets its one
// NT form; a name that names no file the start-up processing can act on is
// refused with nothing scheduled.
struct NameCase {
    const char* source;
    const char* destination;
    CommandOutcome outcome;
    std::string stored;  // the pair's strings when scheduled
    std::int32_t status = 0;
};

const NameCase kNameCases[] = {
    {"", "C:\\d", CommandOutcome::NeedsInput, ""},
    {"  ", "C:\\d", CommandOutcome::NeedsInput, ""},
    {"\t", "C:\\d", CommandOutcome::NeedsInput, ""},
    {"s", "//?/C:/dir/f4.txt", CommandOutcome::Scheduled, S("\\??\\C:\\work\\s\0!\\??\\C:\\dir\\f4.txt")},
    {"s", "C:/dir/./a b.txt. .", CommandOutcome::Scheduled, S("\\??\\C:\\work\\s\0!\\??\\C:\\dir\\a b.txt")},
    {"..\\work\\s", "\\\\?\\C:\\dir\\a b.txt", CommandOutcome::Scheduled, S("\\??\\C:\\work\\s\0!\\??\\C:\\dir\\a b.txt")},
    {"\\??\\C:\\work\\s", "\\\\.\\C:\\dir\\x\\..\\f3.txt", CommandOutcome::Scheduled,
     S("\\??\\C:\\work\\s\0!\\??\\C:\\dir\\f3.txt")},
    // A name only the verbatim form reaches keeps its trailing period.
    {"s", "\\\\?\\C:\\dir\\f1.", CommandOutcome::Scheduled, S("\\??\\C:\\work\\s\0!\\??\\C:\\dir\\f1.")},
    {"s", "C:\\dir\\a<b.txt", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "C:\\dir\\*.txt", CommandOutcome::Refused, "", kErrorInvalidName},
    {"C:\\di?\\s", "C:\\dir\\a.txt", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "\\\\?\\C:\\dir\\..\\a.txt", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "\\\\?\\C:\\.\\a", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "C:\\dir\\a\x1f.txt", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "C:\\dir\\:stream", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "C:\\", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "C:", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "C:.", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "C: ", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "CON:", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "C:\\dir\\CONIN$", CommandOutcome::Refused, "", kErrorBadPathname},
    {"\\\\.\\C:", "C:\\dir\\a.txt", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "\\\\.\\PhysicalDrive0", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "\\\\?\\Volume{6d5f4a2e-0000-0000-0000-100000000000}\\a.txt", CommandOutcome::Refused, "",
     kErrorBadPathname},
    {"s", "C:\\dir\\nul.txt", CommandOutcome::Refused, "", kErrorBadPathname},
    {"s", "\\\\server\\share\\a.txt", CommandOutcome::Refused, "", kErrorNotSupported},
    {"s", "\\\\server\\share", CommandOutcome::Refused, "", kErrorBadPathname},
    // One pair of quotes around a name, as "Copy as path" gives it, is taken
    // off; a quote anywhere else is refused, as Windows refuses it.
    {"\"C:\\work\\s\"", "\"C:\\dir\\a b.txt\"", CommandOutcome::Scheduled,
     S("\\??\\C:\\work\\s\0!\\??\\C:\\dir\\a b.txt")},
    {"\"s\"", "\"\\\\?\\C:\\dir\\f1.\"", CommandOutcome::Scheduled, S("\\??\\C:\\work\\s\0!\\??\\C:\\dir\\f1.")},
    {"\"\"", "C:\\d", CommandOutcome::NeedsInput, ""},
    {"\" \"", "C:\\d", CommandOutcome::NeedsInput, ""},
    {"s", "\"\"C:\\dir\\a.txt\"\"", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "\"C:\\dir\\a.txt", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "C:\\dir\\a.txt\"", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "\"", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "\"C:\\dir\\\"a\".txt\"", CommandOutcome::Refused, "", kErrorInvalidName},
    {"s", "\"C:\\dir\\a<b.txt\"", CommandOutcome::Refused, "", kErrorInvalidName},
};

TEST_F(FileCommandsTest, NamesAreResolvedOrRefusedAsWindowsReadsThem) {
    files.Put("C:\\work\\s", "new");
    // Locked, so that the list names the source itself, as resolved.
    files.Find("C:\\work\\s")->lockedForRead = true;
    files.PutFolder("C:\\dir");
    files.PutFolder("\\\\server\\share");
    for (const NameCase& test : kNameCases) {
        SCOPED_TRACE(std::string(test.source) + " -> " + test.destination);
        registry = FakeRegistry();
        const CommandResult result = Launch().Replace(test.source, test.destination, false);
        EXPECT_EQ(result.outcome, test.outcome);
        EXPECT_EQ(result.status, test.status);
        // A refusal names the name without the quotes taken off.
        if (result.outcome == CommandOutcome::Refused && std::string(test.destination) == "\"C:\\dir\\a<b.txt\"") {
            EXPECT_EQ(result.subjectName, "C:\\dir\\a<b.txt");
        }
        if (!test.stored.empty()) {
            EXPECT_EQ(Stored(), test.stored + S("\0\0"));
        } else {
            EXPECT_EQ(Stored(), kAbsent);
        }
    }
    EXPECT_EQ(files.Find("C:\\work\\s")->content, "new");
}

TEST_F(FileCommandsTest, ALongFolderWorksAndLeavesNothingBehind) {
    // Past MAX_PATH, where a fixed buffer once overflowed.
    const std::string folder = "c:\\" + std::string(120, 'a') + "\\" + std::string(150, 'b');
    files.Put(folder + "\\new.dll", "new");
    files.Put(folder + "\\lib.dll", "old");
    EXPECT_EQ(Launch().Replace(folder + "\\new.dll", folder + "\\lib.dll", true).outcome, CommandOutcome::DoneNow);
    EXPECT_EQ(files.Find(folder + "\\lib.dll")->content, "new");
    ExpectNoStrayFile();
    files.Find(folder + "\\lib.dll")->inUse = true;
    EXPECT_EQ(commands->Replace(folder + "\\new.dll", folder + "\\lib.dll", true).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), "\\??\\" + folder + S("\\lib.dll.pendrix-new-1\0!\\??\\") + folder + S("\\lib.dll\0\0"));
    ExpectNoStrayFile();
}

// The file's final name on a share is "\\?\UNC\server\share\...".
TEST_F(FileCommandsTest, AFileOnAShareIsReplacedNow) {
    files.Put("\\\\server\\share\\new.dll", "new");
    files.Put("\\\\server\\share\\lib.dll", "old");
    EXPECT_EQ(Launch().Replace("\\\\server\\share\\new.dll", "\\\\server\\share\\lib.dll", true).outcome,
              CommandOutcome::DoneNow);
    EXPECT_EQ(files.Find("\\\\server\\share\\lib.dll")->content, "new");
    ExpectNoStrayFile();
}

TEST_F(FileCommandsTest, OneFileNamedTwiceIsRefusedHoweverItIsSpelt) {
    files.Put("c:\\app\\library.dll", "only copy");
    files.ShortName("c:\\app\\library.dll", "LIBRAR~1.DLL");
    files.Alias("c:\\app\\hard link.dll", "c:\\app\\library.dll");
    files.currentFolder = "c:\\app\\";
    for (const char* other :
         {"c:\\app\\library.dll", "C:\\APP\\LIBRARY.DLL", "c:\\app\\LIBRAR~1.DLL", "library.dll", "hard link.dll"}) {
        for (const bool tryNow : {true, false}) {
            SCOPED_TRACE(other);
            EXPECT_EQ(Launch().Replace("c:\\app\\library.dll", other, tryNow).outcome, CommandOutcome::SameFile);
            EXPECT_EQ(files.Find("c:\\app\\library.dll")->content, "only copy");
            EXPECT_EQ(Stored(), kAbsent);
        }
    }
}

TEST_F(FileCommandsTest, ANewListGetsExactlyOnePair) {
    files.Put("C:\\new\\lib.dll", "new");
    files.PutFolder("C:\\app");
    EXPECT_EQ(Launch().Replace("C:\\new\\lib.dll", "C:\\app\\lib.dll", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), S("\\??\\C:\\app\\lib.dll.pendrix-new-1\0!\\??\\C:\\app\\lib.dll\0\0"));
}

struct DeleteCase {
    const char* name;
    const char* typed;
    bool tryNow;
    std::vector<const char*> inUse;
    CommandOutcome outcome;
    std::vector<const char*> scheduledFirstStrings;
    std::vector<const char*> gone;  // the files deleted; every other stays
    std::int32_t status = 0;
};

// Files put before each case, some read-only, some with short names that
// a pattern matches where their long names do not.
const char* const kDeleteFiles[] = {"c:\\t\\a.tmp", "c:\\t\\b.tmp", "c:\\t\\keep.log", "c:\\t\\ro.txt",
                                    "c:\\w\\x.html", "c:\\w\\y.htm", "c:\\w\\keep.htmlx", "c:\\w\\report.htm_old",
                                    "c:\\w\\noext", "n:\\share\\a.tmp", "n:\\share\\b.tmp", "n:\\share\\ro.txt"};
const char* const kReadOnlyFiles[] = {"c:\\t\\ro.txt", "n:\\share\\ro.txt"};

const DeleteCase kDeleteCases[] = {
    {"free file", "c:\\t\\a.tmp", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\a.tmp"}},
    {"file in use", "c:\\t\\a.tmp", true, {"c:\\t\\a.tmp"}, CommandOutcome::Scheduled, {"\\??\\c:\\t\\a.tmp"}, {}},
    {"absent file", "c:\\t\\none.tmp", true, {}, CommandOutcome::Refused, {}, {}, kErrorFileNotFound},
    {"absent folder", "c:\\none\\a.tmp", false, {}, CommandOutcome::Refused, {}, {}, kErrorPathNotFound},
    {"read-only file", "c:\\t\\ro.txt", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\ro.txt"}},
    {"read-only file in use", "c:\\t\\ro.txt", true, {"c:\\t\\ro.txt"}, CommandOutcome::Scheduled,
     {"\\??\\c:\\t\\ro.txt"}, {}},
    {"empty folder", "c:\\t\\sub.tmp", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\sub.tmp"}},
    {"empty folder, not now", "c:\\t\\sub.tmp\\", false, {}, CommandOutcome::Scheduled, {"\\??\\c:\\t\\sub.tmp"}, {}},
    {"folder holding files", "c:\\t", true, {}, CommandOutcome::Refused, {}, {}, kErrorDirNotEmpty},
    {"folder holding files, not now", "c:\\t", false, {}, CommandOutcome::Refused, {}, {}, kErrorDirNotEmpty},
    {"pattern, all free", "c:\\t\\*.tmp", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\a.tmp", "c:\\t\\b.tmp"}},
    {"pattern, one in use", "c:\\t\\?.tmp", true, {"c:\\t\\b.tmp"}, CommandOutcome::Scheduled,
     {"\\??\\c:\\t\\b.tmp"}, {"c:\\t\\a.tmp"}},
    {"relative pattern, two in use", "t\\*.*", true, {"c:\\t\\a.tmp", "c:\\t\\keep.log"},
     CommandOutcome::Scheduled, {"\\??\\c:\\t\\a.tmp", "\\??\\c:\\t\\keep.log"}, {"c:\\t\\b.tmp", "c:\\t\\ro.txt"}},
    {"pattern matching nothing", "c:\\t\\*.bak", true, {}, CommandOutcome::Refused, {}, {}, kErrorFileNotFound},
    {"pattern, not now", "c:/t/*.tmp", false, {}, CommandOutcome::Scheduled,
     {"\\??\\c:\\t\\a.tmp", "\\??\\c:\\t\\b.tmp"}, {}},
    {"pattern matching short names", "c:\\w\\*.htm", true, {}, CommandOutcome::DoneNow, {}, {"c:\\w\\y.htm"}},
    {"pattern matching short names, not now", "c:\\w\\*.HTM", false, {}, CommandOutcome::Scheduled,
     {"\\??\\c:\\w\\y.htm"}, {}},
    {"pattern without extension", "c:\\w\\*.", true, {}, CommandOutcome::DoneNow, {}, {"c:\\w\\noext"}},
    {"? before the period matches nothing", "c:\\t\\b?.tmp", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\b.tmp"}},
    {"period before * matches the end", "c:\\w\\noext.*", true, {}, CommandOutcome::DoneNow, {}, {"c:\\w\\noext"}},
    {"a tab is no name", "\t", true, {}, CommandOutcome::NeedsInput, {}, {}},
    {"pattern in a stream's name", "c:\\t\\a.tmp:*", true, {}, CommandOutcome::Refused, {}, {}, kErrorInvalidName},
    {"wildcard in a folder's name", "c:\\?\\*.tmp", true, {}, CommandOutcome::Refused, {}, {}, kErrorInvalidName},
    {"a drive's root", "c:\\", true, {}, CommandOutcome::Refused, {}, {}, kErrorBadPathname},
    {"a volume", "\\\\.\\C:", true, {}, CommandOutcome::Refused, {}, {}, kErrorBadPathname},
    {"NT form", "\\??\\c:\\t\\a.tmp", false, {}, CommandOutcome::Scheduled, {"\\??\\c:\\t\\a.tmp"}, {}},
    {"quoted file", "\"c:\\t\\a.tmp\"", true, {}, CommandOutcome::DoneNow, {}, {"c:\\t\\a.tmp"}},
    {"quoted pattern without extension", "\"c:\\w\\*.\"", true, {}, CommandOutcome::DoneNow, {}, {"c:\\w\\noext"}},
    {"quoted twice", "\"\"c:\\t\\a.tmp\"\"", true, {}, CommandOutcome::Refused, {}, {}, kErrorInvalidName},
    {"quote inside", "c:\\t\\\"a\".tmp", true, {}, CommandOutcome::Refused, {}, {}, kErrorInvalidName},
    {"network drive, in use", "n:\\share\\a.tmp", true, {"n:\\share\\a.tmp"}, CommandOutcome::Refused, {}, {},
     kErrorNotSupported},
    {"network drive, free", "n:\\share\\a.tmp", true, {}, CommandOutcome::DoneNow, {}, {"n:\\share\\a.tmp"}},
    {"read-only, in use, on the network", "n:\\share\\ro.txt", true, {"n:\\share\\ro.txt"}, CommandOutcome::Refused,
     {}, {}, kErrorNotSupported},
    {"network pattern, one in use", "n:\\share\\*.tmp", true, {"n:\\share\\b.tmp"}, CommandOutcome::Refused, {},
     {"n:\\share\\a.tmp"}, kErrorNotSupported},
};

TEST_F(FileCommandsTest, DeleteOutcomes) {
    for (const DeleteCase& test : kDeleteCases) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        files.currentFolder = "c:\\";
        files.remoteDrives.insert('n');
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\x\0\0\0"));
        for (const char* path : kDeleteFiles) files.Put(path, "x");
        for (const char* path : kReadOnlyFiles) files.Find(path)->attributes = kAttributeReadOnly;
        files.ShortName("c:\\w\\x.html", "X~1.HTM");
        files.ShortName("c:\\w\\keep.htmlx", "KEEP~1.HTM");
        files.ShortName("c:\\w\\report.htm_old", "REPORT~1.HTM");
        files.PutFolder("c:\\t\\sub.tmp");
        for (const char* path : test.inUse) files.Find(path)->inUse = true;

        // Asked first, a pattern names the files it then deletes or schedules.
        const std::vector<std::string> matches = Launch().PatternMatches(test.typed);
        const CommandResult result = commands->Delete(test.typed, test.tryNow);
        EXPECT_EQ(result.outcome, test.outcome);
        EXPECT_EQ(result.status, test.status);
        if (result.outcome == CommandOutcome::DoneNow || result.outcome == CommandOutcome::Scheduled) {
            EXPECT_EQ(matches.size(), result.pattern ? result.deletedNow.size() + result.scheduled.size() : 0u);
        }
        std::string expected = S("\\??\\C:\\x\0\0");
        for (const char* first : test.scheduledFirstStrings) expected += std::string(first) + S("\0\0");
        expected.push_back('\0');
        EXPECT_EQ(Stored(), expected);
        ASSERT_EQ(result.scheduled.size(), test.scheduledFirstStrings.size());
        // "Deleted" is said of exactly the files that went.
        EXPECT_EQ(result.deletedNow, std::vector<std::string>(test.gone.begin(), test.gone.end()));
        for (const char* path : kDeleteFiles) {
            const bool gone = std::find(test.gone.begin(), test.gone.end(), std::string(path)) != test.gone.end();
            EXPECT_EQ(files.Exists(path), !gone) << path;
        }
        // What is scheduled can be deleted at start-up: nothing read-only;
        // a read-only file neither deleted nor scheduled stays so.
        for (const RenamePair& pair : result.scheduled) {
            std::uint32_t attributes = 0;
            EXPECT_EQ(files.Attributes(pair.first.substr(4), attributes), kErrorSuccess) << pair.first;
            EXPECT_FALSE(attributes & kAttributeReadOnly) << pair.first;
        }
        for (const char* path : kReadOnlyFiles) {
            const bool scheduled = std::any_of(result.scheduled.begin(), result.scheduled.end(),
                                               [&](const RenamePair& pair) { return pair.first.substr(4) == path; });
            if (files.Exists(path) && !scheduled) {
                EXPECT_EQ(files.Find(path)->attributes, kAttributeReadOnly) << path;
            }
        }
    }
}

// What FindFirstFileW matches: the program's matcher and the stand-in agree
// with it.
TEST_F(FileCommandsTest, PatternsMatchAsTheFindFunctionsMatch) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.*", "noext", true},   {"*.", "noext", true},      {"*.", "a.txt", false},   {"a?.txt", "a.txt", true},
        {"a?.txt", "ab.txt", true}, {"a?.txt", "abc.txt", false}, {"a.*", "a", true},      {"*.?", "ab.c", true},
        {"*.?", "ab.cd", false},  {"*.htm", "a.htm.htm", true}, {"*.htm", "x.html", false}, {"*.TXT", "a.txt", true},
        {"??", "a", true},        {"a*.", "ab.c", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " " + c.name);
        EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.matches);
        files = FakeFileSystem();
        files.Put(std::string("c:\\m\\") + c.name, "x");
        std::vector<FoundFile> found;
        EXPECT_EQ(files.FindFiles(std::string("c:\\m\\") + c.pattern, found),
                  c.matches ? kErrorSuccess : kErrorFileNotFound);
    }
}

TEST_F(FileCommandsTest, AnotherProgramsChangeDuringTheAttemptIsKept) {
    files.Put("c:\\t\\a.tmp", "x");
    files.Find("c:\\t\\a.tmp")->inUse = true;
    Launch();
    files.onRemove = [this](const std::string&) { Store(S("\\??\\C:\\installer\0\0\0")); };
    EXPECT_EQ(commands->Delete("c:\\t\\*.tmp", true).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), S("\\??\\C:\\installer\0\0\\??\\c:\\t\\a.tmp\0\0\0"));
}

// A match that another program deletes before Pendrix does is gone: not
// told as deleted, not scheduled.
TEST_F(FileCommandsTest, AMatchDeletedMeanwhileIsGone) {
    files.Put("c:\\t\\a.tmp", "x");
    bool first = true;
    files.onRemove = [&](const std::string& path) {
        if (std::exchange(first, false)) files.Remove(path);
    };
    const CommandResult result = Launch().Delete("c:\\t\\*.tmp", true);
    EXPECT_EQ(result.outcome, CommandOutcome::DoneNow);
    EXPECT_TRUE(result.deletedNow.empty());
    EXPECT_EQ(Stored(), kAbsent);
}

// A read-only destination that could be neither replaced nor scheduled
// gets its attribute back.
TEST_F(FileCommandsTest, AReadOnlyDestinationNotScheduledStaysReadOnly) {
    files.Put("C:\\d", "old");
    files.Find("C:\\d")->attributes = kAttributeReadOnly;
    files.Find("C:\\d")->inUse = true;
    registry.refuseWrites = true;
    EXPECT_EQ(Launch().Replace("C:\\s", "C:\\d", true).outcome, CommandOutcome::NotScheduled);
    EXPECT_EQ(files.Find("C:\\d")->attributes, kAttributeReadOnly);
}

TEST_F(FileCommandsTest, NothingIsReportedAsScheduledThatWasNot) {
    Store(S("\\??\\C:\\x\0\0\0"));
    registry.refuseWrites = true;
    const CommandResult refused = Launch().Delete("C:\\a", false);
    EXPECT_EQ(refused.outcome, CommandOutcome::NotScheduled);
    EXPECT_EQ(refused.status, kErrorAccessDenied);
    EXPECT_FALSE(refused.readFailed);
    EXPECT_EQ(Stored(), S("\\??\\C:\\x\0\0\0"));

    registry.refuseWrites = false;
    Store(std::string(3000, 'p') + S("\0\0\0"));
    registry.growthsLeft = 1000;  // a value that never stops growing cannot be read
    registry.growsFourfold = true;
    const CommandResult unread = commands->Replace("C:\\s", "C:\\d", false);
    EXPECT_EQ(unread.outcome, CommandOutcome::NotScheduled);
    EXPECT_TRUE(unread.readFailed);
    EXPECT_EQ(unread.status, kErrorMoreData);
}

TEST_F(FileCommandsTest, CancelAllRestoresTheValueReadAtLaunch) {
    // A list another program stored, ending with a deletion pair.
    const std::string atLaunch = S("\\??\\C:\\a\0!\\??\\C:\\b\0\\??\\C:\\c\0\0\0");
    Store(atLaunch);
    Launch();
    EXPECT_EQ(commands->Replace("C:\\s", "C:\\d", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(commands->Delete("C:\\e", false).outcome, CommandOutcome::Scheduled);
    for (int click = 0; click < 2; ++click) {
        const UndoResult undo = commands->CancelAll();
        EXPECT_EQ(undo.reversed, click == 0);
        EXPECT_EQ(undo.nothing, click == 0 ? NothingToTakeBack::No : NothingToTakeBack::AlreadyGone);
        EXPECT_EQ(Stored(), atLaunch);
    }
    // Scheduling goes on from the restored list.
    EXPECT_EQ(commands->Delete("C:\\f", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(Stored(), atLaunch.substr(0, atLaunch.size() - 1) + S("\\??\\C:\\f\0\0\0"));
}

TEST_F(FileCommandsTest, CancelAllWithNoValueAtLaunchDeletesTheValue) {
    Launch();
    EXPECT_EQ(commands->CancelAll().nothing, NothingToTakeBack::NothingScheduled);
    EXPECT_EQ(Stored(), kAbsent);
    EXPECT_EQ(commands->Delete("C:\\e", false).outcome, CommandOutcome::Scheduled);
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), kAbsent);

    // Another program's pair meanwhile stays; once it is carried out and
    // gone, what is left of this session goes with the value.
    EXPECT_EQ(commands->Delete("C:\\e", false).outcome, CommandOutcome::Scheduled);
    Store(S("\\??\\C:\\setup\0\0\\??\\C:\\e\0\0\0"));
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), S("\\??\\C:\\setup\0\0\0"));
    EXPECT_EQ(commands->Delete("C:\\f", false).outcome, CommandOutcome::Scheduled);
    Store(S("\\??\\C:\\f\0\0\0"));
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), kAbsent);
}

// A value another program turned into another type, or into data of an odd
// size, is never written over: scheduling and Cancel All refuse and say why.
TEST_F(FileCommandsTest, AListOfAnotherFormIsNeverOverwritten) {
    const std::string theirs = S("\\\0?\0?\0\\\0C\0:\0\\\0a\0\0\0\0\0\0\0");
    for (const bool atLaunch : {true, false}) {
        SCOPED_TRACE(atLaunch ? "of another form at launch" : "turned into another form later");
        registry = FakeRegistry();
        if (atLaunch) registry.PutValue(kSessionManager, kPendingValueName, kRegBinary, ByteList(theirs.begin(), theirs.end()));
        Launch();
        if (!atLaunch) {
            EXPECT_EQ(commands->Delete("C:\\mine", false).outcome, CommandOutcome::Scheduled);
            registry.PutValue(kSessionManager, kPendingValueName, kRegBinary, ByteList(theirs.begin(), theirs.end()));
        }
        const int writes = registry.setCalls;
        const CommandResult refused = commands->Replace("C:\\s", "C:\\d", false);
        EXPECT_EQ(refused.outcome, CommandOutcome::ListOfAnotherForm);
        EXPECT_EQ(refused.listShape.type, kRegBinary);
        EXPECT_EQ(refused.listShape.bytes, 22u);
        EXPECT_EQ(commands->Delete("C:\\e", false).outcome, CommandOutcome::ListOfAnotherForm);
        const UndoResult undo = commands->CancelAll();
        EXPECT_FALSE(undo.reversed);
        EXPECT_TRUE(undo.anotherForm);
        EXPECT_EQ(registry.setCalls, writes);
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        EXPECT_EQ(value->type, kRegBinary);
        EXPECT_EQ(std::string(value->data.begin(), value->data.end()), theirs);
    }
    // A list whose last byte is half a character.
    registry.PutTextWithHalfUnit(kSessionManager, kPendingValueName, kRegMultiSz, S("\\??\\C:\\a\0\0\0"));
    const CommandResult odd = commands->Delete("C:\\e", false);
    EXPECT_EQ(odd.outcome, CommandOutcome::ListOfAnotherForm);
    EXPECT_EQ(odd.listShape.type, kRegMultiSz);
    EXPECT_EQ(odd.listShape.bytes, 23u);
    EXPECT_FALSE(commands->CancelAll().reversed);
    EXPECT_EQ(registry.FindValue(kSessionManager, kPendingValueName)->data.size(), 23u) << "not a byte changed";
}

TEST_F(FileCommandsTest, CancelAllKeepsWhatOtherProgramsScheduledMeanwhile) {
    Store(S("\\??\\C:\\a\0\0\0"));
    Launch();
    EXPECT_EQ(commands->Delete("C:\\mine1", false).outcome, CommandOutcome::Scheduled);
    // An installer appends its own pair, then Pendrix schedules again.
    Store(Stored().substr(0, Stored().size() - 1) + S("\\??\\C:\\setup\0!\\??\\C:\\app\0\0"));
    EXPECT_EQ(commands->Replace("C:\\s", "C:\\mine2", false).outcome, CommandOutcome::Scheduled);
    // The installer's pair is the same as one of Pendrix's: only one goes.
    EXPECT_EQ(commands->Delete("C:\\a", false).outcome, CommandOutcome::Scheduled);

    const std::string expected = S("\\??\\C:\\a\0\0\\??\\C:\\setup\0!\\??\\C:\\app\0\0");
    for (int click = 0; click < 2; ++click) {
        EXPECT_EQ(commands->CancelAll().reversed, click == 0);
        EXPECT_EQ(Stored(), expected);
    }
}

TEST_F(FileCommandsTest, CancelAllNeverWritesASnapshotItCouldNotRead) {
    Store(std::string(3000, 'p') + S("\0\0\0"));
    registry.growthsLeft = 1000;  // unreadable while the session begins
    registry.growsFourfold = true;
    Launch();
    registry.growthsLeft = 0;
    const std::string other = Stored();
    EXPECT_FALSE(commands->AtLaunch().readable);
    // Nothing of this session's to take back: the list stays as it is.
    EXPECT_EQ(commands->CancelAll().nothing, NothingToTakeBack::NothingScheduled);
    EXPECT_EQ(Stored(), other);
    EXPECT_EQ(commands->Delete("C:\\mine", false).outcome, CommandOutcome::Scheduled);
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), other);
}

// Nothing is said to be reversed that was not: with nothing of this
// session's in the list, nothing is written, and the result says why and
// what the list still holds.
TEST_F(FileCommandsTest, CancelAllSaysWhyNothingWasTakenBack) {
    const std::string others = S("\\??\\C:\\a\0!\\??\\C:\\b\0\\??\\C:\\c\0\0\0");
    Store(others);
    Launch();
    const int writes = registry.setCalls;
    UndoResult undo = commands->CancelAll();
    EXPECT_FALSE(undo.reversed);
    EXPECT_EQ(undo.nothing, NothingToTakeBack::NothingScheduled);
    EXPECT_TRUE(undo.stillPending.known);
    EXPECT_EQ(undo.stillPending.operations, 2u);
    EXPECT_EQ(registry.setCalls, writes);

    // Another program took this session's deletion out again.
    EXPECT_EQ(commands->Delete("C:\\e", false).outcome, CommandOutcome::Scheduled);
    EXPECT_EQ(commands->CountPending().operations, 3u);
    Store(S("\\??\\C:\\a\0!\\??\\C:\\b\0\0"));
    undo = commands->CancelAll();
    EXPECT_FALSE(undo.reversed);
    EXPECT_EQ(undo.nothing, NothingToTakeBack::AlreadyGone);
    EXPECT_EQ(undo.stillPending.operations, 1u);
    EXPECT_EQ(Stored(), S("\\??\\C:\\a\0!\\??\\C:\\b\0\0"));
}

// A read-only file made writable for a scheduled deletion or replacement
// is read-only again once Cancel All has taken the entry back, unless its
// attributes changed since or another entry still needs it writable.
TEST_F(FileCommandsTest, CancelAllGivesTheReadOnlyAttributeBack) {
    constexpr std::uint32_t kReadOnlyHidden = kAttributeReadOnly | kAttributeHidden;
    const char* const kFiles[] = {"c:\\t\\del.txt", "c:\\t\\app.dll", "c:\\t\\p1.log", "c:\\t\\p2.log"};
    struct Case {
        const char* name;
        std::function<void()> between;  // after scheduling, before Cancel All
        bool givenBack;
        bool writeNeeded;  // Cancel All has this session's entries to take out
    };
    const Case cases[] = {
        {"as left", [] {}, true, true},
        {"changed since", [this, &kFiles] {
             for (const char* path : kFiles) files.Find(path)->attributes = kAttributeArchive;
         }, false, true},
        {"taken out by another program", [this] { Store(S("\\??\\C:\\x\0\0\0")); }, true, false},
        {"named again by another program", [this] {
             Store(Stored().substr(0, Stored().size() - 1) +
                   S("\\??\\C:\\T\\DEL.TXT\0\0\\??\\c:\\new.dll\0!\\??\\c:\\t\\app.dll\0\\??\\c:\\t\\p1.log\0"
                     "\0\\??\\c:\\t\\p2.log\0\0\0"));
         }, false, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        files = FakeFileSystem();
        registry = FakeRegistry();
        Store(S("\\??\\C:\\x\0\0\0"));
        files.Put("c:\\new.dll", "new");
        for (const char* path : kFiles) {
            files.Put(path, "x");
            files.Find(path)->attributes = kReadOnlyHidden;
            files.Find(path)->inUse = true;
        }
        Launch();
        ASSERT_EQ(commands->Delete("c:\\t\\del.txt", true).outcome, CommandOutcome::Scheduled);
        ASSERT_EQ(commands->Replace("c:\\new.dll", "c:\\t\\app.dll", true).outcome, CommandOutcome::Scheduled);
        ASSERT_EQ(commands->Delete("c:\\t\\p?.log", true).outcome, CommandOutcome::Scheduled);
        for (const char* path : kFiles) EXPECT_FALSE(files.Find(path)->attributes & kAttributeReadOnly) << path;
        test.between();
        const std::uint32_t before = files.Find(kFiles[0])->attributes;

        // Refused: the entries stay, and so does what they need.
        registry.refuseWrites = true;
        commands->CancelAll();
        const std::uint32_t afterRefusal = test.writeNeeded || !test.givenBack ? before : kReadOnlyHidden;
        for (const char* path : kFiles) EXPECT_EQ(files.Find(path)->attributes, afterRefusal) << path;
        registry.refuseWrites = false;

        commands->CancelAll();
        for (const char* path : kFiles)
            EXPECT_EQ(files.Find(path)->attributes, test.givenBack ? kReadOnlyHidden : before) << path;
    }
}

// A pair of this session's whose last string another program left without
// its NUL is not this session's pair any more: Cancel All leaves the list.
TEST_F(FileCommandsTest, CancelAllLeavesAPairThatLostItsNul) {
    Launch();
    EXPECT_EQ(commands->Replace("C:\\s", "C:\\d", false).outcome, CommandOutcome::Scheduled);
    const std::string cut = S("\\??\\C:\\s\0!\\??\\C:\\d");
    Store(cut);
    const UndoResult undo = commands->CancelAll();
    EXPECT_FALSE(undo.reversed);
    EXPECT_EQ(undo.nothing, NothingToTakeBack::AlreadyGone);
    EXPECT_EQ(Stored(), cut);
}

TEST_F(FileCommandsTest, ARefusedUndoSaysSo) {
    Launch();
    EXPECT_EQ(commands->Delete("C:\\mine", false).outcome, CommandOutcome::Scheduled);
    registry.refuseWrites = true;
    const UndoResult refused = commands->CancelAll();
    EXPECT_FALSE(refused.reversed);
    EXPECT_EQ(refused.status, kErrorAccessDenied);
    EXPECT_EQ(Stored(), S("\\??\\C:\\mine\0\0\0"));
    registry.refuseWrites = false;
    EXPECT_TRUE(commands->CancelAll().reversed);
    EXPECT_EQ(Stored(), kAbsent);
}

// A new pair goes where MoveFileExW appends, after every entry pending: to
// the second value when it exists, else to the first, and to a new second
// value when the registry cannot store the first any larger. Cancel All then
// gives each value back exactly, and touches no other.
TEST_F(FileCommandsTest, SchedulingAppendsWhereMoveFileExAppendsAndCancelAllTakesItBack) {
    const std::string first = S("\\??\\C:\\a\0\0\0");      // 20 bytes stored
    const std::string second = S("*1\\??\\C:\\b\0\0\0");
    const std::string mine = S("\\??\\C:\\mine\0\0");       // the pair, 24 bytes
    const auto open = [](const std::string& list) { return list.substr(0, list.size() - 1); };
    const struct {
        const char* what;
        std::string first, second;  // kAbsent: no value
        std::size_t largest;
        std::string firstAfter, secondAfter;
        std::size_t listValue;
    } cases[] = {
        {"no list", kAbsent, kAbsent, SIZE_MAX, mine + '\0', kAbsent, 0},
        {"the first", first, kAbsent, SIZE_MAX, open(first) + mine + '\0', kAbsent, 0},
        {"both", first, second, SIZE_MAX, first, open(second) + mine + '\0', 1},
        {"the second alone", kAbsent, second, SIZE_MAX, kAbsent, open(second) + mine + '\0', 1},
        {"an empty second", first, "", SIZE_MAX, first, mine + '\0', 1},
        {"a first too large", first, kAbsent, 30, first, mine + '\0', 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry = FakeRegistry();
        if (c.first != kAbsent) Store(c.first);
        if (c.second != kAbsent) registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, c.second);
        registry.largestValue = c.largest;
        Launch();
        const CommandResult result = commands->Delete("C:\\mine", false);
        EXPECT_EQ(result.outcome, CommandOutcome::Scheduled);
        EXPECT_EQ(result.listValue, c.listValue);
        EXPECT_EQ(Stored(), c.firstAfter);
        EXPECT_EQ(Stored2(), c.secondAfter);
        EXPECT_TRUE(commands->CancelAll().reversed);
        EXPECT_EQ(Stored(), c.first);
        EXPECT_EQ(Stored2(), c.second);
    }
    // The two values are one sequence: a source the first value deletes
    // cannot be moved by an entry appended to the second, and a pair pending
    // exactly so in the first is not added again.
    registry = FakeRegistry();
    Store(S("\\??\\C:\\s\0\0\0"));
    registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, second);
    Launch();
    files.Find("C:\\s")->lockedForRead = true;  // moved as it is, not copied now
    const CommandResult taken = commands->Replace("C:\\s", "C:\\d", false);
    files.Find("C:\\s")->lockedForRead = false;
    EXPECT_EQ(taken.outcome, CommandOutcome::Refused);
    EXPECT_EQ(taken.refusal, Refusal::TakenEarlier);
    EXPECT_EQ(taken.earlierEntry, 1u);
    EXPECT_EQ(Stored2(), second);
    EXPECT_TRUE(commands->Delete("C:\\s", false).alreadyScheduled);
    EXPECT_EQ(Stored2(), second);

    // A second value the registry cannot store any larger: the failure is
    // said, and the write is not tried again on that value.
    registry = FakeRegistry();
    Store(first);
    registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, second);
    registry.largestValue = 26;
    Launch();
    const CommandResult full = commands->Delete("C:\\mine", false);
    EXPECT_EQ(full.outcome, CommandOutcome::NotScheduled);
    EXPECT_EQ(full.status, kErrorNoSystemResources);
    EXPECT_EQ(registry.setCalls, 1);
    EXPECT_EQ(Stored2(), second);

    // A second value that cannot be read, or of another form, takes nothing:
    // appending to the first would run before its entries.
    registry = FakeRegistry();
    registry.PutValue(kSessionManager, kPendingValue2Name, kRegBinary, ByteList{1, 2});
    Launch();
    const CommandResult refused = commands->Delete("C:\\mine", false);
    EXPECT_EQ(refused.outcome, CommandOutcome::ListOfAnotherForm);
    EXPECT_EQ(refused.listValue, 1u);
    EXPECT_EQ(Stored(), kAbsent);
}

}  // namespace
}  // namespace pendrix
