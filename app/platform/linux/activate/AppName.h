#pragma once
// How an application name typed by the user ("Emberfall Classic") is compared with what
// windows, desktop entries and executables call themselves.
#include <string>
#include <vector>

namespace et::activate {

// Lower case, spaces, dashes and underscores dropped, a trailing ".exe" dropped:
// "Emberfall Classic", "emberfall-classic" and "EmberfallClassic.exe" are all the same.
std::string normalizedAppName(const std::string& name);

// Executable names worth trying on PATH for a name, most literal first, without repeats:
// "Emberfall Classic" → "Emberfall Classic", "emberfall classic", "emberfall-classic",
// "emberfall_classic", "emberfallclassic".
std::vector<std::string> executableCandidates(const std::string& name);

} // namespace et::activate
