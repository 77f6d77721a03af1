// talon-strip: paints the eleven-cell strip that the game add-on shows, from a script or
// from standard input, so the screen link can be tried without the game.
#include "StripScript.h"
#include "StripWindow.h"
#include "WaylandStripWindow.h"

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace {

void usage() {
    std::cerr << "usage: talon-strip [--display NAME] [--width PIXELS] [--hold MS]\n"
                 "                   [--game [--geometry WxH+X+Y] | --wayland] [SCRIPT]\n"
                 "Reads commands from SCRIPT, or from standard input when it is absent or -.\n"
                 "--game paints inside an ordinary window with the game's WM_CLASS\n"
                 "(emberfall.exe), at its top-left, as the game shows the strip; without it\n"
                 "the strip sits in a borderless window at the screen's top-left corner.\n"
                 "--wayland paints as a native Wayland game does: a full-screen window with\n"
                 "the app id emberfall.exe, the strip at its top-left (--display names the\n"
                 "Wayland socket then).\n"
                 "Commands: width, hold, color, send, calibrate, frame, clear, sleep, echo, "
                 "hide, show, quit.\n";
}

struct Options {
    std::string display;
    double width = 8.0;
    int hold = 150;
    std::string script = "-";
    bool game = false;
    bool wayland = false;
    std::optional<et::strip::GameGeometry> geometry;
};

bool parseArgs(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--display" && hasValue) {
            options.display = argv[++i];
        } else if (arg == "--width" && hasValue) {
            auto parsed = et::strip::parseLine(std::string("width ") + argv[++i]);
            if (!parsed.command) return false;
            options.width = std::get<et::strip::SetWidth>(*parsed.command).pixels;
        } else if (arg == "--hold" && hasValue) {
            auto parsed = et::strip::parseLine(std::string("hold ") + argv[++i]);
            if (!parsed.command) return false;
            options.hold = std::get<et::strip::SetHold>(*parsed.command).ms;
        } else if (arg == "--wayland") {
            options.wayland = true;
        } else if (arg == "--game") {
            options.game = true;
        } else if (arg == "--geometry" && hasValue) {
            options.geometry = et::strip::parseGeometry(argv[++i]);
            if (!options.geometry) return false;
        } else if (arg == "-h" || arg == "--help" || (arg.size() > 1 && arg[0] == '-')) {
            return false;
        } else {
            options.script = arg;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Our own buffer for standard input, so that what is already read is seen as such.
    std::ios::sync_with_stdio(false);
    using namespace et::strip;
    Options options;
    if (!parseArgs(argc, argv, options)) {
        usage();
        return 2;
    }
    std::ifstream file;
    if (options.script != "-") {
        file.open(options.script);
        if (!file) {
            std::cerr << "talon-strip: cannot read " << options.script << "\n";
            return 2;
        }
    }
    std::istream& in = options.script == "-" ? std::cin : file;

    if ((options.geometry && !options.game) || (options.game && options.wayland)) {
        usage();
        return 2;
    }
    std::optional<GameGeometry> game;
    if (options.game) game = options.geometry.value_or(GameGeometry{});
    std::unique_ptr<StripCanvas> canvas;
    if (options.wayland) {
        auto painter = std::make_unique<WaylandStripWindow>(options.display, options.width);
        if (!painter->ok()) {
            std::cerr << "talon-strip: " << painter->error() << "\n";
            return 1;
        }
        canvas = std::move(painter);
    } else {
        auto painter = std::make_unique<StripWindow>(options.display, options.width, game);
        if (!painter->ok()) {
            std::cerr << "talon-strip: " << painter->error() << "\n";
            return 1;
        }
        canvas = std::move(painter);
    }
    StripCanvas& window = *canvas;
    int hold = options.hold;
    et::Color data = et::Color::white();
    bool failed = false;
    const auto lost = [] {
        std::cerr << "talon-strip: lost the display server\n";
        return 1;
    };

    std::string line;
    // Between commands from standard input the window is kept painted: a window manager
    // that frames the game window, or a compositor, exposes it after it was first drawn.
    const auto nextLine = [&](std::string& text) -> bool {
        if (&in == &std::cin)
            while (std::cin.rdbuf()->in_avail() <= 0 && !window.waitForInput(STDIN_FILENO)) {
            }
        return static_cast<bool>(std::getline(in, text));
    };
    for (int number = 1; nextLine(line); ++number) {
        auto parsed = parseLine(line);
        if (!parsed.command) {
            std::cerr << "talon-strip: line " << number << ": " << parsed.error << "\n";
            failed = true;
            continue;
        }
        const Command& command = *parsed.command;
        if (auto* w = std::get_if<SetWidth>(&command)) {
            window.setCellWidth(w->pixels);
        } else if (auto* h = std::get_if<SetHold>(&command)) {
            hold = h->ms;
        } else if (auto* c = std::get_if<SetColor>(&command)) {
            data = c->color;
        } else if (auto* s = std::get_if<Send>(&command)) {
            for (unsigned char ch : s->text) {
                window.show(offerFrame(ch, data));
                if (!window.hold(hold)) return lost();
                window.show(confirmFrame(ch, data));
                if (!window.hold(hold)) return lost();
            }
        } else if (auto* f = std::get_if<ShowFrame>(&command)) {
            window.show(f->cells);
            if (!window.hold(0)) return lost();
        } else if (auto* z = std::get_if<Sleep>(&command)) {
            if (!window.hold(z->ms)) return lost();
        } else if (auto* e = std::get_if<Echo>(&command)) {
            std::cout << e->text << std::endl;
        } else if (auto* v = std::get_if<Visibility>(&command)) {
            window.setShown(v->shown);
            if (!window.hold(0)) return lost();
        } else if (std::holds_alternative<Quit>(command)) {
            break;
        }
    }
    return failed ? 1 : 0;
}
