// corvane-host, the host software for Linux, and corvane-host-sim, the same program with
// the virtual keyboard as its default output. Listens on the host socket and shows what
// the clients light on its outputs: the virtual keyboard (every message as one JSON line,
// PNG pictures on request, a live window) and the keyboards of a running OpenRGB server.
#include "Host.h"
#include "JSONValue.h"
#include "KeyboardRender.h"
#include "SocketPath.h"
#include "logind/SleepWatcher.h"
#include "StatusText.h"
#include "openrgb/OpenRgbOutput.h"
#include "openrgb/SettingsFile.h"
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
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>

namespace {
#ifdef HOST_DEFAULT_VIRTUAL
constexpr const char* kProgram = "corvane-host-sim";
#else
constexpr const char* kProgram = "corvane-host";
#endif

void usage() {
    std::cout << "usage: " << kProgram
              << " [--socket PATH] [--output virtual|openrgb]... [--openrgb HOST:PORT]\n"
                 "       [--device NAME] [--all-devices] [--config FILE] [--window]\n"
                 "       "
              << kProgram
              << " --status [--socket PATH]\n"
                 "Listens where the Corvane host software listens (default: "
                 "$XDG_DATA_HOME/Corvane/CHS_LED_SDK,\n"
                 "folder 0700, socket 0600) and shows what its clients light.\n"
                 "  --output virtual   the virtual keyboard: each lighting message as one JSON\n"
                 "                     line on stdout (the default of corvane-host-sim)\n"
                 "  --output openrgb   the keyboards of a running OpenRGB SDK server (the\n"
                 "                     default of corvane-host); give --output twice for both\n"
                 "  --openrgb HOST:PORT  the OpenRGB SDK server (default 127.0.0.1:6742);\n"
                 "                     alone it selects the openrgb output\n"
                 "  --device NAME      light only the OpenRGB device of that name\n"
                 "  --all-devices      whole-keyboard colors sent to every device light every\n"
                 "                     OpenRGB device (mice, strips...), not only keyboards\n"
                 "  --config FILE      per-device OpenRGB settings (default:\n"
                 "                     $XDG_CONFIG_HOME/corvane-host/corvane-host.conf)\n"
                 "  --window           show the virtual keyboard live in a window on $DISPLAY\n"
                 "  --status           ask the running host what it serves and lights, and\n"
                 "                     print it (status channel: the socket's path + \".status\")\n"
                 "Commands on stdin, one a line:\n"
                 "  render FILE   draw the virtual keyboard into the PNG file FILE; answers\n"
                 "                {\"rendered\":\"FILE\"} or {\"error\":\"…\"} on stdout\n"
                 "  stats         answers "
                 "{\"connections\":N,\"openrgb\":{\"connected\":…,\"updates\":N}}:\n"
                 "                clients served and LED updates sent to OpenRGB so far\n"
                 "Exit status: 0 after SIGTERM/SIGINT/SIGHUP, 1 when it cannot listen (another\n"
                 "host is already running, the folder or socket is another user's or writable\n"
                 "by others), 2 for bad arguments. With --status: 0 when the host answered,\n"
                 "1 when no host is running, 3 when a host does not answer.\n";
}

// Reads commands until standard input ends or `stop` is set.
void serveCommands(hostsim::Host& host, std::mutex& out, const std::atomic<bool>& stop) {
    using hostsim::jsonString;
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
                if (hostsim::writePng(hostsim::renderKeyboard(host.server().state()), path, &error))
                    reply = "{\"rendered\":" + jsonString(path) + "}";
                else
                    reply = "{\"error\":" + jsonString(error) + "}";
            } else if (line == "stats") {
                reply = host.statsJson();
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
        std::cerr << kProgram << ": no window: " << window.error() << '\n';
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

// The live window draws from the server's state on a thread of its own; as an output it only
// tells the status that it is shown.
class WindowOutput : public hostsim::Output {
    void status(JSONValue& document) const override {
        if (JSONValue* outputs = document.Child(L"outputs")) outputs->Append(JSONValue(L"window"));
    }
};

struct Options {
    std::string socketPath = corvwire::corvaneSocketPath();
    bool live = false, wantVirtual = false, wantOpenRgb = false, status = false;
    orgb::OpenRgbOptions openrgb;
    std::string settingsPath = orgb::settingsFilePath();
};

// The command line into `options`; -1 to go on, else the exit status.
int parseArguments(int argc, char** argv, Options& options) {
    bool addressGiven = false;
    auto bad = [](const std::string& why) {
        std::cerr << kProgram << ": " << why << "\n";
        usage();
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--socket") && hasValue) {
            options.socketPath = argv[++i];
        } else if (!std::strcmp(argv[i], "--status")) {
            options.status = true;
        } else if (!std::strcmp(argv[i], "--window")) {
            options.live = true;
        } else if (!std::strcmp(argv[i], "--output") && hasValue) {
            const std::string which = argv[++i];
            if (which == "virtual")
                options.wantVirtual = true;
            else if (which == "openrgb")
                options.wantOpenRgb = true;
            else
                return bad("unknown output " + which + " (virtual or openrgb)");
        } else if (!std::strcmp(argv[i], "--openrgb") && hasValue) {
            if (!orgb::parseAddress(argv[++i], options.openrgb.host, options.openrgb.port))
                return bad(std::string("not a HOST:PORT address: ") + argv[i]);
            addressGiven = true;
        } else if (!std::strcmp(argv[i], "--device") && hasValue) {
            options.openrgb.deviceName = argv[++i];
        } else if (!std::strcmp(argv[i], "--config") && hasValue) {
            options.settingsPath = argv[++i];
        } else if (!std::strcmp(argv[i], "--all-devices")) {
            options.openrgb.allDevices = true;
        } else if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            usage();
            return 0;
        } else {
            return bad(std::string("unknown argument ") + argv[i]);
        }
    }
    if (!options.wantVirtual && !options.wantOpenRgb) {
#ifdef HOST_DEFAULT_VIRTUAL
        constexpr bool virtualByDefault = true;
#else
        constexpr bool virtualByDefault = false;
#endif
        options.wantVirtual = virtualByDefault && !addressGiven;
        options.wantOpenRgb = !options.wantVirtual;
    }
    return -1;
}
} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int status = parseArguments(argc, argv, options); status >= 0) return status;
    if (options.status) return hoststatus::printStatus(options.socketPath, std::cout, std::cerr);
    // The library refuses such a path, so a host listening there would serve nobody.
    if (!corvwire::fitsSocketAddress(options.socketPath)) {
        std::cerr << kProgram << ": cannot listen on \"" << options.socketPath
                  << "\": a socket path must be 1 to " << corvwire::kMaxSocketPathBytes
                  << " bytes (set XDG_DATA_HOME or HOME to an absolute path, or give --socket)\n";
        return 1;
    }
    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    // A closed terminal or a service manager's reload ends the host as cleanly as a stop.
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Started in the background of a shell, it must not be stopped for looking at stdin.
    std::signal(SIGTTIN, SIG_IGN);

    std::mutex out;
    auto log = [&](const std::string& line) {
        std::lock_guard<std::mutex> lock(out);
        std::cerr << kProgram << ": " << line << '\n';
    };
    hostsim::Host host(options.socketPath, log);
    hostsim::HostServer& server = host.server();
    server.setKeepMessages(false);
    if (options.wantVirtual) {
        host.addOutput(std::make_unique<hostsim::VirtualOutput>([&](const std::string& line) {
            std::lock_guard<std::mutex> lock(out);
            std::cout << line << '\n' << std::flush;
        }));
    }
    std::unique_ptr<hostsim::SleepWatcher> sleep;
