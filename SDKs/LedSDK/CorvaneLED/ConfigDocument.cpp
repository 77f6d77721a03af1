// Reading and editing the option objects of the configuration document.
#include <climits>
#include <cmath>
#include <cwchar>

#include "CorvSDKShared.h"

std::optional<OptionPath> splitOptionPath(const wchar_t* path) {
    if (!path) return std::nullopt;
    const std::wstring text(path);
    std::size_t slashes = 0;
    for (wchar_t c : text)
        slashes += c == L'/';
    if (slashes > 2) return std::nullopt;
    const std::size_t slash = text.find(L'/');
    if (slash == std::wstring::npos) return OptionPath{L"misc", text};
    return OptionPath{text.substr(0, slash), text.substr(slash + 1)};
}

namespace {

bool memberEquals(const JSONValue& object, const wchar_t* member, const std::wstring& expected) {
    const JSONValue* value = object.Child(member);
    return value && value->IsString() && value->AsString() == expected;
}

bool matches(const JSONValue& candidate, const std::wstring& key, const std::wstring& type) {
    return candidate.IsObject() && memberEquals(candidate, L"key", key) &&
           (type.empty() || memberEquals(candidate, L"type", type));
}

// A stored color component becomes an int by truncation toward zero; values no int can
// hold are a wrong form rather than undefined behaviour.
bool toColorComponent(const JSONValue* value, int& component) {
    if (!value || !value->IsNumber()) return false;
    const double number = std::trunc(value->AsNumber());
    if (!(number >= INT_MIN && number <= INT_MAX)) return false;
    component = static_cast<int>(number);
    return true;
}

} // namespace

const JSONValue* findObjectForKeyInJsonArray(const JSONValue& array, const std::wstring& key,
                                             const std::wstring& type) {
    for (const JSONValue* candidate : array.AsArray()) {
        if (matches(*candidate, key, type)) return candidate;
    }
    return nullptr;
}

JSONValue* findMutableObjectForKeyInJsonArray(JSONValue& array, const std::wstring& key,
                                              const std::wstring& type) {
    return const_cast<JSONValue*>(findObjectForKeyInJsonArray(array, key, type));
}

bool findNumberInConfig(const JSONValue& item, double* value) {
    const JSONValue* stored = item.Child(L"value");
    if (!stored || !stored->IsNumber()) return false;
    *value = stored->AsNumber();
    return true;
}

bool findBoolInConfig(const JSONValue& item, bool* value) {
    const JSONValue* stored = item.Child(L"value");
    if (!stored || !stored->IsBool()) return false;
    *value = stored->AsBool();
    return true;
}

bool findColorInConfig(const JSONValue& item, settingsColorStruct* color) {
    const JSONValue* stored = item.Child(L"value");
    if (!stored || !stored->IsObject()) return false;
    settingsColorStruct read{};
    if (!toColorComponent(stored->Child(L"red"), read.red) ||
        !toColorComponent(stored->Child(L"green"), read.green) ||
        !toColorComponent(stored->Child(L"blue"), read.blue))
        return false;
    *color = read;
    return true;
}

StringCopy findStringInConfig(const JSONValue& item, wchar_t* buffer, std::size_t capacity) {
    const JSONValue* stored = item.Child(L"value");
    if (!stored || !stored->IsString()) return StringCopy::WrongForm;
    const std::wstring& text = stored->AsString();
    if (text.size() + 1 > capacity) return StringCopy::TooLong;
    std::wmemcpy(buffer, text.data(), text.size());
    buffer[text.size()] = L'\0';
    return StringCopy::Copied;
}

bool setConfigLabel(JSONValue& groupArray, const std::wstring& label, const std::wstring& group,
                    const std::wstring& name) {
    JSONValue* groupObject = findMutableObjectForKeyInJsonArray(groupArray, group, L"group");
    if (!groupObject) return false;
    JSONValue* target = groupObject;
    if (!name.empty()) {
        JSONValue* options = groupObject->Child(L"value");
        if (!options) return false;
        target = findMutableObjectForKeyInJsonArray(*options, name, L"");
        if (!target) return false;
    }
    target->SetMember(L"label", JSONValue(label));
    return true;
}
