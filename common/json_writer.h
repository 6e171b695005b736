// The one writer of pendrix-cli's JSON documents: objects and arrays opened
// as scopes and closed when the scope ends, each member written once, every
// string escaped by AppendJsonString. The layout is the documents' own:
// ", " between members and between the items of an inline array, a line of
// its own for each item of a long array, "}\r\n" at the end.
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <vector>

namespace pendrix {

// How an array lays out its items: on its line ([1, 2]), or each on a line
// of its own after CR LF, the closing bracket too (entries, holders).
enum class JsonItems { Inline, Lines };

// A whole number as JSON writes it; bool is not one.
template <class T>
concept JsonInteger = std::integral<T> && !std::same_as<T, bool>;

class JsonObject;

// An array open at the end of the text; closed when it ends.
class JsonArray {
public:
    JsonArray(std::string& out, JsonItems items);
    ~JsonArray();
    JsonArray(const JsonArray&) = delete;
    JsonArray& operator=(const JsonArray&) = delete;

    void String(std::string_view text);
    template <JsonInteger T>
    void Number(T value) {
        Next();
        out_ += std::to_string(value);
    }
    JsonObject Object();

private:
    void Next();
    std::string& out_;
    JsonItems items_;
    bool empty_ = true;
};

// An object open at the end of the text; closed when it ends. A name
// written twice is a fault of the program, refused with std::logic_error
// before anything of the second member is written.
class JsonObject {
public:
    explicit JsonObject(std::string& out);
    ~JsonObject();
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    void String(std::string_view name, std::string_view text);
    // text, or null when it is empty.
    void StringOrNull(std::string_view name, std::string_view text);
    template <JsonInteger T>
    void Number(std::string_view name, T value) {
        Name(name);
        out_ += std::to_string(value);
    }
    void Bool(std::string_view name, bool value);
    void Null(std::string_view name);
    JsonArray Array(std::string_view name, JsonItems items = JsonItems::Inline);
    // Whether no member was written yet.
    bool Empty() const noexcept { return names_.empty(); }

private:
    void Name(std::string_view name);
    std::string& out_;
    std::vector<std::string> names_;
};

// A document: the object fill writes, then CR LF.
template <class Fill>
std::string JsonDocument(Fill&& fill) {
    std::string out;
    {
        JsonObject document(out);
        fill(document);
    }
    return out += "\r\n";
}

}  // namespace pendrix
