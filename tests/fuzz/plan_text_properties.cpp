// The plan reader's properties: whatever it takes, written back as a plan
// (each name quoted as a command line quotes it) in UTF-8 or UTF-16, reads
// back as the same operations; every word quoted so splits back into itself.
#include <string>
#include <vector>

#include "common/command_line.h"
#include "common/utf16_text.h"
#include "scheduler/plan_text.h"
#include "tests/fuzz/fuzz_properties.h"

namespace pendrix::fuzz {
namespace {

void Require(bool holds, const char* property) {
    if (!holds) throw PropertyViolation(property);
}

// word in double quotes, as CommandLineToArgvW reads it back: backslashes
// before a quote (or before the closing one) doubled, a quote escaped.
std::string Quote(const std::string& word) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

std::string Written(const std::vector<PlanOperation>& operations) {
    std::string text = "# written back\r\n";
    for (const PlanOperation& operation : operations) {
        if (operation.verb == PlanVerb::Replace)
            text += "replace " + Quote(operation.source) + " " + Quote(operation.destination) + "\r\n";
        else
            text += "delete " + Quote(operation.destination) + "\n";
    }
    return text;
}

std::string Utf16LittleEndian(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : Utf16FromText(text)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

bool SameOperations(const std::vector<PlanOperation>& a, const std::vector<PlanOperation>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].verb != b[i].verb || a[i].source != b[i].source || a[i].destination != b[i].destination)
            return false;
    return true;
}

}  // namespace

void CheckPlanText(std::string_view input) {
    // Any words, quoted, split back into themselves.
    std::vector<std::string> words;
    std::string line;
    std::size_t start = 0;
    while (start <= input.size() && words.size() < 8) {
        const std::size_t end = std::min(input.find('\x01', start), input.size());
        std::string word(input.substr(start, end - start));
        if (word.find_first_of(std::string("\n\0", 2)) == std::string::npos) {
            words.push_back(word);
            line += (line.empty() ? "" : " \t") + Quote(word);
        }
        start = end + 1;
    }
    std::vector<std::string> split = SplitCommandLine("plan " + line);
    split.erase(split.begin());
    Require(split == words, "quoted words split back into themselves");

    const PlanReading reading = ReadPlan(input);
    if (!reading.ok) {
        Require(reading.operations.empty() && !reading.problem.empty(), "a refused plan names its problem");
        return;
    }
    std::size_t previous = 0;
    for (const PlanOperation& operation : reading.operations) {
        Require(operation.line > previous, "operations come in the order of their lines");
        previous = operation.line;
        Require(!operation.destination.empty() && (operation.verb == PlanVerb::Delete || !operation.source.empty()),
                "every operation names its files");
    }
    const std::string written = Written(reading.operations);
    for (const std::string& file : {written, Utf16LittleEndian(written)}) {
        const PlanReading again = ReadPlan(file);
        Require(again.ok && SameOperations(again.operations, reading.operations),
                "a plan written back reads as the same operations");
    }
}

}  // namespace pendrix::fuzz
