#include "JSONValue.h"

#include <cmath>
#include <utility>

#include "JSON.h"

JSONValue::JSONValue() : type_(JSONType_Null) {}
JSONValue::JSONValue(const wchar_t* text) : type_(JSONType_String), string_(text ? text : L"") {}
JSONValue::JSONValue(const std::wstring& text) : type_(JSONType_String), string_(text) {}
JSONValue::JSONValue(bool value) : type_(JSONType_Bool), bool_(value) {}
JSONValue::JSONValue(double value) : type_(JSONType_Number), number_(value) {}
JSONValue::JSONValue(JSONArray elements) : type_(JSONType_Array), array_(std::move(elements)) {}
JSONValue::JSONValue(JSONObject members) : type_(JSONType_Object), object_(std::move(members)) {}

JSONValue::JSONValue(const JSONValue& other) : type_(JSONType_Null) {
    copyFrom(other);
}

JSONValue& JSONValue::operator=(const JSONValue& other) {
    if (this != &other) {
        JSONValue copy(other); // built first, so a throwing copy leaves *this intact
        *this = std::move(copy);
    }
    return *this;
}

JSONValue::JSONValue(JSONValue&& other) noexcept
    : type_(other.type_), string_(std::move(other.string_)), bool_(other.bool_),
      number_(other.number_), array_(std::move(other.array_)), object_(std::move(other.object_)) {
    other.array_.clear();
    other.object_.clear();
}

JSONValue& JSONValue::operator=(JSONValue&& other) noexcept {
    if (this != &other) {
        release();
        type_ = other.type_;
        string_ = std::move(other.string_);
        bool_ = other.bool_;
        number_ = other.number_;
        array_ = std::move(other.array_);
        object_ = std::move(other.object_);
        other.array_.clear();
        other.object_.clear();
    }
    return *this;
}

JSONValue::~JSONValue() {
    release();
}

void JSONValue::release() {
    for (JSONValue* element : array_)
        delete element;
    array_.clear();
    for (auto& member : object_)
        delete member.second;
    object_.clear();
}

void JSONValue::copyFrom(const JSONValue& other) {
    type_ = other.type_;
    string_ = other.string_;
    bool_ = other.bool_;
    number_ = other.number_;
    array_.reserve(other.array_.size());
    for (const JSONValue* element : other.array_)
        array_.push_back(new JSONValue(*element));
    for (const auto& [name, value] : other.object_)
        object_.emplace(name, new JSONValue(*value));
}

std::size_t JSONValue::CountChildren() const {
    if (IsArray()) return array_.size();
    if (IsObject()) return object_.size();
    return 0;
}

bool JSONValue::HasChild(std::size_t index) const {
    return IsArray() && index < array_.size();
}

JSONValue* JSONValue::Child(std::size_t index) {
    return HasChild(index) ? array_[index] : nullptr;
}

const JSONValue* JSONValue::Child(std::size_t index) const {
    return HasChild(index) ? array_[index] : nullptr;
}

bool JSONValue::HasChild(const wchar_t* name) const {
    return IsObject() && name && object_.count(name) != 0;
}

JSONValue* JSONValue::Child(const wchar_t* name) {
    if (!IsObject() || !name) return nullptr;
    auto found = object_.find(name);
    return found == object_.end() ? nullptr : found->second;
}

const JSONValue* JSONValue::Child(const wchar_t* name) const {
    return const_cast<JSONValue*>(this)->Child(name);
}

JSONValue* JSONValue::SetMember(const std::wstring& name, JSONValue child) {
    if (!IsObject()) return nullptr;
    auto* node = new JSONValue(std::move(child));
    auto [slot, inserted] = object_.emplace(name, node);
    if (!inserted) {
        delete slot->second;
        slot->second = node;
    }
    return node;
}

JSONValue* JSONValue::Append(JSONValue child) {
    if (!IsArray()) return nullptr;
    array_.push_back(new JSONValue(std::move(child)));
    return array_.back();
}

// ---- Parsing -------------------------------------------------------------------------

namespace {

bool isDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

wchar_t asciiLower(wchar_t c) {
    return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c;
}

// Literals are matched without regard to case. Comparing one character at a time stops
// at the terminator, which matches no letter.
bool matchLiteral(const wchar_t** cursor, const wchar_t* word) {
    const wchar_t* at = *cursor;
    for (; *word; ++word, ++at) {
        if (asciiLower(*at) != *word) return false;
    }
    *cursor = at;
    return true;
}

} // namespace

