#pragma once
// The command line of ember-talon.
#include <optional>
#include <string>
#include <vector>

namespace et {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool debug = false;
    std::optional<std::string> exportProfiles; // --export-profiles FILE
    std::optional<std::string> importProfiles; // --import-profiles FILE
    // Arguments Qt itself understands (-platform, -display, …) pass through untouched.
    std::vector<std::string> qtArguments;
    std::string error; // non-empty: the line could not be understood

    bool headless() const { return exportProfiles || importProfiles; }
};

// `args` without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string usageText();
std::string versionText(const std::string& frameworkVersion);

} // namespace et
