// Why a file command did not act, in words both programs use: the window
// makes a sentence of them, the console tool a line on standard error.
#pragma once

#include <string>

#include "scheduler/file_commands.h"

namespace pendrix {

// Why a command was refused, as one clause in lower case without a closing
// period: "the source file "C:\new.dll" does not exist".
std::string RefusalReason(const CommandResult& result);

// A link deleted now, as a sentence naming where it led: "Deleted the link
// "C:\l.db" itself now; "C:\data\l.db", where it led, was not touched."
std::string DeletedLinkSentence(const CommandResult& result);

// What an interrupted replacement left, as one clause: "the replacement of
// "C:\app.dll" stopped half-way (error 112); its old content is kept in
// "C:\pdx1.tmp"".
std::string InterruptionReason(const CommandResult& result);

// Why the list was not changed, as one clause: another Pendrix process held
// it past the timeout (kErrorTimeout), or other programs' writes undid the
// change every time it was made (kErrorRetry).
std::string ListBusyReason();
std::string NotKeptReason();

}  // namespace pendrix
