#include "cli/commands.h"

#include "cli/exit_codes.h"
#include "cli/list_format.h"
#include "scheduler/entry_withdrawal.h"

namespace pendrix::cli {
namespace {

// " from PendingFileRenameOperations2" for an entry of the second value.
std::string FromValue(const Withdrawal& result) {
    return result.value == 0 ? std::string() : std::string(" from ") + kPendingValueNames[result.value];
}

}  // namespace

std::string CheckRemove(const CliArguments& arguments) {
    if (!ParseEntryNumber(arguments.operands[0]))
        return "\"" + arguments.operands[0] + "\" is not an entry number (1, 2, ... as list shows them)";
    return std::string();
}

int RunRemove(const CliArguments& arguments, CliContext& context) {
    constexpr char kNothingDone[] = "nothing was withdrawn";
    const std::size_t entryNumber = *ParseEntryNumber(arguments.operands[0]);  // CheckRemove saw it is one
    // --source PATH: withdrawn only when entry N's source is PATH; any source without it.
    std::optional<std::string> expectedSource;
    if (const std::string* source = arguments.Value("--source")) expectedSource = *source;
    const Withdrawal result =
        WithdrawEntry(context.registry, context.listLock, context.files, entryNumber, expectedSource);
    const std::string number = std::to_string(entryNumber);
    const auto entry = [&] { return DescribeEntry(result.entries.entries[entryNumber - 1]); };
    switch (result.outcome) {
    case WithdrawalOutcome::Withdrawn: break;
    case WithdrawalOutcome::ListUnreadable: return FailToRead(context, kNothingDone, result.status);
    case WithdrawalOutcome::AnotherForm:
        return FailOnAnotherForm(context, kNothingDone, result.shape, kPendingValueNames[result.value]);
    case WithdrawalOutcome::NoSuchEntry:
        return Fail(context, "there is no entry " + number + " (the lists hold " +
                                 std::to_string(result.entries.entries.size()) + "); " + kNothingDone,
                    kExitNoSuchEntry);
    case WithdrawalOutcome::OtherSource:
        return Fail(context, "entry " + number + " is " + entry() + ", not of the source " +
                                 Quoted(*expectedSource) + "; " + kNothingDone,
                    kExitNoSuchEntry);
    case WithdrawalOutcome::ListChanged:
        return Fail(context, "the list changed meanwhile and entry " + number + " is no longer " + entry() + FromValue(result) + "; " +
                                 kNothingDone,
                    kExitNoSuchEntry);
    case WithdrawalOutcome::WouldWakeList:
        return Fail(context, "withdrawing entry " + number + " would let the start-up processing carry out the "
                                 "rest of a list it ignores now; " + kNothingDone,
                    kExitInvalidList);
    case WithdrawalOutcome::WriteRefused: return FailToWrite(context, kNothingDone, result.status);
    case WithdrawalOutcome::NotChanged: return FailToChange(context, kNothingDone, result.status);
    }
    context.output.Out("Withdrew entry " + number + FromValue(result) + ": " + entry() + ".\r\n");
    return kExitDone;
}

}  // namespace pendrix::cli
