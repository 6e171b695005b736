// A plan: the text file that names a set of file operations to carry out
// together, one a line, written as on the command line:
//   replace SOURCE DESTINATION
//   delete PATH
// Names are quoted as a command line quotes them (the rules of
// CommandLineToArgvW: blanks separate, double quotes group, a backslash
// escapes a quote only before one). Blank lines and lines whose first
// character other than a blank is "#" are ignored. The file is UTF-8, with
// or without its byte-order mark, or UTF-16 (little- or big-endian) after its
// mark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

enum class PlanVerb { Replace, Delete };

struct PlanOperation {
    std::size_t line = 0;  // from 1, as an editor counts lines
    PlanVerb verb = PlanVerb::Replace;
    std::string source;       // replace
    std::string destination;  // replace; delete: the path to delete
};

struct PlanReading {
    bool ok = false;
    std::vector<PlanOperation> operations;
    // When not ok: the line that is not of the form (0: the file as a
    // whole) and why, as a clause.
    std::size_t line = 0;
    std::string problem;
};

// The operations of a plan file's bytes, in order.
PlanReading ReadPlan(std::string_view file);

}  // namespace pendrix
