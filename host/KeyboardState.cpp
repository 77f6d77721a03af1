#include "KeyboardState.h"

#include "WireFormat.h"

#include <CorvaneLED.h>

#include <algorithm>

namespace hostsim {

namespace {
// Keys with a bitmap cell have KeyName values below 0x200; the macro keys, logo and badge
// are lit per key only and keep their colors when a bitmap arrives.
bool isGridKey(int32_t key) {
    return key >= 0 && key < 0x200;
}

KeyCode codeKind(uint32_t command) {
    if (command == corvwire::kSetKeyByScanCode) return KeyCode::scan;
    return command == corvwire::kSetKeyByHidCode ? KeyCode::hid : KeyCode::quartz;
}
} // namespace

bool isShownKey(int32_t key) {
    return isGridKey(key) || (key >= CLK_P1 && key <= CLK_P9) || key == CLK_CrestLogo ||
           key == CLK_TalonBadge;
}

bool isKnownCode(KeyCode kind, int32_t code) {
    const int32_t end = kind == KeyCode::scan ? 0x200 : kind == KeyCode::hid ? 0x100 : 0x80;
    return code >= 0 && code < end;
}

bool KeyboardState::apply(const Message& m) {
    switch (m.command) {
    case corvwire::kInit:
        initialized_ = true;
        break;
    case corvwire::kSetTargetDevice:
        targetDevice_ = m.field(8);
        break;
    case corvwire::kSetLighting:
        current_.whole = Rgb{m.field(8), m.field(12), m.field(16)};
        current_.bitmap.reset();
        current_.keys.clear();
        for (auto& codes : current_.coded)
            codes.clear();
        break;
    case corvwire::kSaveCurrentLighting:
        saved_ = current_;
        break;
    case corvwire::kRestoreLighting:
        if (saved_) current_ = *saved_;
        break;
    case corvwire::kSetKeyByKeyName:
        if (!isShownKey(m.field(8))) return false;
        current_.keys[m.field(8)] = Rgb{m.field(12), m.field(16), m.field(20)};
        break;
    case corvwire::kSetKeyByScanCode:
    case corvwire::kSetKeyByHidCode:
    case corvwire::kSetKeyByQuartzCode: {
        const KeyCode kind = codeKind(m.command);
        if (!isKnownCode(kind, m.field(8))) return false;
        current_.coded[static_cast<size_t>(kind)][m.field(8)] =
            Rgb{m.field(12), m.field(16), m.field(20)};
        break;
    }
    case corvwire::kSetLightingWithBitmap: {
        std::array<uint8_t, 504> b{};
        std::copy(m.bytes.begin() + 8, m.bytes.begin() + 8 + 504, b.begin());
        current_.bitmap = b;
        // A code cannot be matched against the exclusion list of KeyNames: the bitmap covers it.
        for (auto& codes : current_.coded)
            codes.clear();
        for (auto it = current_.keys.begin(); it != current_.keys.end();) {
            const bool excluded =
                std::find(excluded_.begin(), excluded_.end(), it->first) != excluded_.end();
            if (isGridKey(it->first) && !excluded)
                it = current_.keys.erase(it);
            else
                ++it;
        }
        break;
    }
    case corvwire::kSaveSingleKeyLighting: {
        const int32_t key = m.field(8);
        if (!isShownKey(key)) return false;
        auto it = current_.keys.find(key);
        savedKeys_[key] = it == current_.keys.end() ? std::nullopt : std::optional<Rgb>(it->second);
        break;
    }
    case corvwire::kRestoreSingleKeyLighting: {
        const int32_t key = m.field(8);
        if (!isShownKey(key)) return false;
        auto it = savedKeys_.find(key);
        if (it == savedKeys_.end()) break;
        if (it->second)
            current_.keys[key] = *it->second;
        else
            current_.keys.erase(key);
        break;
    }
    case corvwire::kExcludeKeysFromBitmap: {
        excluded_.clear();
        const int32_t count = std::clamp(m.field(2024), 0, 504);
        for (int32_t i = 0; i < count; ++i)
            excluded_.push_back(m.field(8 + 4 * static_cast<size_t>(i)));
        break;
    }
    default:
        break;
    }
    return true;
}

std::optional<Rgb> KeyboardState::keyColor(int32_t key, int cellOffset) const {
    if (auto it = current_.keys.find(key); it != current_.keys.end()) return it->second;
    if (cellOffset >= 0 && cellOffset + 4 <= 504 && current_.bitmap) {
        const auto& b = *current_.bitmap;
        const size_t at = static_cast<size_t>(cellOffset);
        return Rgb{b[at + 2] * 100 / 255, b[at + 1] * 100 / 255, b[at] * 100 / 255};
    }
    return current_.whole;
}

} // namespace hostsim
