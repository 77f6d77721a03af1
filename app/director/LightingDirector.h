#pragma once
// The lighting director: gives every message from the game add-on its meaning. It keeps
// the game state (combat, death, shadow form, whisper, chat, profile in use), turns each
// message into lighting through the frame composition, the animations, the per-key effects
// and the cooldown display, refreshes the lighting while the game is in front and resets
// everything on request.
//
// Main thread only. The screen link's relay calls evaluateMessage one message at a time;
// an animation keeps it busy until its last frame while the main loop goes on running.
//
// How the application plugs it in: build it before the MessageRelay and hand it to the
// relay as its MessageDispatcher; give the Hooks the debug-mode flag, the relay's
// resetQueue and the calibration's confirmCalibrate. The game-foreground check calls
// gameInFront() or leaveGameLighting() after every drain tick. The check boxes write
// state.combatChatWarning and state.autoToggleProfile2; the reset button and menu item
// call resetClicked(); the cooldown controls call cooldowns.cooldownCheck(),
// blinkTimeChanged() and revealCooldownColors(), and start-up calls
// cooldowns.loadBlinkTime().
#include "Animations.h"
#include "CooldownDisplay.h"
#include "GameState.h"
#include "KeyEffects.h"
#include "KeyLedger.h"
#include "KeyboardFrames.h"
#include "Lighting.h"
#include "Log.h"
#include "MessageRelay.h"
#include "RandomSource.h"
#include "RunLoop.h"

#include <functional>
#include <string>

namespace et {

class LightingDirector : public MessageDispatcher {
    // Every single-key command of the cooldown display, the key effects and the whisper
    // goes through it; built before them.
    KeyLedger ledger_;

  public:
    // What the director reaches in other subsystems. Each may be left empty.
    struct Hooks {
        // The debug-mode setting: extra log lines while it is on.
        std::function<bool()> debugMode;
        // Empties the message queue and the message chosen for dispatch (the relay's
        // resetQueue).
        std::function<void()> resetMessageQueue;
        // Sets the calibration's confirmCalibrate.
        std::function<void()> confirmCalibrate;
    };

    LightingDirector(Lighting& lighting, RunLoop& runLoop, Log& log, Defaults& defaults,
                     KeyboardFrames& frames, CooldownCanvas& canvas, const ActionBarMaps& slots,
                     RandomSource& random, Hooks hooks);
    ~LightingDirector() override;
    LightingDirector(const LightingDirector&) = delete;
    LightingDirector& operator=(const LightingDirector&) = delete;

    // MessageDispatcher.
    void evaluateMessage(const std::string& message) override;
    bool combatAnimationPlaying() const override { return state.combatAnimationPlaying; }
    bool deadAnimationPlaying() const override { return state.deadAnimationPlaying; }
    bool whisperLightActive() const override { return state.whisperLightActive; }
    // Stops the whisper flash; the pulse the Enter key had comes back.
    void endWhisperLight() override;
    void setSupressCooldownBlinkCounter(int count) override {
        cooldowns.supressCooldownBlinkCounter = count;
    }
    void messagesDropped(const std::string& messages) override;

    // A drain tick with the game in front: the lighting refresh when it is due, else one
    // step of the countdown to it (frozen while the character is dead).
    void gameInFront();
    // The lighting refresh: re-sends what the keyboard should show for the current state.
    void refreshLighting();
    // A drain tick with another application in front.
    void leaveGameLighting();

    // resetClicked: back to profile 1 with no animation; `silently` leaves out the log line.
    // Stops every per-key effect the director may have started.
    void resetClicked(bool silently = false);

    static constexpr int kRefreshTicks = 13;

    GameState state;
    CooldownDisplay cooldowns;

  private:
    // Codes; false for a code that has no meaning.
    bool dispatch(char code, const std::string& message);
    void reset(bool silently, bool clearQueue);
    void showActiveProfile();
    void restartCombatPulse();
    void endCombat();
    void endDeath();
    // The chat closed while death or shadow form held the chat profile back: the player's
    // profile returns once neither holds it any more.
    void returnFromChatIfDue();
    // Once the stopped effects have restored their keys (`settleSeconds`), the keyboard
    // shows the current state again.
    void repaintAfter(double settleSeconds);
    // A copy of the active profile's bitmap for an animation to draw on.
    LightingBitmap profileBitmap() const;
    bool singleColor() const { return frames_.useSingleColorMode; }
    const Color& colorA() const { return frames_.keyboardColorSet[kColorA]; }
    bool debug() const { return hooks_.debugMode && hooks_.debugMode(); }
    void confirmCalibrate();

    Lighting& lighting_;
    RunLoop& runLoop_;
    Log& log_;
    KeyboardFrames& frames_;
    Hooks hooks_;
    KeyEffects effects_;
    Animations animations_;
    ScopedTimers timers_;
};

} // namespace et
