#include "Activate.h"

#include "AppName.h"
#include "DesktopEntry.h"
#include "WindowRaiser.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace et::activate {

std::string findOnPath(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream ss(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string dir; std::getline(ss, dir, ':');) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

Plan planActivation(const std::string& appName, WindowRaiser& raiser) {
    Plan plan;
    if (auto window = raiser.findWindow(appName)) {
        plan.kind = Plan::Kind::RaiseWindow;
        plan.window = *window;
        plan.source = "window";
        return plan;
    }
    if (auto entry = findDesktopEntry(appName, applicationDirectories())) {
        auto argv = execArguments(entry->exec);
        if (!argv.empty() && !findOnPath(argv[0]).empty()) {
            plan.kind = Plan::Kind::Run;
            plan.argv = std::move(argv);
            plan.source = entry->file.string();
            return plan;
        }
        // Kept for the complaint should nothing else be found either.
        plan.source = "the desktop entry " + entry->file.string() + " starts " +
                      (argv.empty() ? std::string("nothing") : argv[0]) +
                      ", which is not installed";
    }
    for (const auto& candidate : executableCandidates(appName)) {
        std::string found = findOnPath(candidate);
        if (!found.empty()) {
            plan.kind = Plan::Kind::Run;
            plan.argv = {found};
            plan.source = found;
            return plan;
        }
    }
    return plan;
}

} // namespace et::activate
