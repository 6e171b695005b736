// What the file commands tell the user, as the message boxes of the main
// window show it: one text per outcome; a refusal's reason is the one the
// console tool gives too (scheduler/refusal_text.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_error_text.h"
#include "scheduler/file_commands.h"

namespace pendrix {

inline constexpr const char* kMsgNeedSourceAndDestination = "Make sure you enter a Source AND Destination file";
inline constexpr const char* kMsgNeedFileToDelete = "Make sure you enter a File To Delete";
inline constexpr const char* kMsgReplacedNow = "File Was Not In Use..\r\nFile Copy Successful.";
inline constexpr const char* kMsgDeletedNow = "Forced File Deletion Successful.";
inline constexpr const char* kMsgRebootNeeded = "Please reboot for your changes to take effect.";
inline constexpr const char* kMsgAlreadyScheduled = "This is already scheduled exactly so; nothing was added.\r\n";
inline constexpr const char* kMsgReversed =
    "Changes on files in use since this program launched have been reversed.";
// Cancel All with nothing of this session's to take back; what the list
// still holds follows.
inline constexpr const char* kMsgNothingScheduledToReverse = "This session scheduled nothing, so nothing was reversed.";
inline constexpr const char* kMsgNothingLeftToReverse = "Nothing this session scheduled was left to take back.";
// Begins the message of a command that failed with an exception; the
// exception's description follows.
inline constexpr const char* kMsgNothingDonePrefix = "Nothing was done: ";
inline constexpr const char* kMsgSameFile =
    "Source and Destination name the same file. Nothing was replaced or scheduled.";
inline constexpr const char* kMsgNothingReplaced = "Nothing was replaced or scheduled.";
inline constexpr const char* kMsgNothingDeleted = "Nothing was deleted or scheduled.";

enum class CommandKind { Replace, Delete };

std::string MessageFor(CommandKind kind, const CommandResult& result, const ErrorTextFunction& errorText);
std::string MessageFor(const UndoResult& result, const ErrorTextFunction& errorText);

// "N file operations are still pending." and its singular and empty forms.
std::string StillPendingText(std::size_t operations);

// The question "Restart" asks first: what waits for the restart, and that
// programs will be asked to close.
std::string RestartQuestion(const PendingCount& waiting);
// Asked, No the default, when other users are signed in: Yes ends their
// sessions with the restart.
inline constexpr const char* kMsgOthersSignedIn =
    "Other users are signed in to this computer. Restarting closes their programs without saving their work. "
    "Restart anyway?";
// Said when Windows stopped the restart this program asked for.
inline constexpr const char* kMsgRestartStopped =
    "Windows did not restart: a program refused to close, or the restart was cancelled. The scheduled file "
    "operations are still waiting; close the programs that hold them open and press Restart again.";

// Asked, No the default, before a name with a pattern deletes more than one
// file: how many, the first ten of names (the files it matches), and
// whether they go now (files in use then wait for the next start) or all
// at the next start.
std::string DeleteManyQuestion(const std::vector<std::string>& names, bool now);
// The most names the question lists.
inline constexpr std::size_t kQuestionNames = 10;

// The longest name Windows accepts, in UTF-16 units.
inline constexpr int kLongestNameUnits = 32767;

// A box holding more than kLongestNameUnits: which box (its label), then
// what was not done.
std::string NameTooLongMessage(CommandKind kind, std::string_view boxLabel);

}  // namespace pendrix
