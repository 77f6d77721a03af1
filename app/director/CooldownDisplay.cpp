#include "CooldownDisplay.h"

#include "ColorCells.h"
#include "KeyList.h"
#include "ProfileStore.h"
#include "SettingsKeys.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>

namespace et {

namespace {

constexpr std::string_view kBlinkTimeKey = settings::kBlinkTime;
constexpr double kDefaultBlinkTime = 1.0;
constexpr double kMinBlinkTime = 0.01;

constexpr char kLowSlots[] = "123456";
constexpr char kHighSlots[] = "789:;<";
constexpr char kAllSlots[] = "123456789:;<";

struct FrameSlots {
    char bar; // 'A', 'B' or 'C'
    const char* slots;
};

std::optional<FrameSlots> frameSlots(char code) {
    switch (code) {
    case '`':
        return FrameSlots{'A', kLowSlots};
    case '[':
        return FrameSlots{'A', kHighSlots};
    case ']':
        return FrameSlots{'B', kLowSlots};
    case '{':
        return FrameSlots{'B', kHighSlots};
    case '}':
        return FrameSlots{'C', kLowSlots};
    default:
        return std::nullopt;
    }
}

// Keys of the keyboard grid range; only these can have a bitmap cell.
bool isOrdinaryKey(int32_t key) {
    return key >= 1 && key <= 511;
}

// Anything else (0, or a number no key list holds) is a slot bound to no key.
bool isLightableKey(int32_t key) {
    return isOrdinaryKey(key) || isExtraKeyId(key);
}

// The leading number of a text field as a double, 0 when it does not start with one. The
// decimal point is always ".", whatever the locale.
double leadingNumber(std::string_view text) {
    size_t start = text.find_first_not_of(" \t\n\r\f\v");
    if (start == std::string_view::npos) return 0.0;
    if (text[start] == '+') ++start;
    double value = 0.0;
    const char* first = text.data() + start;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || end == first || !std::isfinite(value)) return 0.0;
    return value;
}

std::string shortestText(double value) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

} // namespace

CooldownDisplay::CooldownDisplay(KeyLedger& ledger, RunLoop& runLoop, KeyboardFrames& frames,
                                 Defaults& defaults, CooldownCanvas& canvas,
                                 const ActionBarMaps& slots, const GameState& state)
    : ledger_(ledger), runLoop_(runLoop), frames_(frames), defaults_(defaults), canvas_(canvas),
      slots_(slots), state_(state), timers_(runLoop) {}

const BarMap& CooldownDisplay::barMap(char bar) const {
    switch (bar) {
    case 'A':
        return slots_.barMapA;
    case 'B':
        return slots_.barMapB;
    default:
        return slots_.barMapC;
    }
}

bool CooldownDisplay::isFrameCode(char code) {
    return frameSlots(code).has_value();
}

void CooldownDisplay::showActionBarFrame(char code, uint32_t value) {
    const auto range = frameSlots(code);
    if (!range) return;
    for (int i = 0; i < 6; ++i) {
        const uint32_t bit = 64u >> i;
        const int32_t key = barMap(range->bar)[static_cast<char32_t>(range->slots[i])];
        const bool dimmed = frames_.dimmedKeys.count(key) != 0;
        if ((value & bit) != 0 && !dimmed)
            startCooldown(key);
        else if ((value & bit) == 0 && dimmed)
            endCooldown(key);
    }
    if (supressCooldownBlinkCounter > 0) --supressCooldownBlinkCounter;
}

bool CooldownDisplay::showOnKeyboard() const {
    return frames_.useSpellCooldowns[0] && !state_.deadAnimationPlaying &&
           !state_.shadowAnimationPlaying;
}

void CooldownDisplay::startCooldown(int32_t key) {
    if (isLightableKey(key)) {
        const bool show = showOnKeyboard();
        const int32_t name = keyNameForId(key);
        const Color cooldown = frames_.keyboardColorSet[kCooldownColor];
        bool painted = false;
        for (int p = 1; p <= kProfileCount; ++p) {
            if (!frames_.useSpellCooldowns[p]) continue;
            if (isOrdinaryKey(key)) paintKey(frames_.keyboardColorBitmap[p], key, cooldown);
            if (!show) continue;
            if (!painted) {
                // The flash of the cooldown that ended just before ends on its next tick by
                // putting back the ready color; the cooldown color goes on again after it.
                // Only a flash is stopped: a stop would end the combat pulse otherwise.
                if (ledger_.flashRunning(name)) ledger_.stopFlash(name);
                ledger_.afterRestore(name, [this, key, name] {
                    if (frames_.dimmedKeys.count(key) != 0 && showOnKeyboard())
                        showCooldownColor(name);
                });
            }
            painted = true;
            showCooldownColor(name);
        }
    }
    frames_.dimmedKeys.insert(key);
}

