// Withdrawing one entry of the list, against another program's change
// between the two reads.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "registry/registry_constants.h"
#include "scheduler/entry_withdrawal.h"
#include "tests/common/literal_text.h"
#include "tests/native/fake_list_lock.h"
#include "tests/native/fake_registry.h"

namespace pendrix {
namespace {

using testing::FakeListLock;
using testing::FakeRegistry;

// A withdrawal reads the list twice: to find entry N, and again under the
// list's mutex just before its write. Another program's change in between is kept; entry N goes only when
// it is still the same strings. Each row: the list at the first read, the
// list another program leaves before the second, N, the outcome and the
// value afterwards ("<absent>" for none).
TEST(EntryWithdrawal, AppliesToTheListAsItIsJustBeforeTheWrite) {
    const std::string kSessionManager = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    const std::string a = S("\\??\\C:\\a\0!\\??\\C:\\b\0");
    const std::string c = S("\\??\\C:\\c\0\0");
    const std::string setup = S("\\??\\C:\\setup\0\0");
    using O = WithdrawalOutcome;
    const struct {
        std::string first;
        std::string meanwhile;  // empty: no change
        std::size_t entry;
        WithdrawalOutcome outcome;
        std::string after;
        const char* source = nullptr;  // the source expected
        std::uint32_t meanwhileType = kRegMultiSz;
    } cases[] = {
        {a + c + '\0', "", 2, O::Withdrawn, a + '\0'},
        {a + c + '\0', a + c + setup + '\0', 2, O::Withdrawn, a + setup + '\0'},
        {a + c + '\0', setup + a + c + '\0', 2, O::ListChanged, setup + a + c + '\0'},  // entry 2 is now a
        {a + c + '\0', a + '\0', 2, O::ListChanged, a + '\0'},                        // entry 2 is gone
        // The last entry of a list: the value goes with it.
        {a + '\0', "", 1, O::Withdrawn, "<absent>"},
        {c, "", 1, O::Withdrawn, "<absent>"},
        {S("\\??\\C:\\unclosed"), "", 1, O::Withdrawn, "<absent>"},
        // The source as list shows it, or as stored; another source refuses.
        {a + c + '\0', "", 1, O::Withdrawn, c + '\0', "C:\\a"},
        {a + c + '\0', "", 1, O::Withdrawn, c + '\0', "\\??\\C:\\a"},
        {a + c + '\0', "", 1, O::OtherSource, a + c + '\0', "C:\\b"},
        // Another program made the value binary between the two reads.
        {a + c + '\0', a + c + '\0', 1, O::AnotherForm, a + c + '\0', nullptr, kRegBinary},
        // Taking out the unclosed last entry would close the list.
        {c + S("\\??\\C:\\d"), "", 2, O::WouldWakeList, c + S("\\??\\C:\\d")},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.meanwhile) + " entry " + std::to_string(test.entry));
        FakeRegistry registry;
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, test.first);
        int queries = 0;
        registry.beforeQuery = [&] {
            if (++queries == 2 && !test.meanwhile.empty())
                registry.PutText(kSessionManager, kPendingValueName, test.meanwhileType, test.meanwhile);
        };
        RegistryRoutines routines(registry);
        FakeListLock lock;
        const std::optional<std::string> source =
            test.source != nullptr ? std::optional<std::string>(test.source) : std::nullopt;
        EXPECT_EQ(WithdrawEntry(routines, lock, test.entry, source).outcome, test.outcome);
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        if (value != nullptr && value->type == kRegBinary) {
            EXPECT_EQ(std::string(value->data.begin(), value->data.end()), test.after);
        } else {
            EXPECT_EQ(value == nullptr ? "<absent>" : value->Text(), test.after);
        }
        EXPECT_EQ(registry.OpenHandles(), 0u);
    }
}

}  // namespace
}  // namespace pendrix
