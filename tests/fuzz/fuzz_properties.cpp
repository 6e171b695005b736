#include "tests/fuzz/fuzz_properties.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "common/file_time_text.h"
#include "cli/list_format.h"
#include "pending_list/saved_listing.h"
#include "common/pendrix_error.h"
#include "common/utf16_text.h"
#include "platform/cFileDialog.h"
#include "registry/listed_value_text.h"
#include "registry/registry_codec.h"
#include "registry/registry_constants.h"
#include "registry/registry_data.h"
#include "pending_list/pending_rename_list.h"
#include "pending_list/startup_log.h"
#include "pending_list/stored_list.h"

namespace pendrix::fuzz {
namespace {

void Require(bool holds, const char* property) {
    if (!holds) throw PropertyViolation(property);
}

std::uint8_t ByteAt(std::string_view input, std::size_t index) {
    return index < input.size() ? static_cast<std::uint8_t>(input[index]) : 0;
}

ByteList BytesOf(std::string_view text) { return ByteList(text.begin(), text.end()); }
std::string TextOf(ByteView bytes) { return std::string(bytes.begin(), bytes.end()); }

// The input as UTF-16 units, two bytes each, low byte first.
std::u16string UnitsOf(std::string_view input) {
    std::u16string units(input.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(ByteAt(input, 2 * i) | (ByteAt(input, 2 * i + 1) << 8));
    return units;
}

// The three-byte forms of a high and then a low surrogate: decoding makes
// them one pair, which is encoded in the four-byte form.
bool HoldsSplitPair(std::string_view text) {
    for (std::size_t i = 0; i + 5 < text.size(); ++i) {
        const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
        if (b(0) == 0xED && b(1) >= 0xA0 && b(1) <= 0xAF && b(3) == 0xED && b(4) >= 0xB0 && b(4) <= 0xBF) return true;
    }
    return false;
}

}  // namespace

void CheckUtf16Text(std::string_view input) {
    const std::u16string units = UnitsOf(input);
    const std::string text = TextFromUtf16(units);
    Require(text.size() == TextLengthOfUtf16(units), "the length is known without converting");
    Require(text.size() <= units.size() * kMaxTextBytesPerUnit, "at most three bytes a unit");
    Require(Utf16FromText(text) == units, "any UTF-16 units come back unit for unit");

    // The input as 8-bit text.
    const std::u16string once = Utf16FromText(input);
    const std::string again = TextFromUtf16(once);
    Require(Utf16FromText(again) == once, "text once through UTF-16 round-trips");
    const bool wellFormed = once.find(u'\uFFFD') == std::u16string::npos;
    if (wellFormed && !HoldsSplitPair(input)) Require(again == input, "well-formed text comes back byte for byte");
}

void CheckRegistryCodec(std::string_view input) {
    if (input.empty()) return;
    const auto type = static_cast<std::uint32_t>(ByteAt(input, 0) % 9);
    const std::string_view rest = input.substr(1);
    const ByteList data = BytesOf(rest);
    const ExpandFunction expand = [](const std::string& text) { return "<" + text + ">"; };
    const RegistryData fallback("fallback");

    // Decoding any data.
    const RegistryData decoded = DecodeRegistryData(type, data, fallback, expand);
    const std::string withoutTerminator =
        std::string(rest.substr(0, !rest.empty() && rest.back() == '\0' ? rest.size() - 1 : rest.size()));
    std::string listText(rest);
    for (int i = 0; i < 2 && !listText.empty() && listText.back() == '\0'; ++i) listText.pop_back();
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < 4 && i < rest.size(); ++i) number |= std::uint32_t{ByteAt(rest, i)} << (8 * i);
    switch (type) {
    case kRegSz:
        Require(decoded == (rest.empty() ? fallback : RegistryData(withoutTerminator)), "REG_SZ decodes");
        break;
    case kRegExpandSz:
        Require(decoded == (rest.empty() ? fallback : RegistryData("<" + withoutTerminator + ">")),
                "REG_EXPAND_SZ decodes expanded");
        break;
    case kRegBinary:
        Require(decoded == (rest.empty() ? fallback : RegistryData(data)), "REG_BINARY decodes");
        break;
    case kRegDword:
        Require(decoded == RegistryData(static_cast<std::int32_t>(number)), "REG_DWORD decodes");
        break;
    case kRegMultiSz:
        Require(decoded == (listText.empty() || listText[0] == '\0' ? fallback : RegistryData(listText)),
                "REG_MULTI_SZ decodes to the list text");
        break;
    default:
        Require(decoded == fallback, "other types decode to the default");
    }

