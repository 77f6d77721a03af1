#pragma once
// What the director knows about the game, as the add-on's messages have told it, and the
// settings that change how it reacts. Main thread only.

namespace et {

struct GameState {
    // Profile now shown (1–9) and the one the chat returns to when it closes.
    int activeColorProfile = 1;
    int chatReturnColorProfile = 1;
    // The chat closed while death or shadow form kept the profile from changing back.
    bool chatReturnPending = false;
    // Profile 2 is shown because the chat opened; a second opening keeps the profile to
    // return to.
    bool chatProfileShown = false;

    bool combatAnimationPlaying = false;
    // Set by the dead effect and by the fade to dark.
    bool deadAnimationPlaying = false;
    bool shadowAnimationPlaying = false;
    // The Enter key flashes for an unread whisper.
    bool whisperLightActive = false;

    // Drain ticks with the game in front until the next lighting refresh; 0 means due.
    int EmberisInTheForeground = 0;
    // Period of the combat pulse.
    int combatPulseMs = 400;

    // Settings: a white pulse when the chat opens in combat, and profile 2 while the chat
    // is open or the game is not in front.
    bool combatChatWarning = false;
    bool autoToggleProfile2 = false;
};

} // namespace et