JSONValue* JSONValue::Parse(const wchar_t** cursor) {
    if (!cursor || !*cursor) return nullptr;
    return Parse(cursor, 0);
}

JSONValue* JSONValue::Parse(const wchar_t** cursor, int depth) {
    const wchar_t c = **cursor;
    if (c == L'"') {
        ++*cursor;
        std::wstring text;
        if (!JSON::ExtractString(cursor, text)) return nullptr;
        return new JSONValue(text);
    }
    if (c == L'-' || isDigit(c)) return ParseNumber(cursor);
    if (c == L'[') return depth < JSON::MaxDepth ? ParseArray(cursor, depth) : nullptr;
    if (c == L'{') return depth < JSON::MaxDepth ? ParseObject(cursor, depth) : nullptr;
    if (matchLiteral(cursor, L"true")) return new JSONValue(true);
    if (matchLiteral(cursor, L"false")) return new JSONValue(false);
    if (matchLiteral(cursor, L"null")) return new JSONValue();
    return nullptr;
}

JSONValue* JSONValue::ParseNumber(const wchar_t** cursor) {
    const wchar_t*& at = *cursor;
    const bool negative = *at == L'-';
    if (negative) ++at;

    double value;
    if (*at == L'0') {
        // A leading zero is the whole integer part; a digit after it is left unread.
        value = 0;
        ++at;
    } else if (isDigit(*at)) {
        value = JSON::ParseInt(cursor);
    } else {
        return nullptr;
    }

    if (*at == L'.') {
        ++at;
        if (!isDigit(*at)) return nullptr;
        value += JSON::ParseDecimal(cursor);
    }

    if (*at == L'e' || *at == L'E') {
        ++at;
        const bool negativeExponent = *at == L'-';
        if (*at == L'-' || *at == L'+') ++at;
        if (!isDigit(*at)) return nullptr;
        const double exponent = JSON::ParseInt(cursor);
        // Once the value is zero or infinite further steps cannot change it, which
        // bounds the loop for absurd exponents such as 1e999999999.
        for (double step = 0; step < exponent && value != 0 && std::isfinite(value); ++step)
            value = negativeExponent ? value / 10 : value * 10;
    }

    return new JSONValue(negative ? -value : value);
}

JSONValue* JSONValue::ParseArray(const wchar_t** cursor, int depth) {
    ++*cursor;
    JSONValue array{JSONArray{}}; // owns what is built, so every error path cleans up
    if (!JSON::SkipWhitespace(cursor)) return nullptr;
    if (**cursor == L']') {
        ++*cursor;
        return new JSONValue(std::move(array));
    }
    for (;;) {
        JSONValue* element = Parse(cursor, depth + 1);
        if (!element) return nullptr;
        array.array_.push_back(element);
        if (!JSON::SkipWhitespace(cursor)) return nullptr;
        if (**cursor == L']') {
            ++*cursor;
            return new JSONValue(std::move(array));
        }
        if (**cursor != L',') return nullptr;
        ++*cursor;
        if (!JSON::SkipWhitespace(cursor)) return nullptr;
    }
}

JSONValue* JSONValue::ParseObject(const wchar_t** cursor, int depth) {
    ++*cursor;
    JSONValue object{JSONObject{}};
    if (!JSON::SkipWhitespace(cursor)) return nullptr;
    if (**cursor == L'}') {
        ++*cursor;
        return new JSONValue(std::move(object));
    }
    for (;;) {
        // The character in the place of the name's opening quote is taken as such
        // without looking at it -- but never the terminator.
        if (**cursor == L'\0') return nullptr;
        ++*cursor;
        std::wstring name;
        if (!JSON::ExtractString(cursor, name)) return nullptr;
        if (!JSON::SkipWhitespace(cursor) || **cursor != L':') return nullptr;
        ++*cursor;
        if (!JSON::SkipWhitespace(cursor)) return nullptr;
        JSONValue* value = Parse(cursor, depth + 1);
        if (!value) return nullptr;
        // A repeated name keeps the last value, as JavaScript does.
        auto [slot, inserted] = object.object_.emplace(std::move(name), value);
        if (!inserted) {
            delete slot->second;
            slot->second = value;
        }
        if (!JSON::SkipWhitespace(cursor)) return nullptr;
        if (**cursor == L'}') {
            ++*cursor;
            return new JSONValue(std::move(object));
        }
        if (**cursor != L',') return nullptr;
        ++*cursor;
        if (!JSON::SkipWhitespace(cursor)) return nullptr;
    }
}
