#pragma once
// What ember-talon-activate does for one name: raise the application's window when it has
// one, else start it from its desktop entry, else from PATH.
#include <cstdint>
#include <string>
#include <vector>

namespace et::activate {

struct Plan {
    enum class Kind { RaiseWindow, Run, NotFound } kind = Kind::NotFound;
    uint32_t window = 0;           // RaiseWindow
    std::vector<std::string> argv; // Run
    std::string source;            // what was found, for the message on stderr; for
                                   // NotFound, a desktop entry that could not be used
};

class WindowRaiser;

// `raiser` may be unconnected (no display): then only starting is considered.
Plan planActivation(const std::string& appName, WindowRaiser& raiser);

// The full path of an executable on PATH, or empty.
std::string findOnPath(const std::string& program);

} // namespace et::activate
