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
// list another program leaves before the second, N, whether it was
// withdrawn and the value afterwards ("<absent>" for none).
TEST(EntryWithdrawal, AppliesToTheListAsItIsJustBeforeTheWrite) {
    const std::string kSessionManager = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    const std::string a = S("\\??\\C:\\a\0!\\??\\C:\\b\0");
    const std::string c = S("\\??\\C:\\c\0\0");
    const std::string setup = S("\\??\\C:\\setup\0\0");
    const struct {
        std::string first;
        std::string meanwhile;  // empty: no change
        std::size_t entry;
        bool withdrawn;
        std::string after;
    } cases[] = {
        {a + c + '\0', "", 2, true, a + '\0'},
        {a + c + '\0', a + c + setup + '\0', 2, true, a + setup + '\0'},
        {a + c + '\0', setup + a + c + '\0', 2, false, setup + a + c + '\0'},  // entry 2 is now a
        {a + c + '\0', a + '\0', 2, false, a + '\0'},                        // entry 2 is gone
        // The last entry of a list: the value goes with it.
        {a + '\0', "", 1, true, "<absent>"},
        {c, "", 1, true, "<absent>"},
        {S("\\??\\C:\\unclosed"), "", 1, true, "<absent>"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(::testing::PrintToString(test.meanwhile) + " entry " + std::to_string(test.entry));
        FakeRegistry registry;
        registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, test.first);
        int queries = 0;
        registry.beforeQuery = [&] {
            if (++queries == 2 && !test.meanwhile.empty())
                registry.PutText(kSessionManager, kPendingValueName, kRegMultiSz, test.meanwhile);
        };
        RegistryRoutines routines(registry);
        FakeListLock lock;
        const Withdrawal result = WithdrawEntry(routines, lock, test.entry, std::nullopt);
        EXPECT_EQ(result.outcome,
                  test.withdrawn ? WithdrawalOutcome::Withdrawn : WithdrawalOutcome::ListChanged);
        const auto* value = registry.FindValue(kSessionManager, kPendingValueName);
        EXPECT_EQ(value == nullptr ? "<absent>" : value->Text(), test.after);
        EXPECT_EQ(registry.OpenHandles(), 0u);
    }
}

}  // namespace
}  // namespace pendrix
