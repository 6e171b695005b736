// Replacing a file in use by moving it aside, through the stand-in file
// system and registry: every outcome, what each leaves on disk and in the
// list, and that the destination is never left missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>

#include "registry/registry_constants.h"
#include "scheduler/move_aside_replacement.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeFileSystem;
using testing::FakeRegistry;

using ::pendrix::testing::kSessionManager;
const std::string kListBefore = S("\\??\\C:\\x\0\0\0");
constexpr char kDestination[] = "c:\\app\\lib.dll";

struct MoveAsideCase {
    const char* name;
    std::function<void(FakeFileSystem&, FakeRegistry&)> arrange;
    const char* destination;  // as given
    MoveAsideOutcome outcome;
    std::int32_t status;
    const char* destinationAfter;  // its content afterwards
    const char* oldCopy;           // the old copy afterwards, or nullptr when nothing was renamed
    bool renameAnnounced;          // beforeRename ran
    bool destinationMissing = false;  // left half-way with the new copy under a temporary name
};

void Loaded(FakeFileSystem& files, FakeRegistry&) { files.Find(kDestination)->loaded = true; }

// Fails the renames onto the destination from the nth on (counted from 1) to
// the last-th, as a rename that cannot be made to fail for real would.
std::function<std::uint32_t(const std::string&, const std::string&)> NthRenameOntoDestinationFails(int nth,
                                                                                                  int last = 0) {
    auto count = std::make_shared<int>(0);
    return [nth, last, count](const std::string& call, const std::string& target) -> std::uint32_t {
        std::string name = target.rfind("\\\\?\\", 0) == 0 ? target.substr(4) : target;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (call != "Rename" || name != kDestination) return kErrorSuccess;
        ++*count;
        return *count >= nth && *count <= std::max(nth, last) ? static_cast<std::uint32_t>(kErrorAccessDenied)
                                                              : kErrorSuccess;
    };
}

const MoveAsideCase kCases[] = {
    {"not in use: replaced as usual", [](FakeFileSystem&, FakeRegistry&) {}, kDestination,
     MoveAsideOutcome::ReplacedNow, 0, "new", nullptr, false},
    {"loaded: moved aside", Loaded, kDestination, MoveAsideOutcome::MovedAside, 0, "new",
     "c:\\app\\lib.dll.pendrix-old-1", true},
    {"loaded, the first names of old copies taken",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.Put("c:\\app\\lib.dll.pendrix-old-1", "older");
         files.Put("c:\\app\\LIB.DLL.PENDRIX-OLD-2", "oldest");
     },
     kDestination, MoveAsideOutcome::MovedAside, 0, "new", "c:\\app\\lib.dll.pendrix-old-3", true},
    {"named relative to the current folder: the list gets the full name",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.currentFolder = "c:\\app";
     },
     "lib.dll", MoveAsideOutcome::MovedAside, 0, "new", "c:\\app\\lib.dll.pendrix-old-1", true},
    {"held open without delete sharing: cannot be renamed",
     [](FakeFileSystem& files, FakeRegistry&) { files.Find(kDestination)->inUse = true; }, kDestination,
     MoveAsideOutcome::NotMovedAside, kErrorSharingViolation, "old", nullptr, true},
    {"source unreadable: nothing renamed",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.Find("c:\\new\\lib.dll")->lockedForRead = true;
     },
     kDestination, MoveAsideOutcome::NotMovedAside, 0, "old", nullptr, false},
    {"read-only destination: not tried",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.Find(kDestination)->attributes = kAttributeReadOnly;
     },
     kDestination, MoveAsideOutcome::NotMovedAside, 0, "old", nullptr, false},
    {"the new copy cannot take the name: the old file is renamed back",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.fault = NthRenameOntoDestinationFails(1);
     },
     kDestination, MoveAsideOutcome::NotMovedAside, kErrorAccessDenied, "old", nullptr, true},
    {"the deletion cannot be scheduled: everything put back",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         registry.refuseWrites = true;
     },
     kDestination, MoveAsideOutcome::NotScheduled, kErrorAccessDenied, "old", nullptr, true},
    {"not scheduled, and the old file cannot go back: the new copy stays in its place",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         registry.refuseWrites = true;
         files.fault = NthRenameOntoDestinationFails(2);
     },
     kDestination, MoveAsideOutcome::LeftHalfWay, kErrorAccessDenied, "new", "c:\\app\\lib.dll.pendrix-old-1", true},
    {"the new copy cannot take the name, nor the old file go back: both stay aside",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.fault = NthRenameOntoDestinationFails(1, 2);
     },
     kDestination, MoveAsideOutcome::LeftHalfWay, kErrorAccessDenied, nullptr, "c:\\app\\lib.dll.pendrix-old-1", true,
     true},
    {"not scheduled, and neither copy can go back: both stay aside",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         registry.refuseWrites = true;
         files.fault = NthRenameOntoDestinationFails(2, 3);
     },
     kDestination, MoveAsideOutcome::LeftHalfWay, kErrorAccessDenied, nullptr, "c:\\app\\lib.dll.pendrix-old-1", true,
     true},
    {"read-only source, the new copy cannot take the name: no copy stays",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.Find("c:\\new\\lib.dll")->attributes = kAttributeReadOnly;
         files.fault = NthRenameOntoDestinationFails(1);
     },
     kDestination, MoveAsideOutcome::NotMovedAside, kErrorAccessDenied, "old", nullptr, true},
    {"hard-linked destination: not tried",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.Alias("c:\\app\\other.dll", kDestination);
     },
     kDestination, MoveAsideOutcome::NotMovedAside, 0, "old", nullptr, false},
    {"the destination is a link to the source: not tried",
     [](FakeFileSystem& files, FakeRegistry&) {
         files.Remove(kDestination);
         files.SymbolicLink(kDestination, "c:\\new\\lib.dll");
     },
     kDestination, MoveAsideOutcome::NotMovedAside, 0, "new", nullptr, false},
    {"the destination refuses deletion: cannot be renamed",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.Find(kDestination)->deleteDenied = true;
     },
     kDestination, MoveAsideOutcome::NotMovedAside, kErrorAccessDenied, "old", nullptr, true},
    {"the folder refuses new files: nothing renamed",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         files.foldersRefusingNewFiles.insert("c:\\app");
     },
     kDestination, MoveAsideOutcome::NotMovedAside, 0, "old", nullptr, false},
    {"loaded, every name of an old copy but the last taken",
     [](FakeFileSystem& files, FakeRegistry& registry) {
         Loaded(files, registry);
         for (int number = 1; number < kMostOldCopyNumbers; ++number)
             files.Put("c:\\app\\lib.dll.pendrix-old-" + std::to_string(number), "older");
     },
     kDestination, MoveAsideOutcome::MovedAside, 0, "new", "c:\\app\\lib.dll.pendrix-old-1000", true},
};