    // Encoding, then decoding, gives the value back.
    const std::string text(rest);
    for (const std::uint32_t stringType : {kRegSz, kRegExpandSz}) {
        const std::optional<EncodedValue> encoded = EncodeRegistryData(static_cast<std::int32_t>(stringType), text);
        Require(encoded && encoded->type == stringType && encoded->data.size() == text.size() + 1 &&
                    encoded->data.back() == 0,
                "strings are written with their terminator");
        const RegistryData back = DecodeRegistryData(stringType, encoded->data, fallback, expand);
        Require(back == RegistryData(stringType == kRegSz ? text : "<" + text + ">"), "strings round-trip");
    }
    const std::optional<EncodedValue> list = EncodeRegistryData(static_cast<std::int32_t>(kRegMultiSz), text);
    Require(list && TextOf(list->data) == text, "lists are written exactly as given");
    if (!text.empty() && text[0] != '\0')
        Require(DecodeRegistryData(kRegMultiSz, BytesOf(text + std::string(2, '\0')), fallback, expand) ==
                    RegistryData(text),
                "a list text with its closing NULs round-trips");
    const std::optional<EncodedValue> binary = EncodeRegistryData(static_cast<std::int32_t>(kRegBinary), data);
    Require(binary && binary->data == data, "binary data is written as given");
    const auto signedNumber = static_cast<std::int32_t>(number);
    for (const RegistryData& value : {RegistryData(signedNumber), RegistryData(std::to_string(signedNumber))}) {
        const std::optional<EncodedValue> dword = EncodeRegistryData(static_cast<std::int32_t>(kRegDword), value);
        Require(dword && DecodeRegistryData(kRegDword, dword->data, fallback, expand) == RegistryData(signedNumber),
                "numbers round-trip");
    }

    // The listing's text forms.
    const std::string hex = HexByteText(data);
    Require(hex.size() == (data.empty() ? 0 : data.size() * 3 - 1), "two digits and a space a byte");
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::string digits = hex.substr(i * 3, 2);
        Require(std::stoul(digits, nullptr, 16) == data[i] && digits == HexByteText(ByteList{data[i]}),
                "every byte is listed");
    }
    std::string commas = listText;
    std::replace(commas.begin(), commas.end(), '\0', ',');
    Require(ListedValueData(kRegMultiSz, data, expand) == RegistryData(commas), "lists are listed with commas");
}

void CheckStoredListAppend(std::string_view input) {
    // First byte: the kind of pair and the path's length; then the path;
    // the rest is the stored data.
    const std::uint8_t control = ByteAt(input, 0);
    const std::size_t pathLength = std::min<std::size_t>(control >> 1, input.size() > 0 ? input.size() - 1 : 0);
    const std::string path(input.substr(std::min<std::size_t>(1, input.size()), pathLength));
    const std::string_view stored = input.substr(std::min(input.size(), 1 + pathLength));
    const RenamePair pair = (control & 1) != 0 ? ReplacementPair(path, path + "~") : DeletionPair(path);
    if (!IsStorablePair(pair)) {
        Require(path.find('\0') != std::string::npos, "only a pair holding a NUL is refused");
        return;
    }

    const std::string result = AppendPairToStored(stored, pair);
    const std::vector<std::string> before = SplitStoredStrings(stored);
    const std::size_t reached = ReachedStringCount(before);
    std::vector<std::string> expected(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(reached));
    if (reached % 2 == 1) expected.emplace_back();  // the deletion left open is completed
    expected.push_back(pair.first);
    expected.push_back(pair.second);
    expected.insert(expected.end(), before.begin() + static_cast<std::ptrdiff_t>(reached), before.end());

    const StoredListLayout after = DescribeStoredList(result);
    Require(after.strings.size() >= expected.size() && after.strings.size() <= expected.size() + 1,
            "at most the closing string is added");
    Require(std::equal(expected.begin(), expected.end(), after.strings.begin()),
            "every stored string stays, in order, around the new pair");
    Require(after.strings.size() == expected.size() || after.strings.back().empty(), "only a closing string is added");
    Require(after.closed, "the data ends with the two NULs the start-up processing needs");
    Require(after.reached == reached + reached % 2 + 2, "the start-up walk reaches the new pair and stops after it");
}

