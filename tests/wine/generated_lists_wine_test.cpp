// Thousands of pending lists as other programs leave them, written through
// RegSetValueExW into the real Session Manager key: well-formed or not
// (odd counts, missing or surplus closing NULs, empty strings in the
// middle), long paths, every script, unpaired surrogates. Each goes through
// Read and Append (and Restore), and what the registry then holds is checked
// unit for unit against what was written and against a model of the
// start-up walk. Seeded: PENDRIX_LIST_SEED=<n> replays a run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "common/utf16_text.h"
#include "registry/RegistryRoutines.h"
#include "pending_list/pending_rename_list.h"
#include "scheduler/list_update.h"
#include "tests/wine/wine_registry_fixture.h"

namespace pendrix::wine {
namespace {

using Units = std::u16string;

constexpr int kLists = 3000;
constexpr unsigned kDefaultSeed = 7;

// Pieces of names in many scripts, and units another program may leave.
const Units kPieces[] = {u"Program Files", u"lib", u"\u00DCbung\u00DF", u"\u0424\u0430\u0439\u043B",
                         u"\u6587\u4EF6", u"\u0645\u0644\u0641", u"\u05E7\u05D5\u05D1\u05E5", u"\u0939\u093F\u0928",
                         u"\u30D5\u30A1\u30A4\u30EB", u"\U0001F600", u"\u00E9 e\u0301", u"a b", u"!x",
                         Units(1, u'\xD800'), Units(1, u'\xDFFF'), Units(1, u'\xDBFF') + u"z", u"\uFFFD", u"\uFEFF"};

class Generator {
public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    Units Path() {
        Units path = u"C:\\";
        const int parts = 1 + Below(Below(10) == 0 ? 80 : 5);  // now and then a long path
        for (int i = 0; i < parts; ++i) {
            if (i > 0) path += u'\\';
            path += kPieces[Below(static_cast<int>(std::size(kPieces)))];
        }
        return path;
    }

    // The strings of a list: pairs, now and then an empty string where
    // any string may stand, and an odd count.
    std::vector<Units> Strings() {
        std::vector<Units> strings;
        const int count = Below(12);
        for (int i = 0; i < count; ++i) {
            if (Below(8) == 0) {
                strings.emplace_back();
            } else if (i % 2 == 0) {
                strings.push_back(u"\\??\\" + Path());
            } else {
                strings.push_back((Below(2) == 0 ? u"!\\??\\" : u"\\??\\") + Path());
            }
        }
        return strings;
    }

    // The stored units: each string with its NUL, then the closing NUL,
    // or less, or more.
    Units Stored(const std::vector<Units>& strings) {
        Units stored;
        for (const Units& text : strings) stored += text + u'\0';
        switch (Below(6)) {
        case 0: break;                                   // no closing NUL
        case 1: if (!stored.empty()) stored.pop_back(); break;  // not even the last string's NUL
        case 2: stored.append(static_cast<std::size_t>(2 + Below(3)), u'\0'); break;  // surplus NULs
        default: stored += u'\0';                        // well-formed
        }
        return stored;
    }

    RenamePair Pair() {
        const std::string first = TextFromUtf16(Path());
        return Below(2) == 0 ? DeletionPair(first) : ReplacementPair(first, TextFromUtf16(Path()));
    }

private:
    std::mt19937 random_;
};

// The stored strings: each NUL ends one, and units after the last NUL are
// one more.
std::vector<Units> Split(const Units& stored) {
    std::vector<Units> strings;
    std::size_t start = 0;
    while (start < stored.size()) {
        const std::size_t end = stored.find(u'\0', start);
        strings.push_back(stored.substr(start, end == Units::npos ? Units::npos : end - start));
        if (end == Units::npos) break;
        start = end + 1;
    }
    return strings;
}

// The start-up walk: pairs while the first string is not empty.
std::size_t Reached(const std::vector<Units>& strings) {
    std::size_t index = 0;
    while (index < strings.size() && !strings[index].empty()) index += 2;
    return std::min(index, strings.size());
}

bool Closed(const Units& stored) {
    return stored.size() >= 2 && stored[stored.size() - 1] == u'\0' && stored[stored.size() - 2] == u'\0';
}

Units UnitsOf(const std::wstring& wide) { return Units(wide.begin(), wide.end()); }

class GeneratedListsOnWine : public ::testing::Test {
protected:
    // Exactly these units: RegSetValueExW counts one more when the last unit
    // is not NUL and the one after it in memory is, so a unit follows that
    // is not NUL.
    void Store(const Units& stored) {
        const Units buffer = stored + u'x';
        ASSERT_EQ(RegSetValueExW(key, kValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(buffer.data()),
                                 static_cast<DWORD>(stored.size() * sizeof(char16_t))), ERROR_SUCCESS);
    }
    Units Stored() const { return UnitsOf(WideText(ReadRawW(key, kValue))); }

    static constexpr const wchar_t* kValue = ClearedPendingValue::kName;
    ClearedPendingValue pending;
    HKEY& key = pending.key;
    RegistryRoutines registry;
    PendingRenameList list{registry};
    PendingListUpdate update{registry, SystemListLock()};
};

bool Written(const UpdateResult& result) { return result.outcome == UpdateOutcome::Written; }

TEST_F(GeneratedListsOnWine, EveryListKeepsItsStringsAndGetsThePairWhereTheWalkReachesIt) {
    const char* replay = std::getenv("PENDRIX_LIST_SEED");
    const unsigned seed = replay != nullptr ? static_cast<unsigned>(std::strtoul(replay, nullptr, 10)) : kDefaultSeed;
    std::printf("PENDRIX_LIST_SEED=%u\n", seed);
    Generator generate(seed);
    int failures = 0;
    for (int n = 0; n < kLists && failures < 5; ++n) {
        SCOPED_TRACE("list " + std::to_string(n) + " of PENDRIX_LIST_SEED=" + std::to_string(seed));
        const Units written = generate.Stored(generate.Strings());
        const RenamePair pair = generate.Pair();
        Store(written);
        if (HasFatalFailure()) return;

        const PendingListRead read = list.Read();
        ASSERT_TRUE(read.readable && read.exists);
        ASSERT_EQ(Utf16FromText(read.stored), written) << "the list is read unit for unit";
        ASSERT_TRUE(Written(update.Append({pair})));

        const Units after = Stored();
        const std::vector<Units> before = Split(written);
        const std::size_t reached = Reached(before);
        std::vector<Units> expected(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(reached));
        if (reached % 2 == 1) expected.emplace_back();
        expected.push_back(Utf16FromText(pair.first));
        expected.push_back(Utf16FromText(pair.second));
        expected.insert(expected.end(), before.begin() + static_cast<std::ptrdiff_t>(reached), before.end());
        std::vector<Units> stored = Split(after);
        const bool closingAdded = stored.size() == expected.size() + 1 && stored.back().empty();
        if (closingAdded) stored.pop_back();
        EXPECT_EQ(stored, expected) << "every string stays, the pair goes where the walk stops";
        EXPECT_TRUE(Closed(after));
        EXPECT_EQ(Reached(Split(after)), reached + reached % 2 + 2) << "the walk reaches the pair";

        ASSERT_TRUE(Written(update.Restore(read)));
        EXPECT_EQ(Stored(), written) << "the snapshot comes back unit for unit";
        if (::testing::Test::HasFailure()) ++failures;
    }
}

}  // namespace
}  // namespace pendrix::wine
