#pragma once
// The action-bar cooldown display: keeps the keys bound to the player's action-bar slots in
// the on-cooldown color while their slot is unavailable, puts them back when it is ready
// again and flashes them white. Also the per-profile switch, the flash duration and the
// preview on the color programmer's canvas.
#include "ActionBarMaps.h"
#include "CanvasModel.h"
#include "Defaults.h"
#include "GameState.h"
#include "KeyLedger.h"
#include "KeyboardFrames.h"
#include "RunLoop.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace et {

// The color programmer's canvas as far as the cooldown display touches it.
class CooldownCanvas {
  public:
    virtual ~CooldownCanvas() = default;
    virtual CanvasModel& model() = 0;
    virtual void redraw() = 0;
};

class CooldownDisplay {
  public:
    // The keys are lit through `ledger`, which the per-key effects share.
    CooldownDisplay(KeyLedger& ledger, RunLoop& runLoop, KeyboardFrames& frames,
                    Defaults& defaults, CooldownCanvas& canvas, const ActionBarMaps& slots,
                    const GameState& state);
    CooldownDisplay(const CooldownDisplay&) = delete;
    CooldownDisplay& operator=(const CooldownDisplay&) = delete;

    // Whether `code` is one of the five action-bar frame codes.
    static bool isFrameCode(char code);

    // One action-bar frame: `code` picks the slot map and six slots, `value` (the argument
    // character's scalar value) has bit 64 for the first slot down to bit 2 for the sixth.
    void showActionBarFrame(char code, uint32_t value);

    // cooldownCheck: the display switch of the profile in use.
    void cooldownCheck(bool on);

    // blinkTimeChanged: `fieldText` is what the user typed; returns what the field shows
    // afterwards. The value is stored as "blinkTimePref".
    std::string blinkTimeChanged(std::string_view fieldText);

    // The blink rule of a stored "blinkTimePref": missing or 0 gives 1.0, the result is at
    // least 0.01.
    static double blinkTimeFromSetting(std::optional<double> stored);
    // Reads "blinkTimePref" into blinkTime.
    void loadBlinkTime();

    // revealCooldownColors: every key bound to a slot shown in the on-cooldown color on the
    // canvas for 1.0 s; the keyboard is not touched.
    void revealCooldownColors();
    void unrevealCooldownColors();

    // Seconds of the white flash when a cooldown ends.
    double blinkTime = 1.0;
    // While above 0 an ending cooldown does not flash; each frame lowers it by one.
    int supressCooldownBlinkCounter = 0;

    static constexpr double kFlashDelay = 0.05;
    static constexpr int kFlashIntervalMs = 75;
    static constexpr double kPreviewSeconds = 1.0;

  private:
    const BarMap& barMap(char bar) const;
    bool showOnKeyboard() const;
    void startCooldown(int32_t key);
    void endCooldown(int32_t key);
    void showCooldownColor(int32_t keyName);
    // The cooldown color or the profile's color, as the slot stands now.
    void showSlotColor(int32_t key, int32_t keyName);
    int flashDurationMs() const;

    KeyLedger& ledger_;
    RunLoop& runLoop_;
    KeyboardFrames& frames_;
    Defaults& defaults_;
    CooldownCanvas& canvas_;
    const ActionBarMaps& slots_;
    const GameState& state_;
    ScopedTimers timers_;
};

} // namespace et