void CheckDecimalParser(std::string_view input) {
    try {
        ParseDecimalNumber(input);
    } catch (const PendrixError& error) {
        Require(error.Number() == kErrTypeMismatch || error.Number() == kErrOverflow,
                "text is a number, or a type mismatch or an overflow");
    }

    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) bits |= std::uint32_t{ByteAt(input, i)} << (8 * i);
    const auto n = static_cast<std::int32_t>(bits);
    const std::string digits = std::to_string(n);
    // The expected result of text, or nothing for an overflow.
    const auto parses = [](const std::string& text, std::optional<std::int64_t> expected) {
        try {
            const std::int32_t value = ParseDecimalNumber(text);
            Require(expected && value == *expected, "the number is parsed exactly");
        } catch (const PendrixError& error) {
            Require(!expected && error.Number() == kErrOverflow, "only a number out of range overflows");
        }
    };
    const auto inRange = [](std::int64_t value) -> std::optional<std::int64_t> {
        if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
        return value;
    };
    const std::int64_t awayFromZero = n < 0 ? std::int64_t{n} - 1 : std::int64_t{n} + 1;
    parses(digits, n);
    parses(" \t" + digits + " ", n);
    parses(digits + "e0", n);
    parses(digits + "00e-2", n);
    parses(digits + ".4999", n);
    parses(digits + ".5001", inRange(awayFromZero));
    parses(digits + ".5", inRange(n % 2 == 0 ? std::int64_t{n} : awayFromZero));
    parses((n < 0 ? "-000" : "+000") + digits.substr(n < 0 ? 1 : 0), n);
}

void CheckFilterConversion(std::string_view input) {
    class CapturingDialog final : public FileDialogApi {
    public:
        std::optional<std::string> filter;
        std::int32_t RunOpen(OpenFileNameRecord& record) override {
            filter = record.lpstrFilter;
            return 0;
        }
        std::int32_t RunSave(OpenFileNameRecord& record) override { return RunOpen(record); }
        std::string ExecutableName() override { return "Pendrix"; }
    };
    CapturingDialog api;
    cFileDialog dialog(api);
    dialog.Filter(std::string(input));
    Require(dialog.Filter() == input, "the filter reads back unchanged");
    dialog.ShowOpen();
    std::string expected(input);
    std::replace(expected.begin(), expected.end(), '|', '\0');
    std::replace(expected.begin(), expected.end(), ':', '\0');
    expected.append(2, '\0');
    Require(api.filter == expected, "each | and : is a NUL, and two NULs close the list");
}

void CheckParseMultiFileName(std::string_view input) {
    class NoDialog final : public FileDialogApi {
    public:
        std::int32_t RunOpen(OpenFileNameRecord&) override { return 0; }
        std::int32_t RunSave(OpenFileNameRecord&) override { return 0; }
        std::string ExecutableName() override { return "Pendrix"; }
    };
    // First byte: the count passed in; the rest is the buffer.
    const std::int32_t starts[] = {0, 3, INT32_MAX, -1};
    const std::int32_t start = starts[ByteAt(input, 0) % 4];
    const std::string filename(input.substr(std::min<std::size_t>(1, input.size())));
    NoDialog api;
    cFileDialog dialog(api);
    dialog.Filename(filename);

    const std::size_t listEnd = filename.find(std::string(2, '\0'));
    const std::string list = filename.substr(0, listEnd);
    const std::size_t firstNul = list.find('\0');
    const auto names = static_cast<std::int64_t>(std::count(list.begin(), list.end(), '\0'));
    std::string dir = "kept";
    std::vector<std::string> files{"kept"};
    std::int32_t count = start;
    try {
        dialog.ParseMultiFileName(dir, files, count);
    } catch (const PendrixError& error) {
        const bool several = listEnd != std::string::npos && firstNul != std::string::npos;
        const std::int32_t expected = listEnd == std::string::npos || (several && start < 0) ? kErrInvalidArgument
                                      : several && start + names > INT32_MAX              ? kErrOverflow
                                                                                          : -1;
        Require(error.Number() == expected, "only a missing list end, a negative count or an overflow is refused");
        Require(dir == "kept" && files == std::vector<std::string>{"kept"} && count == start,
                "a refusal changes nothing");
        return;
    }
    Require(listEnd != std::string::npos, "a buffer without a list end is refused");
    if (firstNul == std::string::npos) {
        Require(count == 1 && files.size() == 1 && dir + files[0] == list, "one file splits into folder and name");
        Require(dir.empty() || dir.back() == '\\', "the folder ends with its backslash");
        Require(files[0].find('\\') == std::string::npos, "the name holds no backslash");
        return;
    }
    Require(start >= 0 && count == start + names, "the count goes on from the count passed");
    Require(files.size() == static_cast<std::size_t>(count), "one element for each counted name");
    std::string joined = dir;
    for (std::size_t i = static_cast<std::size_t>(start); i < files.size(); ++i) joined.append(1, '\0').append(files[i]);
    Require(joined == list, "folder and names join into the selection");
    Require(start == 0 || files[0] == "kept", "earlier names are kept");
}

