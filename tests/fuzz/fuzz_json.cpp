// libFuzzer target for the JSON parser. Beyond "no crash, no leak, no undefined
// behaviour", every accepted text must stringify to a text that parses back to the same
// tree, since that is how the configuration file is rewritten.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "JSON.h"

namespace {

bool sameNumber(double first, double second) {
    // The text keeps 15 significant digits, and a value rounded up past the largest
    // double becomes infinite (stringified as null).
    if (!std::isfinite(first)) return false; // handled by the caller
    if (!std::isfinite(second)) return std::fabs(first) > 1.79e308;
    const double difference = std::fabs(first - second);
    return difference <= 1e-12 * std::fmax(std::fabs(first), std::fabs(second)) ||
           difference < 1e-300;
}

bool sameTree(const JSONValue& first, const JSONValue& second) {
    if (first.IsNumber() && !std::isfinite(first.AsNumber())) return second.IsNull();
    if (first.Type() != second.Type()) return false;
    switch (first.Type()) {
    case JSONType_Null:
        return true;
    case JSONType_Bool:
        return first.AsBool() == second.AsBool();
    case JSONType_Number:
        return sameNumber(first.AsNumber(), second.AsNumber());
    case JSONType_String:
        return first.AsString() == second.AsString();
    case JSONType_Array:
        if (first.CountChildren() != second.CountChildren()) return false;
        for (std::size_t i = 0; i < first.CountChildren(); ++i)
            if (!sameTree(*first.Child(i), *second.Child(i))) return false;
        return true;
    case JSONType_Object:
        if (first.CountChildren() != second.CountChildren()) return false;
        // Looked up by the whole name: names may hold NUL characters (\u0000).
        for (const auto& [name, value] : first.AsObject()) {
            const auto other = second.AsObject().find(name);
            if (other == second.AsObject().end() || !sameTree(*value, *other->second)) return false;
        }
        return true;
    }
    return false;
}

void checkRoundTrip(const JSONValue* value) {
    if (!value) return;
    const std::wstring text = JSON::Stringify(value);
    std::unique_ptr<JSONValue> again(JSON::Parse(text.c_str()));
    if (!again || !sameTree(*value, *again)) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<JSONValue> fromUtf8(JSON::Parse(bytes.c_str()));
    checkRoundTrip(fromUtf8.get());

    // The same bytes as characters reach the grammar without passing the UTF-8 check.
    const std::wstring wide(reinterpret_cast<const unsigned char*>(data),
                            reinterpret_cast<const unsigned char*>(data) + size);
    std::unique_ptr<JSONValue> fromWide(JSON::Parse(wide.c_str()));
    checkRoundTrip(fromWide.get());
    return 0;
}
