// The immediate replacement of a file's content by another file's, keeping
// the replaced file itself: its attributes, security, creation time, short
// name, its other names (hard links) and the symbolic links that lead to
// it. The source is first copied beside the file; the file is then swapped
// for the copy with ReplaceFileW, which carries its identity over (and the
// attributes again here, which not every implementation carries), or, when
// the file has other names that a swap would leave on the old content,
// written in place. Whatever fails, the file's old content is never lost.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system_api.h"

namespace pendrix {

enum class ReplacementOutcome {
    Done,         // the destination holds the source's content now
    NotNow,       // nothing changed (in use, locked, read-only, absent): schedule it
    Interrupted,  // stopped half-way: the destination's old content is in keptAt
};

struct ReplacementAttempt {
    ReplacementOutcome outcome = ReplacementOutcome::NotNow;
    WinStatus status = 0;  // the call that failed, when not done
    std::string keptAt;        // Interrupted: the file holding the old content
};

// source and destination: names as ResolvedName::path gives them.
ReplacementAttempt ReplaceAtOnce(FileSystemApi& files, const std::string& source, const std::string& destination);

}  // namespace pendrix
