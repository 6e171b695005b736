// A small, strict JSON reader (RFC 8259) for the documents pendrix-cli
// writes: plain ASCII, names escaped from their UTF-16 units. Strings come
// back as the program's 8-bit text of those units, so every name, a lone
// surrogate included, is exactly what was written.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;                 // a string's text, or a number as written
    std::vector<JsonValue> items;     // an array's
    std::vector<JsonMember> members;  // an object's, in order, names unique

    // The member of an object named name; null when there is none.
    const JsonValue* Member(std::string_view name) const;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// How deep arrays and objects may nest.
inline constexpr std::size_t kMaxJsonDepth = 32;

// The one value of document, between optional whitespace. Nothing when it
// is not JSON, holds any byte but printable ASCII (and, between tokens,
// space, tab, CR and LF), repeats a member name in an object or nests
// deeper than kMaxJsonDepth.
std::optional<JsonValue> ReadJson(std::string_view document);

}  // namespace pendrix
