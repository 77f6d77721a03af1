#include "CommandLine.h"

#include "AppInfo.h"

namespace et {

namespace {
// Qt's own options that take a value.
bool isQtOptionWithValue(const std::string& a) {
    for (const char* o : {"-platform", "-display", "-geometry", "-style", "-stylesheet",
                          "-platformtheme", "-plugin", "-qwindowgeometry", "-qwindowtitle",
                          "-qwindowicon", "-session", "-name", "-title", "-visual"})
        if (a == o || a == std::string("-") + o) return true;
    return false;
}
} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto fileArgument = [&](std::optional<std::string>& target) {
            std::string value;
            if (auto eq = a.find('='); eq != std::string::npos) {
                value = a.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            }
            if (value.empty())
                cl.error = a.substr(0, a.find('=')) + " needs a file name";
            else
                target = value;
        };
        if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version" || a == "-v") {
            cl.version = true;
        } else if (a == "--debug") {
            cl.debug = true;
        } else if (a == "--export-profiles" || a.rfind("--export-profiles=", 0) == 0) {
            fileArgument(cl.exportProfiles);
        } else if (a == "--import-profiles" || a.rfind("--import-profiles=", 0) == 0) {
            fileArgument(cl.importProfiles);
        } else if (isQtOptionWithValue(a) && i + 1 < args.size()) {
            cl.qtArguments.push_back(a);
            cl.qtArguments.push_back(args[++i]);
        } else if (a == "-reverse" || a == "-sync" || a == "--sync") {
            cl.qtArguments.push_back(a);
        } else {
            cl.error = "unknown argument " + a;
        }
        if (!cl.error.empty()) break;
    }
    if (cl.error.empty() && cl.exportProfiles && cl.importProfiles)
        cl.error = "--export-profiles and --import-profiles cannot be combined";
    return cl;
}

std::string usageText() {
    return "Usage: ember-talon [OPTION]\n"
           "Lights a Corvane Talon keyboard from the game Emberfall.\n"
           "\n"
           "  --debug                   start in debug mode (extra lines in the log)\n"
           "  --export-profiles FILE    save the nine color profiles to FILE and exit\n"
           "  --import-profiles FILE    replace the nine color profiles with those in FILE\n"
           "                            and exit (the application must not be running)\n"
           "  --version                 print the version and exit\n"
           "  --help                    print this help and exit\n"
           "\n"
           "Settings: ~/.config/EmberTalon/EmberTalon.conf\n"
           "Exit status of the profile options: 0 on success, 1 otherwise.\n";
}

std::string versionText(const std::string& frameworkVersion) {
    return std::string("Ember Talon ") + build::kVersion + " (" + build::kBuild + ")\nCorvaneLED " +
           frameworkVersion + "\n";
}

} // namespace et