#ifdef HOSTSIM_WINDOW
    if (options.live) host.addOutput(std::make_unique<WindowOutput>());
#endif
    if (options.wantOpenRgb) {
        if (!options.settingsPath.empty())
            options.openrgb.devices = orgb::readSettingsFile(options.settingsPath, log);
        auto output = std::make_unique<orgb::OpenRgbOutput>(
            options.openrgb, [&server] { return server.state(); }, log);
        // After a resume OpenRGB may have loaded a profile: the keyboard is taken back now.
        sleep = std::make_unique<hostsim::SleepWatcher>([o = output.get()] { o->recheck(); });
        host.addOutput(std::move(output));
    }
    std::string error;
    if (!host.start(&error)) {
        log(error);
        return 1;
    }
    log("listening on " + options.socketPath);

    std::atomic<bool> stop{false};
    std::thread commands([&] { serveCommands(host, out, stop); });
    std::thread window;
    if (options.live) {
#ifdef HOSTSIM_WINDOW
        window = std::thread([&] { showLive(server, stop); });
#else
        log("built without window support");
#endif
    }
    int received = 0;
    sigwait(&stopSignals, &received);
    stop = true;
    commands.join();
    if (window.joinable()) window.join();
    sleep.reset(); // before the output it calls goes
    host.stop();
    return 0;
}