TEST(MoveAsideReplacement, Outcomes) {
    for (const MoveAsideCase& test : kCases) {
        SCOPED_TRACE(test.name);
        FakeRegistry registry;
        FakeFileSystem files;
        RegistryRoutines routines{registry};
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, kListBefore);
        files.PutFolder("c:\\new");
        files.PutFolder("c:\\app");
        files.Put("c:\\new\\lib.dll", "new");
        files.Put(kDestination, "old");
        files.Find(kDestination)->rules = "the destination's own";
        test.arrange(files, registry);
        const std::vector<std::string> before = files.Paths();

        testing::FakeListLock lock;
        FileCommands commands(routines, files, lock, PendingListRead{}, PendingListRead{});
        int announced = 0;
        const MoveAsideResult result = MoveAsideReplacement(files, commands)
                                           .Replace("c:\\new\\lib.dll", test.destination, [&] { ++announced; });
        EXPECT_EQ(result.outcome, test.outcome);
        EXPECT_EQ(result.status, test.status);
        EXPECT_EQ(announced, test.renameAnnounced ? 1 : 0);

        // The destination is missing only when said; the source stays.
        EXPECT_EQ(result.destinationMissing, test.destinationMissing);
        std::vector<std::string> expectedPaths = before;
        if (test.destinationMissing) {
            EXPECT_EQ(files.Find(kDestination), nullptr);
            EXPECT_NE(result.newCopy.find("pdx"), std::string::npos) << result.newCopy;
            expectedPaths.erase(std::find(expectedPaths.begin(), expectedPaths.end(), kDestination));
            std::string copy = result.newCopy.substr(result.newCopy.rfind("c:\\"));
            std::transform(copy.begin(), copy.end(), copy.begin(), [](unsigned char c) { return std::tolower(c); });
            expectedPaths.push_back(copy);
        } else {
            ASSERT_NE(files.Find(kDestination), nullptr);
            EXPECT_EQ(files.Find(kDestination)->content, test.destinationAfter);
        }
        if (test.outcome == MoveAsideOutcome::LeftHalfWay) {
            ASSERT_NE(files.Find(result.newCopy), nullptr);
            EXPECT_EQ(files.Find(result.newCopy)->content, "new");
            EXPECT_EQ(files.Find(result.oldCopy), files.Find(test.oldCopy));
        }
        EXPECT_EQ(files.Find("c:\\new\\lib.dll")->content, "new");
        if (test.oldCopy != nullptr) {
            ASSERT_NE(files.Find(test.oldCopy), nullptr);
            EXPECT_EQ(files.Find(test.oldCopy)->content, "old");
            EXPECT_TRUE(files.Find(test.oldCopy)->loaded);
            if (!test.destinationMissing) {
                EXPECT_FALSE(files.Find(kDestination)->loaded);
            }
            expectedPaths.push_back(test.oldCopy);
        }
        std::sort(expectedPaths.begin(), expectedPaths.end());
        // No temporary file stays, and nothing else appears.
        EXPECT_EQ(files.Paths(), expectedPaths);

        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        ASSERT_NE(value, nullptr);
        const std::string stored = value->Text();
        if (test.outcome == MoveAsideOutcome::MovedAside) {
            EXPECT_EQ(stored, S("\\??\\C:\\x\0\0\\??\\") + test.oldCopy + S("\0\0\0"));
            EXPECT_EQ(result.oldCopy, test.oldCopy);
            // The new file has the destination's rules, and the administrators own it.
            EXPECT_EQ(files.Find(kDestination)->rules, "the destination's own");
            EXPECT_EQ(files.Find(kDestination)->owner, "BUILTIN\\Administrators");
        } else {
            EXPECT_EQ(stored, kListBefore);
        }
    }
}

}  // namespace
}  // namespace pendrix
