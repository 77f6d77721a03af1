// libFuzzer target for the strip decoder: any run of frames, including colors no capture
// delivers (negative, above 1, not a number), decodes without fault, and every message it
// yields is one the add-on could have sent: a character 0–127, after an offer of the same
// character, optionally behind one of the five color prefixes.
#include "PixelDecoder.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

constexpr size_t kCellBytes = 3;
constexpr size_t kFrameBytes = et::kStripCells * kCellBytes + 1;

// Most frames are made of captured bytes; a frame whose flag byte says so carries odd
// component values too.
double component(uint8_t byte, bool odd) {
    if (!odd || byte % 8 > 4) return byte / 255.0;
    const double special[] = {std::nan(""), -double(byte), 1.0 + byte, HUGE_VAL, -HUGE_VAL};
    return special[byte % 8];
}

bool litCell(const et::Color& c) {
    constexpr double kLit = 14.0 / 256.0;
    return c.red >= kLit || c.green >= kLit || c.blue >= kLit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    et::PixelDecoder decoder;
    std::optional<char> offered; // the model's own idea of the pending offer
    for (size_t at = 0; at + kFrameBytes <= size; at += kFrameBytes) {
        const bool odd = (data[at] & 1) != 0;
        et::PixelDecoder::Frame frame;
        for (size_t i = 0; i < frame.size(); ++i) {
            const uint8_t* cell = data + at + 1 + i * kCellBytes;
            frame[i] = {component(cell[0], odd), component(cell[1], odd), component(cell[2], odd)};
        }
        const auto message = decoder.decode(frame);

        int value = 0;
        for (size_t i = 0; i < frame.size(); ++i)
            if (litCell(frame[i])) value += et::PixelDecoder::scanDataFactor[i];
        const bool counted = litCell(frame[0]) && litCell(frame[9]);
        const bool confirm = litCell(frame[1]);
        std::optional<char> expected;
        if (counted && !confirm && !litCell(frame[10])) offered = static_cast<char>(value);
        if (counted && confirm) {
            if (offered == static_cast<char>(value)) expected = static_cast<char>(value);
            offered.reset();
        }

        if (message.has_value() != expected.has_value()) __builtin_trap();
        if (decoder.charSuspected() != offered) __builtin_trap();
        if (!message) continue;
        if (message->empty() || message->size() > 2) __builtin_trap();
        if (message->back() != *expected) __builtin_trap();
        if (message->size() == 2 && !et::isColorPrefix((*message)[0])) __builtin_trap();
        if (static_cast<unsigned char>(message->back()) > 127) __builtin_trap();
    }
    return 0;
}
