// ember-talon-activate NAME: brings the application NAME to the front, starting it when no
// window of it is open. Ember Talon waits for it in the background and logs what it says
// on standard error when it fails, so it exits as soon as the application is raised or
// started; a started application runs on in a session of its own.
#include "Activate.h"
#include "WindowRaiser.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

namespace {

// Starts `argv` detached and returns 0 once it has been executed; 127 (with the reason on
// standard error) when it could not be. The exec outcome comes back through a pipe that
// closes by itself on a successful exec.
int startDetached(const std::vector<std::string>& argv, const std::string& source) {
    int status[2];
    if (::pipe2(status, O_CLOEXEC) != 0) {
        std::cerr << "ember-talon-activate: cannot start " << source << ": " << std::strerror(errno)
                  << "\n";
        return 127;
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(status[0]);
        ::setsid();
        // The application's output is not ours to collect: Ember Talon reads this
        // helper's standard error until it exits.
        const int null = ::open("/dev/null", O_RDWR);
        for (int fd = 0; fd <= 2 && null >= 0; ++fd)
            ::dup2(null, fd);
        if (null > 2) ::close(null); // the program gets its three streams, no fourth copy
        ::execvp(args[0], args.data());
        const int error = errno;
        [[maybe_unused]] const auto written = ::write(status[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(status[1]);
    int error = pid < 0 ? errno : 0;
    if (pid > 0) {
        ssize_t n;
        do {
            n = ::read(status[0], &error, sizeof error);
        } while (n < 0 && errno == EINTR);
        if (n != static_cast<ssize_t>(sizeof error)) error = 0;
        if (error != 0) ::waitpid(pid, nullptr, 0);
    }
    ::close(status[0]);
    if (error == 0) return 0;
    std::cerr << "ember-talon-activate: cannot start " << source << ": " << std::strerror(error)
              << "\n";
    return 127;
}

} // namespace

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
        if (raiser.activate(plan.window)) return 0;
        std::cerr << "ember-talon-activate: the window of \"" << name << "\" could not be raised\n";
        return 1;
    case et::activate::Plan::Kind::Run:
        return startDetached(plan.argv, plan.source);
    case et::activate::Plan::Kind::NotFound:
        break;
    }
    if (!plan.source.empty())
        std::cerr << "ember-talon-activate: no window or program named \"" << name << "\"; "
                  << plan.source << "\n";
    else
        std::cerr << "ember-talon-activate: no window, desktop entry or program named \"" << name
                  << "\"\n";
    return 1;
}
