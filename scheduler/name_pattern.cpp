#include "scheduler/name_pattern.h"

#include <string>
#include <vector>

#include "common/utf16_text.h"
#include "common/name_folding.h"

namespace pendrix {
namespace {

// A unit of the pattern once FindFirstFileW has rewritten its wildcards
// into those of the file system's matching.
enum class Token {
    Unit,     // this unit, ignoring case
    Star,     // * : any run
    DosStar,  // < : any run that does not take the name's last period
    DosQm,    // > : any one unit, but nothing at a period or at the end
    DosDot,   // " : a period, or nothing at the end
};

struct PatternUnit {
    Token token;
    char16_t unit;
};

constexpr char16_t kStar = u'*';
constexpr char16_t kQuestion = u'?';
constexpr char16_t kPeriod = u'.';

// The rewriting of the find functions: the pattern's trailing periods and
// blanks go (as from any name), "*.*" is "*", every ? becomes DOS_QM, a
// period before a wildcard DOS_DOT, a * before a period DOS_STAR, and a
// final * DOS_STAR when the pattern as typed ended in a period.
std::vector<PatternUnit> Rewritten(std::u16string pattern) {
    const bool endsInPeriod = !pattern.empty() && pattern.back() == kPeriod;
    while (!pattern.empty() && (pattern.back() == kPeriod || pattern.back() == u' ')) pattern.pop_back();
    if (pattern == u"*.*") return {{Token::Star, kStar}};

    std::vector<PatternUnit> rewritten;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t unit = pattern[i];
        rewritten.push_back({unit == kStar ? Token::Star : unit == kQuestion ? Token::DosQm : Token::Unit, unit});
        if (i == 0) continue;
        if (unit == kPeriod && pattern[i - 1] == kStar) rewritten[i - 1].token = Token::DosStar;
        if ((unit == kStar || unit == kQuestion) && pattern[i - 1] == kPeriod) rewritten[i - 1].token = Token::DosDot;
    }
    if (endsInPeriod && !pattern.empty() && pattern.back() == kStar) rewritten.back().token = Token::DosStar;
    return rewritten;
}

}  // namespace

bool MatchesPattern(std::string_view pattern, std::string_view name) {
    const std::vector<PatternUnit> expression = Rewritten(Utf16FromText(pattern));
    const std::u16string units = Utf16FromText(name);
    const std::size_t n = units.size();
    const std::size_t found = units.rfind(kPeriod);
    const std::size_t lastPeriod = found == std::u16string::npos ? n : found;

    // reached[j]: the pattern read so far can have matched the name's first
    // j units. One pass over the name per unit of the pattern.
    std::vector<char> reached(n + 1, 0);
    reached[0] = 1;
    for (const PatternUnit& item : expression) {
        std::vector<char> next(n + 1, 0);
        bool carried = false;  // a run of any units reaches this end
        for (std::size_t j = 0; j <= n; ++j) {
            switch (item.token) {
            case Token::Star:
                carried = carried || reached[j];
                next[j] = carried;
                break;
            case Token::DosStar:
                carried = carried || reached[j];
                next[j] = carried;
                if (j == lastPeriod) carried = false;  // the run may not take it
                break;
            case Token::DosQm:
                if (reached[j]) next[j < n && units[j] != kPeriod ? j + 1 : j] = 1;
                break;
            case Token::DosDot:
                if (reached[j] && j == n) next[j] = 1;
                else if (reached[j] && units[j] == kPeriod) next[j + 1] = 1;
                break;
            case Token::Unit:
                if (reached[j] && j < n && UpcaseUnit(units[j]) == UpcaseUnit(item.unit)) next[j + 1] = 1;
                break;
            }
        }
        reached.swap(next);
    }
    return reached[n] != 0;
}

}  // namespace pendrix
