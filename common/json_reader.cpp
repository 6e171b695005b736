#include "common/json_reader.h"

#include <set>

#include "common/utf16_text.h"

namespace pendrix {
namespace {

class Reader {
public:
    explicit Reader(std::string_view document) : text_(document) {}

    bool Document(JsonValue& value) {
        if (!Value(value, 0)) return false;
        SkipSpace();
        return at_ == text_.size();
    }

private:
    bool AtEnd() const { return at_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[at_]; }

    void SkipSpace() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r')) ++at_;
    }

    bool Take(char c) {
        if (Peek() != c || AtEnd()) return false;
        ++at_;
        return true;
    }

    bool Word(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool Value(JsonValue& value, std::size_t depth) {
        SkipSpace();
        switch (Peek()) {
        case '{': return depth < kMaxJsonDepth && Object(value, depth + 1);
        case '[': return depth < kMaxJsonDepth && Array(value, depth + 1);
        case '"':
            value.kind = JsonValue::Kind::String;
            return String(value.text);
        case 't':
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = true;
            return Word("true");
        case 'f':
            value.kind = JsonValue::Kind::Boolean;
            return Word("false");
        case 'n':
            value.kind = JsonValue::Kind::Null;
            return Word("null");
        default:
            value.kind = JsonValue::Kind::Number;
            return Number(value.text);
        }
    }

    bool Object(JsonValue& value, std::size_t depth) {
        value.kind = JsonValue::Kind::Object;
        ++at_;  // {
        SkipSpace();
        if (Take('}')) return true;
        std::set<std::string> names;
        do {
            SkipSpace();
            JsonMember member;
            if (!String(member.name) || !names.insert(member.name).second) return false;
            SkipSpace();
            if (!Take(':') || !Value(member.value, depth)) return false;
            value.members.push_back(std::move(member));
            SkipSpace();
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& value, std::size_t depth) {
        value.kind = JsonValue::Kind::Array;
        ++at_;  // [
        SkipSpace();
        if (Take(']')) return true;
        do {
            value.items.emplace_back();
            if (!Value(value.items.back(), depth)) return false;
            SkipSpace();
        } while (Take(','));
        return Take(']');
    }

    bool Digits() {
        const std::size_t from = at_;
        while (Peek() >= '0' && Peek() <= '9' && !AtEnd()) ++at_;
        return at_ > from;
    }

    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    bool Number(std::string& written) {
        const std::size_t from = at_;
        Take('-');
        if (!Take('0') && !(Peek() >= '1' && Peek() <= '9' && Digits())) return false;
        if (Take('.') && !Digits()) return false;
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!Digits()) return false;
        }
        written.assign(text_.substr(from, at_ - from));
        return true;
    }

    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    bool String(std::string& out) {
        if (!Take('"')) return false;
        std::u16string units;
        for (;;) {
            if (AtEnd()) return false;
            const char c = text_[at_++];
            if (c == '"') break;
            if (c < 0x20 || c > 0x7E) return false;  // unescaped control character, or not ASCII
            if (c != '\\') {
                units += static_cast<char16_t>(c);
                continue;
            }
            if (AtEnd()) return false;
            const char escape = text_[at_++];
            constexpr std::string_view kSimple = "\"\\/bfnrt";
            constexpr std::u16string_view kMeaning = u"\"\\/\b\f\n\r\t";
            if (const std::size_t simple = kSimple.find(escape); simple != std::string_view::npos) {
                units += kMeaning[simple];
                continue;
            }
            if (escape != 'u' || text_.size() - at_ < 4) return false;
            int unit = 0;
            for (int k = 0; k < 4; ++k) {
                const int digit = HexValue(text_[at_++]);
                if (digit < 0) return false;
                unit = unit * 16 + digit;
            }
            units += static_cast<char16_t>(unit);
        }
        out = TextFromUtf16(units);
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

const JsonValue* JsonValue::Member(std::string_view name) const {
    for (const JsonMember& member : members)
        if (member.name == name) return &member.value;
    return nullptr;
}

std::optional<JsonValue> ReadJson(std::string_view document) {
    JsonValue value;
    if (!Reader(document).Document(value)) return std::nullopt;
    return value;
}

}  // namespace pendrix
