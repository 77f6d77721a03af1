#pragma once
// The names of the settings more than one part of the application reads or writes. They are
// the keys of the settings file, which players edit by hand and older versions wrote: never
// rename one.
namespace et::settings {

inline constexpr const char* kWindowPosition = "windowPosition";
inline constexpr const char* kBlinkTime = "blinkTimePref";
inline constexpr const char* kSingleColorMode = "singleColorMode";
inline constexpr const char* kAutoToggleProfile = "autoToggleProfile";
inline constexpr const char* kCombatChatWarning = "combatChatWarning";
inline constexpr const char* kScanOffset = "scanOffset";
inline constexpr const char* kScanWidth = "scanWidth";
// The desktop portal's permission to read the screen without asking the player again.
inline constexpr const char* kPortalRestoreToken = "portalRestoreToken";

} // namespace et::settings
