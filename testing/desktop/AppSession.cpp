#include "AppSession.h"

#include <cstdio>
#include <cstdlib>

namespace et::e2e {

AppSession::AppSession(const SettingsFile& settings, const SessionOptions& options)
    : desktop_(options.sway     ? std::make_unique<Desktop>(*options.sway)
               : options.weston ? std::make_unique<Desktop>(Desktop::OnWeston{})
               : options.display.empty()
                   ? std::make_unique<Desktop>()
                   : std::make_unique<Desktop>(Desktop::OnDisplay{options.display})),
      host_(std::make_unique<HostSim>(ProgramPaths::fromBuild().hostSim, desktop_->socketPath())),
      options_(options) {
    if (!desktop_->ok()) {
        error_ = desktop_->error();
        return;
    }
    desktop_->writeSettings(settings.text());
    if (!host_->start(options.hostArgs)) {
        error_ = "corvane-host-sim did not start";
        return;
    }
    if (!restartStrip()) error_ = "talon-strip did not start";
}

bool AppSession::restartStrip() {
    strip_.reset();
    if (options_.nativeWaylandGame)
        strip_ = std::make_unique<Strip>(ProgramPaths::fromBuild().talonStrip, Strip::Wayland{},
                                         options_.cellWidth);
    else
        strip_ = std::make_unique<Strip>(ProgramPaths::fromBuild().talonStrip, desktop_->display(),
                                         options_.cellWidth, options_.gameGeometry);
    return strip_->ok() && strip_->run("clear");
}

AppSession::~AppSession() {
    quitApp(10.0);
    strip_.reset();
    host_->stop();
}

bool AppSession::startApp(const std::vector<std::string>& extraArgs) {
    if (!haveApplication()) return false;
    quitApp();
    // Away from the strip at the top left: without a window manager nothing else places it.
    std::vector<std::string> args = {"-qwindowgeometry", "640x420+420+260"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    app_ = std::make_unique<App>(ProgramPaths::fromBuild().emberTalon, args);
    const size_t from = host_->count();
    if (!app_->start()) return false;
    return host_->waitFor([](const HostRecord& r) { return r.is("Init"); }, 60.0, from).has_value();
}

std::optional<int> AppSession::quitApp(double timeout) {
    if (!app_) return std::nullopt;
    auto status = app_->quit(timeout);
    return status;
}

bool AppSession::send(const std::string& text, const std::string& color) {
    std::string escaped;
    for (unsigned char c : text) {
        if (c == '\\') {
            escaped += "\\\\";
        } else if (c < 0x20 || c == 0x7f || c == ' ') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            escaped += hex;
        } else {
            escaped += static_cast<char>(c);
        }
    }
    return strip_->run("color " + color + "\nsend " + escaped);
}

} // namespace et::e2e

namespace et::e2e {

namespace {
int run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

// The first line a command prints.
std::string firstLine(const std::string& command) {
    std::string line;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[128];
        if (std::fgets(chunk, sizeof chunk, pipe)) line = chunk;
        ::pclose(pipe);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}
} // namespace

bool AppSession::triggerCalibrate() {
    // Its shortcut, typed through XTEST into the focused main window.
    const std::string window =
        firstLine("timeout 30 xdotool search --sync --onlyvisible --limit 1 --name '^Ember Talon'");
    if (window.empty() || window.find_first_not_of("0123456789") != std::string::npos) return false;
    return run("timeout 10 xdotool windowfocus --sync " + window) == 0 &&
           run("xdotool key --clearmodifiers ctrl+l") == 0;
}

} // namespace et::e2e
