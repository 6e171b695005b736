#include "common/json_writer.h"

#include <algorithm>

#include "common/json_text.h"
#include "common/pendrix_error.h"

namespace pendrix {

JsonArray::JsonArray(std::string& out, JsonItems items) : out_(out), items_(items) { out_ += '['; }

JsonArray::~JsonArray() { out_ += !empty_ && items_ == JsonItems::Lines ? "\r\n]" : "]"; }

void JsonArray::Next() {
    if (items_ == JsonItems::Lines) out_ += empty_ ? "\r\n" : ",\r\n";
    else if (!empty_) out_ += ", ";
    empty_ = false;
}

void JsonArray::String(std::string_view text) {
    Next();
    AppendJsonString(out_, text);
}

JsonObject JsonArray::Object() {
    Next();
    return JsonObject(out_);
}

JsonObject::JsonObject(std::string& out) : out_(out) { out_ += '{'; }

JsonObject::~JsonObject() { out_ += '}'; }

void JsonObject::Name(std::string_view name) {
    if (std::find(names_.begin(), names_.end(), name) != names_.end())
        throw PendrixError(kErrInvalidArgument, kProgramErrorSource,
                           "a JSON member written twice: " + std::string(name));
    if (!names_.empty()) out_ += ", ";
    names_.emplace_back(name);
    AppendJsonString(out_, name);
    out_ += ": ";
}

void JsonObject::String(std::string_view name, std::string_view text) {
    Name(name);
    AppendJsonString(out_, text);
}

void JsonObject::StringOrNull(std::string_view name, std::string_view text) {
    if (text.empty()) Null(name);
    else String(name, text);
}

void JsonObject::Bool(std::string_view name, bool value) {
    Name(name);
    out_ += value ? "true" : "false";
}

void JsonObject::Null(std::string_view name) {
    Name(name);
    out_ += "null";
}

JsonArray JsonObject::Array(std::string_view name, JsonItems items) {
    Name(name);
    return JsonArray(out_, items);
}

}  // namespace pendrix
