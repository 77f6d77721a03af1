#pragma once
// The application's fixed texts and addresses.
#include "BuildInfo.h"

namespace et::app {

inline constexpr const char* kName = "Ember Talon";
inline constexpr const char* kRightsNotice =
    "Copyright © 2024–2025 The Ember Talon developers. All rights reserved.\n"
    "Emberfall and Corvane Talon are trademarks of their respective owners.";
inline constexpr const char* kProductPage = "https://embertalon.example.org/";
inline constexpr const char* kDownloadsPage = "https://embertalon.example.org/downloads";
// Shown in place of the library's version when it cannot be found among the loaded ones.
inline constexpr const char* kFrameworkNotFound = "Undetermined; not found (this isn't good)";

} // namespace et::app
