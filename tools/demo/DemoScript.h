#pragma once
// The scripted game session the demo plays: what happens in the game, in order, and how
// the add-on (played by talon-strip) and the desktop show it.
#include "AppSession.h"
#include "SettingsFile.h"

#include <functional>
#include <string>
#include <vector>

namespace et::demo {

struct DemoEvent {
    std::string slug;  // names the picture: "03-combat"
    std::string title; // what happens in the game
    std::function<bool(e2e::AppSession&)> act;
    double settle = 1.5; // seconds of play before the picture is taken
    double after = 4.0;  // seconds more before the next event
};

// The player's settings for the session: calibrated strip, chat profile, cooldowns shown,
// and profiles 2 and 3 in colors that stand out.
e2e::SettingsFile demoSettings();

// About two minutes of play.
std::vector<DemoEvent> demoScript();

} // namespace et::demo
