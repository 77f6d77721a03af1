// ember-demo: plays a two-minute Emberfall session against the real programs. Without a
// display it runs on a private Xvfb and writes pictures of the keyboard and a timeline;
// with one (--live) the application, the strip and the host's keyboard window appear on it.
#include "DemoScript.h"
#include "LineCollector.h"
#include "Timeline.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

namespace fs = std::filesystem;
using et::e2e::now;

namespace {

void usage() {
    std::cerr << "usage: ember-demo [--out DIR] [--live] [--openrgb HOST:PORT]\n"
                 "Plays a scripted game session through talon-strip, ember-talon and\n"
                 "corvane-host-sim, and writes pictures and a timeline into DIR (demo-out).\n"
                 "  --live   use $DISPLAY and show the host's keyboard in a window\n"
                 "  --openrgb HOST:PORT  light the keyboards of that running OpenRGB SDK\n"
                 "           server too, beside the virtual keyboard\n";
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Asks the host for a picture; true once it has written it.
bool picture(et::e2e::HostSim& host, const std::string& path) {
    const size_t before = host.notes().size();
    if (!host.command("render " + path)) return false;
    for (int i = 0; i < 200; ++i) {
        const auto notes = host.notes();
        for (size_t n = before; n < notes.size(); ++n)
            if (notes[n].find("\"rendered\"") != std::string::npos &&
                notes[n].find(path) != std::string::npos)
                return true;
        pause(0.025);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    std::string out = "demo-out";
    bool live = false;
    std::string openrgb;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else if (arg == "--live") {
            live = true;
        } else if (arg == "--openrgb" && i + 1 < argc) {
            openrgb = argv[++i];
        } else {
            usage();
            return 2;
        }
    }
    const char* display = std::getenv("DISPLAY");
    if (live && (!display || !*display)) {
        std::cerr << "ember-demo: --live needs a DISPLAY\n";
        return 2;
    }
    if (!et::e2e::AppSession::haveApplication()) {
        std::cerr << "ember-demo: ember-talon was not built\n";
        return 1;
    }
    out = fs::absolute(out).string();
    std::error_code ignored;
    fs::remove_all(out, ignored);
    fs::create_directories(out);

    et::e2e::SessionOptions options;
    if (live) {
        options.display = display;
        options.hostArgs = {"--window"};
    }
    if (!openrgb.empty()) {
        for (const char* arg : {"--output", "virtual", "--output", "openrgb", "--openrgb"})
            options.hostArgs.push_back(arg);
        options.hostArgs.push_back(openrgb);
    }
    et::e2e::AppSession session(et::demo::demoSettings(), options);
    if (!session.ok()) {
        std::cerr << "ember-demo: " << session.error() << "\n";
        return 1;
    }
    std::cout << (live ? "Playing on " + std::string(display) : "Playing on a private Xvfb")
              << ": about two minutes of Emberfall...\n"
              << std::flush;
    const double start = now();
    if (!session.startApp()) {
        std::cerr << "ember-demo: ember-talon did not reach the host\n";
        return 1;
    }

    std::vector<et::demo::EventMark> marks;
    int failures = 0;
    for (const auto& event : et::demo::demoScript()) {
        et::demo::EventMark mark{event.slug, event.title, now(), session.mark(), {}};
        std::cout << "  " << event.title << "\n" << std::flush;
        if (!event.act(session)) {
            std::cerr << "ember-demo: the add-on could not show: " << event.title << "\n";
            ++failures;
        }
        pause(event.settle);
        const std::string file = event.slug + ".png";
        if (picture(session.host(), out + "/" + file))
            mark.picture = file;
        else
            ++failures;
        marks.push_back(mark);
        pause(event.after);
        if (!session.app().running()) {
            std::cerr << "ember-demo: ember-talon stopped\n";
            ++failures;
            break;
        }
    }
    const auto status = session.quitApp();
    session.host().waitForQuiet(0.5, 3.0);
    const auto records = session.host().records();
    const double elapsed = now() - start;

    std::ofstream timeline(out + "/timeline.txt");
    et::demo::writeTimeline(timeline, marks, records, start);
    std::ofstream messages(out + "/messages.tsv");
    et::demo::writeMessages(messages, records, start);
    std::ofstream log(out + "/ember-talon.log");
    for (const auto& line : session.app().output())
        log << line << "\n";

    std::cout << "\nDemo session: " << marks.size() << " events in " << static_cast<int>(elapsed)
              << " s; ember-talon " << (status == 0 ? "quit cleanly" : "did not quit cleanly")
              << ".\n"
              << "The host received " << et::demo::messageCounts(records, 0, records.size())
              << ".\n"
              << "Pictures of the keyboard: " << out << "/NN-*.png (" << marks.size() << ")\n"
              << "Timeline: " << out << "/timeline.txt; every message: " << out
              << "/messages.tsv\n";
    return failures == 0 && status == 0 ? 0 : 1;
}
