#include "LightingDirector.h"

#include "MessageText.h"

#include <CorvaneLED.h>

namespace et {

namespace {

constexpr int kWhisperIntervalMs = 500;
constexpr int kChatProfile = 2;
constexpr int kLeaveGameProfile = 2;
constexpr double kCombatRedSeconds = 1.0;
const Color kDeadBaseColor{0.5, 0.4, 0.5, 1.0};

struct Hsb {
    double hue;
    double saturation;
    double brightness;
};

// The shadow colors of codes j, k and l.
Hsb shadowColor(char code) {
    switch (code) {
    case 'j':
        return {183.0 / 360.0, 0.5, 0.6};
    case 'k':
        return {220.0 / 360.0, 0.77, 0.52};
    default:
        return {137.0 / 360.0, 0.51, 0.73};
    }
}

} // namespace

LightingDirector::LightingDirector(Lighting& lighting, RunLoop& runLoop, Log& log,
                                   Defaults& defaults, KeyboardFrames& frames,
                                   CooldownCanvas& canvas, const ActionBarMaps& slots,
                                   RandomSource& random, Hooks hooks)
    : ledger_(lighting, runLoop),
      cooldowns(ledger_, runLoop, frames, defaults, canvas, slots, state), lighting_(lighting),
      runLoop_(runLoop), log_(log), frames_(frames), hooks_(std::move(hooks)),
      effects_(lighting, frames, random, ledger_), animations_(lighting, runLoop, frames),
      timers_(runLoop) {}

LightingDirector::~LightingDirector() = default;

void LightingDirector::evaluateMessage(const std::string& message) {
    if (message.empty()) return;
    if (message.front() == '\0') {
        if (debug()) log_.appendLine("ignoring message NULL (00)");
        return;
    }
    const std::string hex = hexBytes(message);
    if (debug()) log_.appendLine("evaluating message " + message + " (" + hex + ")");
    // A reset while the last animation played left it to finish without drawing.
    animations_.resume();
    if (!dispatch(message.front(), message) && debug())
        log_.appendLine("Ignored message " + message + " (" + hex + ") from buffer");
}

bool LightingDirector::dispatch(char code, const std::string& message) {
    switch (code) {
    // The queue dropped what came before these when they arrived; what came after them is
    // meant for the state after the reset and stays.
    case 'R':
        reset(false, false);
        return true;
    case '-':
        reset(true, false);
        return true;
    case 'C':
        effects_.startCombatPulse(state.combatPulseMs);
        state.combatAnimationPlaying = true;
        return true;
    case 'O':
        endCombat();
        return true;
    case 'D':
        effects_.startDeadEffect();
        state.deadAnimationPlaying = true;
        return true;
    case 'U':
        effects_.stopDeadEffect();
        state.EmberisInTheForeground = 1;
        endDeath();
        return true;
    case 'G':
        animations_.rowSweep(1, SweepDirection::down, profileBitmap(), singleColor());
        return true;
    case 'g':
        animations_.rowSweep(1, SweepDirection::up, profileBitmap(), singleColor());
        return true;
    case 'S':
        animations_.rowSweep(2, SweepDirection::down, profileBitmap(), singleColor());
        return true;
    case 's':
        animations_.rowSweep(2, SweepDirection::up, profileBitmap(), singleColor());
        return true;
    case 'M':
        animations_.rowSweep(3, SweepDirection::down, profileBitmap(), singleColor());
        return true;
    case 'm':
        animations_.rowSweep(3, SweepDirection::up, profileBitmap(), singleColor());
        return true;
    case 'A':
        animations_.colorStream(ColorStream::A, profileBitmap(), singleColor());
        return true;
    case 'H':
        animations_.banner(Color::red_());
        return true;
    case 'r':
        animations_.banner(Color::green_());
        return true;
    case 'T':
        animations_.stripes(profileBitmap(), singleColor());
        return true;
    case 'a':
        animations_.rowSweep(4, SweepDirection::up, profileBitmap(), singleColor());
        return true;
    case 'F':
        animations_.colorStream(ColorStream::F, profileBitmap(), singleColor());
        return true;
    case 'f':
        animations_.blackAndWhiteFlash();
        state.EmberisInTheForeground = 2;
        return true;
    case 'N':
        animations_.fiveColorSweep(SweepPalette::N, profileBitmap(), singleColor());
        return true;
    case 'n':
        animations_.colorStream(ColorStream::n, profileBitmap(), singleColor());
        return true;
    case 'h':
        animations_.checkerboard(profileBitmap(), singleColor());
        return true;
    case 'J':
        animations_.rainbow(profileBitmap(), singleColor());
        return true;
    case 'W':
        if (animations_.fadeToDark(profileBitmap())) state.deadAnimationPlaying = true;
        return true;
    case 'V': {
        // A revival after "D" ends the dead effect too; it would pulse on for good.
        if (effects_.deadEffectRunning()) effects_.stopDeadEffect();
        if (animations_.fadeBack(profileBitmap())) endDeath();
        return true;
    }
    case 'w':
    case 'x':
    case 'y':
    case 'z':
        state.combatPulseMs = code == 'w' ? 400 : code == 'x' ? 300 : code == 'y' ? 200 : 100;
        if (state.combatAnimationPlaying) restartCombatPulse();
        return true;
    case 'p':
        state.activeColorProfile = state.activeColorProfile % 2 + 1;
        showActiveProfile();
        return true;
    case 'j':
    case 'k':
    case 'l': {
        const Hsb c = shadowColor(code);
        effects_.startShadowEffect(c.hue, c.saturation, c.brightness);
        state.shadowAnimationPlaying = true;
        return true;
    }
    case 'K': {
        effects_.stopShadowEffects(singleColor());
        state.shadowAnimationPlaying = false;
        if (!animations_.blackAndWhiteFlash()) return true;
        // Shadow form took the combat keys; the fight goes on.
        if (state.combatAnimationPlaying) restartCombatPulse();
        returnFromChatIfDue();
        return true;
    }
    case 'L':
        animations_.fiveColorSweep(SweepPalette::L, profileBitmap(), singleColor());
        return true;
    case 'B':
        animations_.centerBurst(profileBitmap());
        return true;
    case 'E':
        state.chatReturnPending = false;
        if (state.shadowAnimationPlaying) return true;
        if (state.combatAnimationPlaying && state.combatChatWarning) effects_.startCombatWarning();
        if (state.autoToggleProfile2 && !state.deadAnimationPlaying) {
            if (!state.chatProfileShown) state.chatReturnColorProfile = state.activeColorProfile;
            state.chatProfileShown = true;
            state.activeColorProfile = kChatProfile;
            showActiveProfile();
        }
        return true;
    case 'e':
        if (state.shadowAnimationPlaying || state.deadAnimationPlaying) {
            state.chatReturnPending = state.autoToggleProfile2;
            return true;
        }
        if (state.combatAnimationPlaying && state.combatChatWarning) restartCombatPulse();
        state.chatProfileShown = false;
        if (state.autoToggleProfile2) {
            state.activeColorProfile = state.chatReturnColorProfile;
            showActiveProfile();
        }
        return true;
    case 'I':
        if (state.whisperLightActive) return true;
        // The pulse on Enter (combat, shadow form) would paint over the flash every 10 ms.
        ledger_.hold(CLK_Enter, 100, 0, 100, kWhisperIntervalMs);
        state.whisperLightActive = true;
        return true;
    case 'i':
        return true;
    default:
        break;
    }
    if (code >= '1' && code <= '9') {
        state.activeColorProfile = state.chatReturnColorProfile = code - '0';
        state.chatReturnPending = state.chatProfileShown = false;
        showActiveProfile();
        return true;
    }
    if (CooldownDisplay::isFrameCode(code)) {
        // A frame whose slot character never arrived says nothing about the slots.
        if (const auto value = argumentScalar(message)) cooldowns.showActionBarFrame(code, *value);
        return true;
    }
    return false;
}

void LightingDirector::restartCombatPulse() {
    effects_.startCombatPulse(state.combatPulseMs);
}

void LightingDirector::endCombat() {
    state.combatAnimationPlaying = false;
    state.EmberisInTheForeground = 0;
    if (state.shadowAnimationPlaying) {
        // The combat keys go back to shadow form's pulse; a stop would leave them static.
        effects_.stopCombatPulse();
        effects_.resumeShadowEffect();
        return;
    }
    repaintAfter(effects_.stopCombatPulse());
}

void LightingDirector::endDeath() {
    state.deadAnimationPlaying = false;
    // Death took keys from shadow form and from the fight; they pulse with them again.
    if (state.shadowAnimationPlaying) effects_.resumeShadowEffect();
    if (state.combatAnimationPlaying) restartCombatPulse();
    returnFromChatIfDue();
}

void LightingDirector::returnFromChatIfDue() {
    if (!state.chatReturnPending || state.deadAnimationPlaying || state.shadowAnimationPlaying)
        return;
    state.chatReturnPending = false;
    state.chatProfileShown = false;
    if (!state.autoToggleProfile2) return;
    state.activeColorProfile = state.chatReturnColorProfile;
    showActiveProfile();
}

void LightingDirector::repaintAfter(double settleSeconds) {
    // The stopped pulses end by putting back what the keys showed when they began, which
    // misses the cooldowns that started or ended meanwhile.
    timers_.after(settleSeconds, [this] {
        if (state.combatAnimationPlaying || state.deadAnimationPlaying ||
            state.shadowAnimationPlaying)
            return;
        if (singleColor())
            frames_.setAllKeys(colorA());
        else
            frames_.showColorProfile(state.activeColorProfile);
    });
}

void LightingDirector::endWhisperLight() {
    if (!state.whisperLightActive) return;
    state.whisperLightActive = false;
    effects_.renewPulse(ledger_.release());
}

void LightingDirector::messagesDropped(const std::string& messages) {
    if (debug()) log_.appendLine("Dropped stale messages " + hexBytes(messages) + " from buffer");
}

LightingBitmap LightingDirector::profileBitmap() const {
    const int p = state.activeColorProfile;
    if (p < 0 || p > kProfileCount) return blankBitmap();
    return frames_.keyboardColorBitmap[static_cast<size_t>(p)];
}

void LightingDirector::showActiveProfile() {
    frames_.selectColorProfile(state.activeColorProfile);
    frames_.showColorProfile(state.activeColorProfile);
    if (singleColor()) frames_.setAllKeys(colorA());
}

void LightingDirector::confirmCalibrate() {
    if (hooks_.confirmCalibrate) hooks_.confirmCalibrate();
}

void LightingDirector::gameInFront() {
    if (state.EmberisInTheForeground <= 0)
        refreshLighting();
    else if (!state.deadAnimationPlaying)
        --state.EmberisInTheForeground;
}

void LightingDirector::refreshLighting() {
    if (state.deadAnimationPlaying) {
        frames_.setAllKeys(kDeadBaseColor);
    } else if (!singleColor()) {
        if (!state.shadowAnimationPlaying) frames_.showColorProfile(state.activeColorProfile);
    } else if (state.combatAnimationPlaying) {
        // A red moment on the whole keyboard, then back to the profile's color.
        frames_.setAllKeys(Color::red_());
        timers_.after(kCombatRedSeconds, [this] {
            // Death or shadow form since then has its own color, which this must not cover.
            if (!state.deadAnimationPlaying && !state.shadowAnimationPlaying)
                frames_.setAllKeys(colorA());
        });
    } else {
        frames_.setAllKeys(colorA());
    }
    if (singleColor() && !state.combatAnimationPlaying && !state.deadAnimationPlaying &&
        !state.shadowAnimationPlaying)
        frames_.setAllKeys(colorA());
    state.EmberisInTheForeground = kRefreshTicks;
    confirmCalibrate();
}

void LightingDirector::leaveGameLighting() {
    if (state.EmberisInTheForeground > 0 && state.autoToggleProfile2)
        frames_.showColorProfile(kLeaveGameProfile);
    state.EmberisInTheForeground = 0;
}

void LightingDirector::resetClicked(bool silently) {
    reset(silently, true);
}

void LightingDirector::reset(bool silently, bool clearQueue) {
    if (!silently) log_.appendLine("Reset the message queue, color profile, and animated keys.");
    if (clearQueue && hooks_.resetMessageQueue) hooks_.resetMessageQueue();
    // An animation playing now would go on drawing and end on the profile it began with.
    animations_.abandon();
    state.combatAnimationPlaying = false;
    state.deadAnimationPlaying = false;
    state.shadowAnimationPlaying = false;
    // The key stops below end the whisper flash with the rest.
    state.whisperLightActive = false;
    state.chatReturnPending = state.chatProfileShown = false;
    effects_.stopShadowEffects(singleColor());
    // The shadow stop alone would leave the combat pulse on the logo and the badge and the
    // dead pulses on P1, P4 and P7 running after a reset that promises to end them.
    effects_.stopRemainingKeyEffects();
    ledger_.flashesStopped();
    confirmCalibrate();
    state.activeColorProfile = 1;
    frames_.selectColorProfile(1);
    frames_.showColorProfile(1);
    if (singleColor()) frames_.setAllKeys(colorA());
    // The stopped effects put back what their keys showed when they began: the pulses and
    // the cooldown flashes within a tenth of a second, the whisper flash within half.
    repaintAfter(0.1);
    repaintAfter(kWhisperIntervalMs / 1000.0 + KeyLedger::kTickSlack);
}

} // namespace et
