// ember-talon-activate NAME: brings the application NAME to the front, starting it when no
// window of it is open. Ember Talon runs it detached and never waits for it.
#include "Activate.h"
#include "WindowRaiser.h"

#include <unistd.h>

#include <cstring>
#include <iostream>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2 || !std::strcmp(argv[1], "--help")) {
        std::cerr << "usage: ember-talon-activate NAME\n"
                     "Raises the window of the application NAME, or starts it from its desktop "
                     "entry or PATH.\n";
        return argc == 2 ? 0 : 2;
    }
    const std::string name = argv[1];
    et::activate::WindowRaiser raiser;
    const auto plan = et::activate::planActivation(name, raiser);
    switch (plan.kind) {
    case et::activate::Plan::Kind::RaiseWindow:
        return raiser.activate(plan.window) ? 0 : 1;
    case et::activate::Plan::Kind::Run: {
        std::vector<char*> args;
        for (const auto& a : plan.argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        std::cerr << "ember-talon-activate: cannot start " << plan.source << ": "
                  << std::strerror(errno) << "\n";
        return 127;
    }
    case et::activate::Plan::Kind::NotFound:
        break;
    }
    std::cerr << "ember-talon-activate: no window, desktop entry or program named \"" << name
              << "\"\n";
    return 1;
}