void CheckSavedListing(std::string_view input) {
    // The input as a saved file.
    if (const std::optional<PendingEntries> read = ReadSavedListing(input)) {
        const std::string document = cli::FormatListJson(*read);
        const std::optional<PendingEntries> again = ReadSavedListing(document);
        Require(again && cli::FormatListJson(*again) == document, "a listing read back writes one that reads back");
    }

    // The input as the value's UTF-16 units; each entry's source state and
    // stamp drawn from them too.
    const std::u16string units = UnitsOf(input);
    const std::string stored = TextFromUtf16(units);
    PendingEntries list = DescribeEntries(stored, !stored.empty());
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const std::uint64_t draw = (units[i % units.size()] + i) * 0x9E37'79B9'7F4A'7C15ull;
        PendingEntry& entry = list.entries[i];
        entry.sourceState = static_cast<Presence>(draw % 3);
        if (entry.sourceState == Presence::Exists && draw % 5 != 0)
            entry.sourceStamp = ContentStamp{draw >> 8, (draw >> 1) & kLatestFileTime};
    }
    const std::string document = cli::FormatListJson(list);
    // Saved as it was written, after a UTF-8 mark, or as Windows PowerShell
    // saves it (UTF-16 LE after its mark): one of them, by the input's length.
    std::string file;
    switch (input.size() % 3) {
    case 0: file = document; break;
    case 1: file = "\xEF\xBB\xBF" + document; break;
    default:
        file = "\xFF\xFE";
        for (const char c : document) file.append(1, c).append(1, '\0');
    }
    const std::optional<PendingEntries> read = ReadSavedListing(file);
    Require(read && read->entries.size() == list.entries.size(), "what list --json writes reads back");
    for (std::size_t i = 0; i < list.entries.size(); ++i)
        Require(read->entries[i].first == list.entries[i].first && read->entries[i].second == list.entries[i].second,
                "each entry comes back with its stored strings");
    Require(cli::FormatListJson(*read) == document, "and with everything list said of it");
}

namespace {

// A failure as Windows writes its line.
std::string LogLine(const LoggedFailure& failure) {
    const LocalTime& t = failure.time;
    char time[64];
    std::snprintf(time, sizeof time, "%d/%d/%04d %d:%d:%d", t.month, t.day, t.year, t.hour, t.minute, t.second);
    return std::string(time) + " - PFRO Error: " + failure.path +
           (failure.operation == LoggedOperation::Delete ? ", |delete operation|, " : ", |rename operation|, ") +
           StatusHex(failure.status) + "\r\n";
}

std::string Utf16FileOf(std::string_view text) {
    const std::u16string units = Utf16FromText(text);
    std::string file = "\xFF\xFE";
    for (const char16_t unit : units) file.append(1, static_cast<char>(unit & 0xFF)).append(1, static_cast<char>(unit >> 8));
    return file;
}

void CheckOneStartupLog(std::string_view file) {
    const StartupLog log = ReadStartupLog(file);
    Require((log.skippedLines == 0) == (log.firstSkipped == 0), "the first line skipped is told");
    if (log.problem != StartupLogProblem::None) {
        Require(log.failures.empty() && log.skippedLines == 0, "a log set aside gives no line");
        return;
    }
    Require(!log.failures.empty() || log.skippedLines != 0, "a log used holds a line");
    std::string written;
    for (const LoggedFailure& failure : log.failures) {
        const LocalTime& t = failure.time;
        Require(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour <= 23 && t.minute <= 59 &&
                    t.second <= 59 && t.year >= 1601 && t.year <= 9999,
                "a valid time");
        Require(!failure.path.empty() && failure.path.find('\n') == std::string::npos, "a path on the line");
        written += LogLine(failure);
    }
    const StartupLog again = ReadStartupLog(Utf16FileOf(written));
    Require(again.skippedLines == 0 && again.failures.size() == log.failures.size(),
            "the lines written back read back");
    for (std::size_t i = 0; i < log.failures.size(); ++i) {
        const LoggedFailure& a = log.failures[i];
        const LoggedFailure& b = again.failures[i];
        Require(a.time == b.time && a.path == b.path && a.operation == b.operation && a.status == b.status,
                "each failure reads back the same");
    }
    const std::vector<TimedFailure> timed = TimeFailures(log, [](const LocalTime&, std::uint64_t& utc) {
        utc = 1;
        return true;
    });
    for (const LoggedFailure& failure : log.failures) {
        const bool deletion = failure.operation == LoggedOperation::Delete;
        Require(LatestFailureFor(timed, 0, failure.path, deletion ? "" : "\\??\\elsewhere", deletion) != nullptr,
                "each failure names its own path");
        Require(LatestFailureFor(timed, 2, failure.path, "", deletion) == nullptr, "nothing before since counts");
    }
}

}  // namespace

void CheckStartupLog(std::string_view input) {
    CheckOneStartupLog(input);
    // As text made UTF-16, the way the log is written.
    CheckOneStartupLog(Utf16FileOf(input));
}

}  // namespace pendrix::fuzz
