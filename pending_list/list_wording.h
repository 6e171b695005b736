// What both programs say about the pending list itself, in one place: the
// window makes sentences of these clauses, the console tool lines on
// standard error.
#pragma once

#include <string>

#include "pending_list/pending_rename_list.h"

namespace pendrix {

// The list could not be read (access refused, still changing).
inline constexpr char kListUnreadable[] = "the list of pending file operations could not be read";

// The write of the list was refused.
inline constexpr char kListWriteRefused[] = "Windows refused to change the list of pending file operations";

// What a value of another form is, and that it is left alone, as the window
// says it: "The list of pending file operations is stored as REG_BINARY,
// not as a list of strings, and Pendrix does not overwrite it."
std::string AnotherFormSentence(const StoredShape& shape);

// The same on one line, naming the value (the first, or given its name, the
// second), as the console tool says it: "PendingFileRenameOperations is of
// type REG_BINARY, not a list of strings, and is never changed".
std::string AnotherFormLine(const StoredShape& shape, const char* valueName = kPendingValueName);

}  // namespace pendrix
