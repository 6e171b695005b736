// Withdrawing one entry of the list, against another program's change
// between the two reads.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "registry/registry_constants.h"
#include "scheduler/entry_withdrawal.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_file_system.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeListLock;
using testing::FakeRegistry;

// A withdrawal reads the lists twice: to find entry N, and again under the
// list's mutex just before its write. Another program's change in between is
// kept; entry N goes only when it is still the same strings in the same
// value. Each row: the first list at the first read, the list another
// program leaves before the second, N, the outcome and the first value
// afterwards ("<absent>" for none); then, for rows with a second value, that
// value before and after, and the source expected.
TEST(EntryWithdrawal, AppliesToTheListAsItIsJustBeforeTheWrite) {
    using testing::kSessionManager;
    const std::string kAbsent = "<absent>";
    const std::string a = S("\\??\\C:\\a\0!\\??\\C:\\b\0");
    const std::string c = S("\\??\\C:\\c\0\0");
    const std::string setup = S("\\??\\C:\\setup\0\0");
    const std::string flagged = S("*1\\??\\C:\\p\0\0");
    using O = WithdrawalOutcome;
    const struct {
        std::string first;
        std::string meanwhile;  // empty: no change
        std::size_t entry;
        WithdrawalOutcome outcome;
        std::string after;
        std::string second = "<absent>";
        std::string secondAfter = "<absent>";
        std::string source = "";  // empty: none expected
        std::uint32_t meanwhileType = kRegMultiSz;
        std::uint32_t firstType = kRegMultiSz;
    } cases[] = {
        {a + c + '\0', "", 2, O::Withdrawn, a + '\0'},
        {a + c + '\0', a + c + setup + '\0', 2, O::Withdrawn, a + setup + '\0'},
        {a + c + '\0', setup + a + c + '\0', 2, O::ListChanged, setup + a + c + '\0'},  // entry 2 is now a
        {a + c + '\0', a + '\0', 2, O::ListChanged, a + '\0'},                        // entry 2 is gone
        // The last entry of a list: the value goes with it.
        {a + '\0', "", 1, O::Withdrawn, kAbsent},
        {c, "", 1, O::Withdrawn, kAbsent},
        {S("\\??\\C:\\unclosed"), "", 1, O::Withdrawn, kAbsent},
        // The source as list shows it, or as stored; another source refuses.
        {a + c + '\0', "", 1, O::Withdrawn, c + '\0', kAbsent, kAbsent, "C:\\a"},
        {a + c + '\0', "", 1, O::Withdrawn, c + '\0', kAbsent, kAbsent, "\\??\\C:\\a"},
        {a + c + '\0', "", 1, O::OtherSource, a + c + '\0', kAbsent, kAbsent, "C:\\b"},
        // Another program made the value binary between the two reads.
        {a + c + '\0', a + c + '\0', 1, O::AnotherForm, a + c + '\0', kAbsent, kAbsent, "", kRegBinary},
        // A value of another form from the start is refused as such, whatever
        // source is expected.
        {a + c + '\0', "", 1, O::AnotherForm, a + c + '\0', kAbsent, kAbsent, "C:\\b", kRegMultiSz, kRegBinary},
        // Taking out the unclosed last entry would close the list.
        {c + S("\\??\\C:\\d"), "", 2, O::WouldWakeList, c + S("\\??\\C:\\d")},
        // Numbered on across both values: each withdrawal changes only the
        // value that holds the entry, and keeps a source's flag.
        {a + '\0', "", 2, O::Withdrawn, a + '\0', c + setup + '\0', setup + '\0'},
        {a + '\0', "", 3, O::Withdrawn, a + '\0', c + flagged + '\0', c + '\0', "C:\\p"},
        {a + '\0', "", 3, O::Withdrawn, a + '\0', c + flagged + '\0', c + '\0', "*1\\??\\C:\\p"},
        {a + '\0', "", 3, O::OtherSource, a + '\0', c + flagged + '\0', c + flagged + '\0', "C:\\q"},
        {a + '\0', "", 1, O::Withdrawn, kAbsent, c, c},
        {a + '\0', "", 2, O::Withdrawn, a + '\0', c, kAbsent},
        {a + '\0', "", 3, O::NoSuchEntry, a + '\0', c, c},
        // Entry 2 of the second value became entry 2 of the first meanwhile.
        {a + '\0', a + c + '\0', 2, O::ListChanged, a + c + '\0', c + setup + '\0', c + setup + '\0'},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.meanwhile) + " entry " + std::to_string(test.entry) + " " +
                     ::testing::PrintToString(test.second));
        FakeRegistry registry;
        testing::FakeFileSystem files;
        registry.PutText(kSessionManager, kPendingValueName, test.firstType, test.first);
        if (test.second != kAbsent) registry.PutText(kSessionManager, kPendingValue2Name, kRegMultiSz, test.second);
        int queries = 0;
        registry.beforeQuery = [&] {
            if (++queries == 2 && !test.meanwhile.empty())
                registry.PutText(kSessionManager, kPendingValueName, test.meanwhileType, test.meanwhile);
        };
        RegistryRoutines routines(registry);
        FakeListLock lock;
        const std::optional<std::string> source =
            test.source.empty() ? std::nullopt : std::optional<std::string>(test.source);
        EXPECT_EQ(WithdrawEntry(routines, lock, files, test.entry, source).outcome, test.outcome);
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        if (value != nullptr && value->type == kRegBinary) {
            EXPECT_EQ(std::string(value->data.begin(), value->data.end()), test.after);
        } else {
            EXPECT_EQ(value == nullptr ? kAbsent : value->Text(), test.after);
        }
        const auto* value2 = registry.FindValue(kSessionManager, kPendingValue2Name);
        EXPECT_EQ(value2 == nullptr ? kAbsent : value2->Text(), test.secondAfter);
        EXPECT_EQ(registry.OpenHandles(), 0u);
    }
}

}  // namespace
}  // namespace pendrix
