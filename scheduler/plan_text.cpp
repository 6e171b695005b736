#include "scheduler/plan_text.h"

#include "common/command_line.h"
#include "common/utf16_text.h"

namespace pendrix {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

// The text of a file of UTF-16 units after its mark; false for an odd
// number of bytes.
bool TextOfUtf16(std::string_view bytes, bool bigEndian, std::string& text) {
    if (bytes.size() % 2 != 0) return false;
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    text = TextFromUtf16(units);
    return true;
}

// Whether line is the program's text: UTF-8 (lone surrogates in their
// three-byte form allowed), with no NUL.
bool IsText(std::string_view line) {
    return line.find('\0') == std::string_view::npos && TextFromUtf16(Utf16FromText(line)) == line;
}

PlanReading Problem(std::size_t line, std::string problem) {
    PlanReading reading;
    reading.line = line;
    reading.problem = std::move(problem);
    return reading;
}

}  // namespace

PlanReading ReadPlan(std::string_view file) {
    std::string text;
    if (file.substr(0, kUtf16LittleMark.size()) == kUtf16LittleMark ||
        file.substr(0, kUtf16BigMark.size()) == kUtf16BigMark) {
        const bool bigEndian = file.substr(0, kUtf16BigMark.size()) == kUtf16BigMark;
        if (!TextOfUtf16(file.substr(kUtf16LittleMark.size()), bigEndian, text))
            return Problem(0, "it is UTF-16 of an odd number of bytes");
    } else {
        text = file.substr(0, kUtf8Mark.size()) == kUtf8Mark ? file.substr(kUtf8Mark.size()) : file;
    }

    PlanReading reading;
    std::vector<std::string> words;
    std::size_t number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!IsText(line)) return Problem(number, "it is not UTF-8 or UTF-16 text");
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == '#') continue;
        // The words as the arguments after a program's name.
        words = SplitCommandLine("plan " + std::string(line));
        words.erase(words.begin());
        PlanOperation operation;
        operation.line = number;
        if (words[0] == "replace" && words.size() == 3) {
            operation.source = words[1];
            operation.destination = words[2];
        } else if (words[0] == "delete" && words.size() == 2) {
            operation.verb = PlanVerb::Delete;
            operation.destination = words[1];
        } else if (words[0] == "replace" || words[0] == "delete") {
            return Problem(number, words[0] == "replace" ? "replace takes a SOURCE and a DESTINATION"
                                                         : "delete takes one PATH");
        } else {
            return Problem(number, "it is neither \"replace SOURCE DESTINATION\" nor \"delete PATH\"");
        }
        for (std::size_t i = 1; i < words.size(); ++i)
            if (words[i].find_first_not_of(" \t") == std::string::npos) return Problem(number, "a name is empty");
        reading.operations.push_back(std::move(operation));
    }
    if (reading.operations.empty()) return Problem(0, "it holds no operation");
    reading.ok = true;
    return reading;
}

}  // namespace pendrix
