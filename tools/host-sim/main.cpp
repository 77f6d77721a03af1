// corvane-host-sim: stands in for the Corvane host software. Listens on the host socket,
// prints every message as one JSON line and keeps the virtual keyboard.
#include "HostServer.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <pthread.h>

namespace {
std::string defaultSocketPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/Corvane/CHS_LED_SDK";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Corvane/CHS_LED_SDK";
}

void usage() {
    std::cout << "usage: corvane-host-sim [--socket PATH]\n"
                 "Listens where the Corvane host software listens (default: "
                 "$XDG_DATA_HOME/Corvane/CHS_LED_SDK)\n"
                 "and prints each lighting message as one JSON line on stdout.\n";
}
} // namespace

int main(int argc, char** argv) {
    std::string path = defaultSocketPath();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--socket") && i + 1 < argc) {
            path = argv[++i];
        } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            usage();
            return 0;
        } else {
            std::cerr << "corvane-host-sim: unknown argument " << argv[i] << "\n";
            usage();
            return 2;
        }
    }
    // Blocked before the server thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    hostsim::HostServer server(path);
    server.setKeepMessages(false);
    std::mutex out;
    server.setOnMessage([&](const hostsim::Message& m) {
        std::lock_guard<std::mutex> lock(out);
        std::cout << m.toJson() << '\n' << std::flush;
    });
    server.setOnError([&](const std::string& why) {
        std::lock_guard<std::mutex> lock(out);
        std::cerr << "corvane-host-sim: dropped connection: " << why << '\n';
    });
    std::string error;
    if (!server.start(&error)) {
        std::cerr << "corvane-host-sim: " << error << '\n';
        return 1;
    }
    std::cerr << "corvane-host-sim: listening on " << path << '\n';
    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop();
    return 0;
}
