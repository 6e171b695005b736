// Properties that must hold for any input, checked by the libFuzzer targets
// (tests/fuzz/fuzz_*.cpp) and, over the seed corpus and seeded random
// inputs, by a native test. Each check takes raw bytes and throws
// PropertyViolation when a property fails; expected errors of the program
// are part of the properties.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pendrix::fuzz {

class PropertyViolation : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Encoded text of any UTF-16 units decodes to the same units; any 8-bit
// text, once through UTF-16, stays the same on every further round trip.
void CheckUtf16Text(std::string_view input);

// Decoding any registry data never fails; what the encoders write decodes
// to what they were given; the listing's text forms carry every byte.
void CheckRegistryCodec(std::string_view input);

// Appending a pair to any stored data keeps every stored string in order
// and puts the pair where the start-up walk reaches it, closed properly;
// appending to a list text adds exactly the pair.
void CheckStoredListAppend(std::string_view input);

// The decimal parser gives numbers back from their digits, rounds ties to
// even, and fails on any other text only with type mismatch or overflow.
void CheckDecimalParser(std::string_view input);

// The dialog's filter is the text with each "|" and ":" made a NUL and two
// NULs after it; the property gives the text back unchanged.
void CheckFilterConversion(std::string_view input);

// A multi-selection splits into a directory and names that join back into
// the selection, whatever stands after it in the buffer; the count never
// passes the 32-bit limit.
void CheckParseMultiFileName(std::string_view input);

// A typed name is refused, or resolved to a full name with no part Windows
// refuses, no root, wildcards only where a pattern may have them, and the
// one NT form; a long one reaches Win32 calls verbatim. Patterns match long
// names as the find functions do: * all, no wildcard only the name itself
// (case aside), one more * no fewer.
void CheckFileNames(std::string_view input);

// Whatever the saved-listing reader takes writes (through list --json's
// writer) a document it takes back unchanged; what list --json writes for
// any stored list reads back entry for entry, saved as it is or as UTF-16.
void CheckSavedListing(std::string_view input);

// A plan the reader takes, written back with its names quoted as a command
// line quotes them, in UTF-8 or UTF-16, reads as the same operations; any
// words so quoted split back into themselves.
void CheckPlanText(std::string_view input);
// Any file read as the start-up processing's log: the log is set aside, or
// every line read is a valid time, a name and a status that, written back
// as Windows writes them, read back the same; each failure names its own
// path. The input is read as it is and as ASCII made UTF-16.
void CheckStartupLog(std::string_view input);

struct FuzzTarget {
    const char* name;
    void (*check)(std::string_view input);
};

// Every target, by the name of its corpus folder.
inline constexpr FuzzTarget kFuzzTargets[] = {
    {"utf16_text", CheckUtf16Text},
    {"registry_codec", CheckRegistryCodec},
    {"stored_list_append", CheckStoredListAppend},
    {"decimal_parser", CheckDecimalParser},
    {"filter_conversion", CheckFilterConversion},
    {"parse_multi_file_name", CheckParseMultiFileName},
    {"file_names", CheckFileNames},
    {"saved_listing", CheckSavedListing},
    {"plan_text", CheckPlanText},
    {"startup_log", CheckStartupLog},
};

}  // namespace pendrix::fuzz
