#pragma once
// The OpenRGB SDK server test peers (0.9 and 1.0rc3) as the host's chain tests run them.
#include "ChildProcess.h"

#include <glib.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using et::test::ChildProcess;
using Colors = std::map<std::string, std::string>;

// The two OpenRGB lines a player may run: what each serves by default.
struct Line {
    const char *name, *program;
    uint32_t version;
    size_t leds, zones;
    const char* keyboard;
};
const Line kLines[] = {{"OpenRGB09", ET_OPENRGB_PEER, 4, 152, 3, "Full 104 key "},
                       {"OpenRGB10rc3", ET_OPENRGB10_PEER, 5, 145, 4, "Debug Keyboard"}};
// Test names stay the same from one discovery to the next.
void PrintTo(const Line& line, std::ostream* out) {
    *out << line.name;
}

// A test peer on a port of its own; `dump` and `modes` answer one line per LED or device.
class Peer {
  public:
    explicit Peer(const Line& server, int port, std::vector<std::string> options = {}) {
        std::vector<std::string> argv{server.program, "--port", std::to_string(port), "--reuseaddr",
                                      "--ignore-sigpipe"};
        argv.insert(argv.end(), options.begin(), options.end());
        process_ = std::make_unique<ChildProcess>(argv, true);
        auto line = process_->readLine(30);
        while (line && !line->empty() && line->rfind("listening on ", 0) != 0)
            line = process_->readLine(30);
        if (line && !line->empty()) port_ = std::stoi(line->substr(13));
    }
    int port() const { return port_; }
    Colors colors(int device = 0) {
        Colors out;
        for (const auto& line : ask("dump " + std::to_string(device))) {
            const size_t space = line.rfind(' ');
            if (space != std::string::npos) out[line.substr(0, space)] = line.substr(space + 1);
        }
        return out;
    }
    std::string mode() {
        const auto lines = ask("modes");
        return lines.empty() ? "" : lines[0].substr(lines[0].find(' ') + 1);
    }

    std::vector<std::string> ask(const std::string& command) {
        std::vector<std::string> lines;
        process_->write(command + "\n");
        while (auto line = process_->readLine(5)) {
            if (*line == "end" || line->empty()) break;
            lines.push_back(*line);
        }
        return lines;
    }

  private:
    std::unique_ptr<ChildProcess> process_;
    int port_ = 0;
};

// Polls `ok` for up to `seconds`, running the library's effect timers meanwhile.
bool within(double seconds, const std::function<bool()>& ok) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (ok()) return true;
        for (int i = 0; i < 20; ++i)
            g_main_context_iteration(nullptr, FALSE);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ok();
}

} // namespace
