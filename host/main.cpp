// corvane-host-sim: stands in for the Corvane host software. Listens on the host socket,
// prints every message as one JSON line and keeps the virtual keyboard, which it can draw
// into PNG files on request and show live in a window.
#include "HostServer.h"
#include "KeyboardRender.h"
#ifdef HOSTSIM_WINDOW
#include "KeyboardWindow.h"
#endif

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

namespace {
std::string defaultSocketPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/Corvane/CHS_LED_SDK";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/Corvane/CHS_LED_SDK";
}

void usage() {
    std::cout << "usage: corvane-host-sim [--socket PATH] [--window]\n"
                 "Listens where the Corvane host software listens (default: "
                 "$XDG_DATA_HOME/Corvane/CHS_LED_SDK)\n"
                 "and prints each lighting message as one JSON line on stdout.\n"
                 "  --window      show the virtual keyboard live in a window on $DISPLAY\n"
                 "Commands on stdin, one a line:\n"
                 "  render FILE   draw the virtual keyboard into the PNG file FILE; answers\n"
                 "                {\"rendered\":\"FILE\"} or {\"error\":\"…\"} on stdout\n";
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Reads commands until standard input ends or `stop` is set.
void serveCommands(hostsim::HostServer& server, std::mutex& out, const std::atomic<bool>& stop) {
    std::string pending;
    while (!stop) {
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        if (poll(&fd, 1, 200) <= 0) continue;
        char chunk[512];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n < 0 && (errno == EIO || errno == EINTR || errno == EAGAIN)) {
            // A background job reading its terminal: try again once it is in front.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            continue;
        }
        if (n <= 0) return;
        pending.append(chunk, static_cast<size_t>(n));
        for (size_t newline; (newline = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, newline);
            pending.erase(0, newline + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            std::string reply;
            if (line.rfind("render ", 0) == 0 && line.size() > 7) {
                const std::string path = line.substr(7);
                std::string error;
                if (hostsim::writePng(hostsim::renderKeyboard(server.state()), path, &error))
                    reply = "{\"rendered\":" + jsonString(path) + "}";
                else
                    reply = "{\"error\":" + jsonString(error) + "}";
            } else {
                reply = "{\"error\":" + jsonString("unknown command: " + line) + "}";
            }
            std::lock_guard<std::mutex> lock(out);
            std::cout << reply << '\n' << std::flush;
        }
    }
}

#ifdef HOSTSIM_WINDOW
// Redraws the window whenever the keyboard changes, until `stop` or the window closes.
void showLive(hostsim::HostServer& server, const std::atomic<bool>& stop) {
    hostsim::KeyboardState state = server.state();
    hostsim::Image picture = hostsim::renderKeyboard(state);
    hostsim::KeyboardWindow window("", picture.width, picture.height);
    if (!window.ok()) {
        std::cerr << "corvane-host-sim: no window: " << window.error() << '\n';
        return;
    }
    // What is shown is the state the picture was made from, whatever arrived meanwhile.
    hostsim::Lighting shown = state.current();
    window.show(picture);
    while (!stop && window.pump(40)) {
        state = server.state();
        if (state.current() == shown) continue;
        shown = state.current();
        window.show(hostsim::renderKeyboard(state));
    }
}
#endif
} // namespace

int main(int argc, char** argv) {
    std::string path = defaultSocketPath();
    bool live = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--socket") && i + 1 < argc) {
            path = argv[++i];
        } else if (!std::strcmp(argv[i], "--window")) {
            live = true;
        } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            usage();
            return 0;
        } else {
            std::cerr << "corvane-host-sim: unknown argument " << argv[i] << "\n";
            usage();
            return 2;
        }
    }
    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Started in the background of a shell, it must not be stopped for looking at stdin.
    std::signal(SIGTTIN, SIG_IGN);

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

    std::atomic<bool> stop{false};
    std::thread commands([&] { serveCommands(server, out, stop); });
    std::thread window;
    if (live) {
#ifdef HOSTSIM_WINDOW
        window = std::thread([&] { showLive(server, stop); });
#else
        std::cerr << "corvane-host-sim: built without window support\n";
#endif
    }
    int received = 0;
    sigwait(&stopSignals, &received);
    stop = true;
    commands.join();
    if (window.joinable()) window.join();
    server.stop();
    return 0;
}