void CooldownDisplay::showSlotColor(int32_t key, int32_t keyName) {
    if (frames_.dimmedKeys.count(key) != 0) {
        showCooldownColor(keyName);
        return;
    }
    ledger_.setColor(keyName, KeyboardFrames::mappedColor(frames_.keyboardColorSet,
                                                          frames_.keyToColorMap, key));
}

void CooldownDisplay::showCooldownColor(int32_t keyName) {
    ledger_.setColor(keyName, frames_.keyboardColorSet[kCooldownColor]);
}

void CooldownDisplay::endCooldown(int32_t key) {
    // Ready from here on: the flash's wait runs the main loop, and whatever redraws the
    // profiles meanwhile (a reset) must not paint the key as still cooling down.
    frames_.dimmedKeys.erase(key);
    if (isLightableKey(key)) {
        const bool show = showOnKeyboard();
        const bool blink = supressCooldownBlinkCounter == 0;
        const int32_t name = keyNameForId(key);
        for (int p = 1; p <= kProfileCount; ++p) {
            if (!frames_.useSpellCooldowns[p]) continue;
            const Color normal =
                KeyboardFrames::mappedColor(frames_.keyboardColorSet, frames_.keyToColorMap, key);
            if (isOrdinaryKey(key)) paintKey(frames_.keyboardColorBitmap[p], key, normal);
            if (!show) continue;
            ledger_.setColor(name, normal);
            if (blink) {
                runLoop_.runFor(kFlashDelay);
                ledger_.flash(name, 100, 100, 100, flashDurationMs(), kFlashIntervalMs);
                // The flash ends by putting back what the key showed when it began; a reset,
                // a fight or a new cooldown since then makes that stale.
                ledger_.afterRestore(name, [this, key, name] {
                    if (showOnKeyboard()) showSlotColor(key, name);
                });
            }
        }
    }
}

int CooldownDisplay::flashDurationMs() const {
    const double ms = blinkTime * 1000.0;
    if (!(ms > 0.0)) return 0;
    if (ms >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(ms);
}

void CooldownDisplay::cooldownCheck(bool on) {
    frames_.useSpellCooldowns[0] = on;
    CanvasModel& canvas = canvas_.model();
    canvas.usingActionbarCooldowns = on;
    const int p = state_.activeColorProfile;
    if (p >= 1 && p <= kProfileCount) {
        frames_.keyboardColorBitmap[p] =
            KeyboardFrames::composeBitmap(canvas.keyColorSet, canvas.keysToColors);
        frames_.useSpellCooldowns[p] = on;
        frames_.showColorProfile(p);
        if (frames_.useSingleColorMode) frames_.setAllKeys(frames_.keyboardColorSet[kColorA]);
    }
    canvas_.redraw();
    if (p >= 1 && p <= kProfileCount)
        defaults_.setBool(ProfileStore::keyFor(kCooldownFlagStem, p), on);
}

double CooldownDisplay::blinkTimeFromSetting(std::optional<double> stored) {
    double value = stored.value_or(0.0);
    if (!std::isfinite(value) || value == 0.0) value = kDefaultBlinkTime;
    return value < kMinBlinkTime ? kMinBlinkTime : value;
}

void CooldownDisplay::loadBlinkTime() {
    blinkTime = blinkTimeFromSetting(defaults_.getDouble(std::string(kBlinkTimeKey)));
}

std::string CooldownDisplay::blinkTimeChanged(std::string_view fieldText) {
    double value = leadingNumber(fieldText);
    if (value < kMinBlinkTime) value = kMinBlinkTime;
    blinkTime = value;
    defaults_.setDouble(std::string(kBlinkTimeKey), value);
    return shortestText(value);
}

void CooldownDisplay::revealCooldownColors() {
    CanvasModel& canvas = canvas_.model();
    canvas.dimmedKeys.clear();
    for (const BarMap* map : {&slots_.barMapA, &slots_.barMapB, &slots_.barMapC}) {
        for (const char* slot = kAllSlots; *slot != '\0'; ++slot) {
            const int32_t key = (*map)[static_cast<char32_t>(*slot)];
            if (key != kNoKey) canvas.dimmedKeys.insert(key);
        }
    }
    canvas_.redraw();
    timers_.after(kPreviewSeconds, [this] { unrevealCooldownColors(); });
}

void CooldownDisplay::unrevealCooldownColors() {
    canvas_.model().dimmedKeys.clear();
    canvas_.redraw();
}

} // namespace et
