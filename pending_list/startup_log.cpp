#include "pending_list/startup_log.h"

#include <array>

#include "common/name_folding.h"
#include "common/utf16_text.h"

namespace pendrix {
namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kErrorMark = " - PFRO Error: ";
constexpr std::string_view kDeleteOperation = ", |delete operation|, ";
constexpr std::string_view kRenameOperation = ", |rename operation|, ";
constexpr std::string_view kHexStart = "0x";
constexpr std::size_t kMostHexDigits = 8;

struct KnownStatus {
    std::uint32_t status;
    std::string_view meaning;
};

// The failures the start-up processing meets most, in the words an
// administrator needs.
constexpr std::array<KnownStatus, 11> kKnownStatuses{{
    {0xC0000034, "the file was not found"},                             // STATUS_OBJECT_NAME_NOT_FOUND
    {0xC000003A, "the folder of the path was not found"},               // STATUS_OBJECT_PATH_NOT_FOUND
    {0xC0000043, "the file was in use (sharing violation)"},            // STATUS_SHARING_VIOLATION
    {0xC0000022, "access was denied"},                                  // STATUS_ACCESS_DENIED
    {0xC0000035, "the destination already exists"},                     // STATUS_OBJECT_NAME_COLLISION
    {0xC0000121, "the file cannot be deleted (read-only or a running program)"},  // STATUS_CANNOT_DELETE
    {0xC0000101, "the folder is not empty"},                            // STATUS_DIRECTORY_NOT_EMPTY
    {0xC00000BA, "the name is a folder"},                               // STATUS_FILE_IS_A_DIRECTORY
    {0xC0000056, "the file was already being deleted"},                 // STATUS_DELETE_PENDING
    {0xC00000D4, "the destination is on another volume"},               // STATUS_NOT_SAME_DEVICE
    {0xC000000F, "the file does not exist"},                            // STATUS_NO_SUCH_FILE
}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number of min to max digits at text[at], moving at past it.
std::optional<int> Digits(std::string_view text, std::size_t& at, std::size_t min, std::size_t max) {
    int number = 0;
    std::size_t count = 0;
    while (at < text.size() && count < max && IsDigit(text[at])) {
        number = number * 10 + (text[at] - '0');
        ++at;
        ++count;
    }
    if (count < min) return std::nullopt;
    return number;
}

bool Expect(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// "12/07/2026 10:11:12" or "2/7/2026 9:5:4" at the start of line; at moves past it.
std::optional<LocalTime> ReadTime(std::string_view line, std::size_t& at) {
    LocalTime time;
    const auto month = Digits(line, at, 1, 2);
    if (!month || !Expect(line, at, '/')) return std::nullopt;
    const auto day = Digits(line, at, 1, 2);
    if (!day || !Expect(line, at, '/')) return std::nullopt;
    const auto year = Digits(line, at, 4, 4);
    if (!year || !Expect(line, at, ' ')) return std::nullopt;
    const auto hour = Digits(line, at, 1, 2);
    if (!hour || !Expect(line, at, ':')) return std::nullopt;
    const auto minute = Digits(line, at, 1, 2);
    if (!minute || !Expect(line, at, ':')) return std::nullopt;
    const auto second = Digits(line, at, 1, 2);
    if (!second) return std::nullopt;
    time = {*year, *month, *day, *hour, *minute, *second};
    if (time.year < 1601 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > DaysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 || time.second > 59)
        return std::nullopt;
    return time;
}

std::optional<std::uint32_t> ReadStatus(std::string_view text) {
    if (text.substr(0, kHexStart.size()) != kHexStart) return std::nullopt;
    text.remove_prefix(kHexStart.size());
    if (text.empty() || text.size() > kMostHexDigits) return std::nullopt;
    std::uint32_t status = 0;
    for (const char c : text) {
        std::uint32_t digit = 0;
        if (IsDigit(c))
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return std::nullopt;
        status = status << 4 | digit;
    }
    return status;
}

std::optional<LoggedFailure> ReadLine(std::string_view line) {
    std::size_t at = 0;
    const std::optional<LocalTime> time = ReadTime(line, at);
    if (!time || line.substr(at, kErrorMark.size()) != kErrorMark) return std::nullopt;
    const std::string_view rest = line.substr(at + kErrorMark.size());
    // From the end: a path may hold ", " itself.
    LoggedFailure failure;
    failure.time = *time;
    std::size_t operation = rest.rfind(kDeleteOperation);
    std::size_t operationLength = kDeleteOperation.size();
    const std::size_t rename = rest.rfind(kRenameOperation);
    if (operation == std::string_view::npos || (rename != std::string_view::npos && rename > operation)) {
        operation = rename;
        operationLength = kRenameOperation.size();
        failure.operation = LoggedOperation::Rename;
    }
    if (operation == std::string_view::npos || operation == 0) return std::nullopt;
    const std::optional<std::uint32_t> status = ReadStatus(rest.substr(operation + operationLength));
    if (!status) return std::nullopt;
    failure.status = *status;
    failure.path = std::string(rest.substr(0, operation));
    return failure;
}

bool IsBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

StartupLog ReadStartupLog(std::string_view file) {
    StartupLog log;
    if (file.substr(0, kUtf16Mark.size()) == kUtf16Mark) file.remove_prefix(kUtf16Mark.size());
    if (file.size() % 2 != 0) {
        log.problem = StartupLogProblem::NotUtf16;
        return log;
    }
    std::u16string units(file.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(file[2 * i]) |
                                         static_cast<unsigned char>(file[2 * i + 1]) << 8);
    const std::string text = TextFromUtf16(units);
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++number;
        start = end + 1;
        if (IsBlank(line)) continue;
        std::optional<LoggedFailure> failure = ReadLine(line);
        if (!failure) {
            if (log.skippedLines++ == 0) log.firstSkipped = number;
            continue;
        }
        log.failures.push_back(std::move(*failure));
    }
    if (log.failures.empty() && log.skippedLines == 0) log.problem = StartupLogProblem::Empty;
    return log;
}

std::optional<std::string_view> StatusMeaning(std::uint32_t status) {
    for (const KnownStatus& known : kKnownStatuses)
        if (known.status == status) return known.meaning;
    return std::nullopt;
}

std::string StatusHex(std::uint32_t status) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(status >> shift) & 0xF];
    return text;
}

std::vector<TimedFailure> TimeFailures(const StartupLog& log, const LocalToUtcFunction& toUtc) {
    std::vector<TimedFailure> timed;
    timed.reserve(log.failures.size());
    for (const LoggedFailure& failure : log.failures) {
        std::uint64_t utc = 0;
        if (toUtc(failure.time, utc)) timed.push_back({utc, &failure, FoldName(failure.path)});
    }
    return timed;
}

const LoggedFailure* LatestFailureFor(const std::vector<TimedFailure>& failures, std::uint64_t since,
                                      std::string_view source, std::string_view destination, bool deletion) {
    if (failures.empty()) return nullptr;
    const std::string foldedSource = FoldName(source);
    const std::string foldedDestination = deletion ? std::string() : FoldName(destination);
    const TimedFailure* latest = nullptr;
    for (const TimedFailure& timed : failures) {
        if (timed.utc < since || (timed.failure->operation == LoggedOperation::Delete) != deletion) continue;
        const bool named = timed.foldedPath == foldedSource ||
                           (!foldedDestination.empty() && timed.foldedPath == foldedDestination);
        if (named && (latest == nullptr || timed.utc >= latest->utc)) latest = &timed;
    }
    return latest != nullptr ? latest->failure : nullptr;
}

}  // namespace pendrix
