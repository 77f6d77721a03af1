#pragma once
// Just enough of the freedesktop desktop entry format to start an application by name.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace et::activate {

struct DesktopEntry {
    std::filesystem::path file;
    // Name= and Exec= of [Desktop Entry], their string escapes (\s, \\, …) undone
    std::string name;
    std::string exec;
    bool application = true; // Type=Application (or no Type)
    bool hidden = false;     // Hidden=true: the entry counts as deleted
};

std::optional<DesktopEntry> parseDesktopEntry(const std::filesystem::path& file);

// Exec= split into arguments: double quotes group; inside them a backslash escapes only
// " ` $ and itself, outside them any next character; field codes (%f, %U, …) dropped, "%%"
// becomes "%". Empty when the line is malformed (an unterminated quote), so a broken entry
// is never half-run.
std::vector<std::string> execArguments(const std::string& exec);

// $XDG_DATA_HOME/applications, then each of $XDG_DATA_DIRS/applications, with the
// standard fallbacks.
std::vector<std::filesystem::path> applicationDirectories();

// The first entry, searching `directories` in order (and their sub-folders), whose Name
// or file name matches `appName` (normalizedAppName on both sides). An entry hides those of
// the same desktop file ID in later folders, a Hidden one too.
std::optional<DesktopEntry> findDesktopEntry(const std::string& appName,
                                             const std::vector<std::filesystem::path>& dirs);

} // namespace et::activate
