#include "DemoScript.h"

namespace et::demo {

namespace {
// The add-on sends `text`; data cells of `color` choose the prefix of action-bar frames.
std::function<bool(e2e::AppSession&)> sends(std::string text, std::string color = "white") {
    return [text = std::move(text), color = std::move(color)](e2e::AppSession& s) {
        return s.send(text, color);
    };
}
} // namespace

e2e::SettingsFile demoSettings() {
    e2e::SettingsFile settings;
    settings.calibratedForCellWidth(8)
        .set("autoToggleProfile", true)
        .set("combatChatWarning", true)
        .set("useActionBarCooldowns1", true)
        .set("blinkTimePref", 1.0);
    settings.setColor("colorAColor2", {0.9, 0.15, 0.1, 1.0});
    settings.setColor("colorBColor2", {1.0, 0.6, 0.0, 1.0});
    settings.setColor("colorAColor3", {0.1, 0.8, 0.3, 1.0});
    settings.setColor("colorBColor3", {0.0, 0.3, 1.0, 1.0});
    return settings;
}

std::vector<DemoEvent> demoScript() {
    return {
        {"01-start", "Ember Talon starts; the game is not running yet",
         [](e2e::AppSession&) { return true; }, 1.0, 3.0},
        {"02-game-in-front", "Emberfall comes to the front: profile 1",
         [](e2e::AppSession& s) {
             s.gameInFront();
             return true;
         },
         1.0, 5.0},
        {"03-combat", "Combat starts (C): the combat keys pulse red", sends("C"), 1.5, 5.0},
        {"04-combat-faster", "Combat heats up (y): the pulse quickens to 200 ms", sends("y"), 1.5,
         3.0},
        {"05-cooldowns", "Abilities on slots 1 and 2 go on cooldown (bar A frame 96)",
         sends(std::string(1, char(96)), "red"), 1.0, 5.0},
        {"06-cooldown-ends", "Slot 2 is ready again: its key flashes white (bar A frame 64)",
         sends("@", "red"), 0.4, 4.0},
        {"07-chat-in-combat", "The chat opens in combat (E): white pulse warning, profile 2",
         sends("E"), 1.2, 4.0},
        {"08-chat-closed", "The chat closes (e): red pulse, profile 1 again", sends("e"), 1.2, 3.0},
        {"09-combat-over", "Combat ends (O): the pulses stop, the profile returns", sends("O"), 1.0,
         4.0},
        {"10-death", "The character dies (D): dead color and slow pulses", sends("D"), 2.0, 5.0},
        {"11-alive", "Back to life (U): the pulses end", sends("U"), 1.5, 5.0},
        {"12-shadow-form", "Shadow form (j): rows pulse in teal", sends("j"), 2.0, 5.0},
        {"13-shadow-ends", "Shadow form ends (K): black-and-white flash", sends("K"), 2.0, 4.0},
        {"14-whisper", "A whisper arrives (I): Enter flashes magenta", sends("I"), 0.8, 5.0},
        {"15-row-sweep", "A quest completes (G): a golden sweep; the whisper is read", sends("G"),
         0.6, 4.0},
        {"16-profile-3", "The player switches to profile 3 (3)", sends("3"), 1.2, 4.0},
        {"17-game-left", "The player alt-tabs away: profile 2 while away",
         [](e2e::AppSession& s) {
             s.otherInFront();
             return true;
         },
         1.0, 5.0},
        {"18-game-back", "Back in the game: profile 3 again",
         [](e2e::AppSession& s) {
             s.gameInFront();
             return true;
         },
         1.0, 3.0},
        {"19-reset", "The add-on resets (R): profile 1, everything stopped", sends("R"), 1.5, 2.0},
    };
}

} // namespace et::demo
