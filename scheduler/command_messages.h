// What the file commands tell the user, as the message boxes of the main
// window show it: one text per outcome.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "scheduler/file_commands.h"

namespace pendrix {

inline constexpr const char* kMsgNeedSourceAndDestination = "Make sure you enter a Source AND Destination file";
inline constexpr const char* kMsgNeedFileToDelete = "Make sure you enter a File To Delete";
inline constexpr const char* kMsgReplacedNow = "File Was Not In Use..\r\nFile Copy Successful.";
inline constexpr const char* kMsgDeletedNow = "Forced File Deletion Successful.";
inline constexpr const char* kMsgRebootNeeded = "Please reboot for your changes to take effect.";
inline constexpr const char* kMsgReversed =
    "Changes on files in use since this program launched have been reversed.";
inline constexpr const char* kMsgSameFile =
    "Source and Destination name the same file. Nothing was replaced or scheduled.";

// The system's description of a Windows error code.
using ErrorTextFunction = std::function<std::string(std::int32_t)>;

enum class CommandKind { Replace, Delete };

std::string MessageFor(CommandKind kind, const CommandResult& result, const ErrorTextFunction& errorText);
std::string MessageFor(const UndoResult& result, const ErrorTextFunction& errorText);

}  // namespace pendrix
