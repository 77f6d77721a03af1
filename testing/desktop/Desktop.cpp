#include "Desktop.h"

#include "KeyboardRender.h"
#include "X11Display.h"

#include <sys/stat.h>
#include <xcb/xcb.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace et::e2e {

namespace fs = std::filesystem;

Desktop::Desktop(const std::string& screen) {
    if (!prepareFolders()) return;
    // A white desktop: nothing right of the strip looks like a dark cell.
    xvfb_ = std::make_unique<test::XvfbServer>(
        std::vector<std::string>{"-screen", "0", screen, "-wr", "+extension", "RANDR"});
    if (!xvfb_->running()) {
        error_ = "Xvfb did not start";
        return;
    }
    display_ = xvfb_->display();
    startDesktop();
}

Desktop::Desktop(const OnDisplay& existing) {
    if (!prepareFolders()) return;
    display_ = existing.display;
    startDesktop();
}

Desktop::Desktop(const OnWeston&) {
    if (!prepareFolders() || !startWeston()) return;
    startDesktop();
}

Desktop::Desktop(const OnSway& size) {
    if (!prepareFolders() || !startSway(size)) return;
    startDesktop();
}

bool Desktop::startSway(const OnSway& size) {
    test::SwayDesktop::Options options;
    options.width = size.width;
    options.height = size.height;
    sway_ = std::make_unique<test::SwayDesktop>(options);
    if (!sway_->running()) {
        error_ = sway_->error();
        return false;
    }
    display_ = sway_->display();
    waylandSocket_ = sway_->waylandDisplay();
    setEnv("WAYLAND_DISPLAY", waylandSocket_);
    return true;
}

bool Desktop::startWeston() {
    // XWayland's listening socket goes where every X server puts it.
    fs::create_directories("/tmp/.X11-unix");
    ::chmod("/tmp/.X11-unix", 01777);
    const std::string socket = "et-" + fs::path(folder_).filename().string();
    waylandSocket_ = folder_ + "/runtime/" + socket;
    weston_ = std::make_unique<LineCollector>(
        std::vector<std::string>{"weston", "--backend=headless-backend.so", "--xwayland",
                                 "--no-config", "--idle-time=0", "--socket=" + socket,
                                 "--width=1280", "--height=800"},
        /*mergeErrors=*/true);
    // It names the X display it serves once XWayland is ready to be started.
    const std::string tag = "xserver listening on display ";
    if (!weston_->started() || !weston_->waitForText(tag, 30.0)) {
        error_ = "weston with XWayland did not start (are weston and xwayland installed?)";
        return false;
    }
    for (const auto& line : weston_->lines())
        if (auto at = line.text.find(tag); at != std::string::npos)
            display_ = line.text.substr(at + tag.size());
    while (!display_.empty() && std::isspace(static_cast<unsigned char>(display_.back())))
        display_.pop_back();
    if (display_.empty()) error_ = "weston named no X display";
    // A Wayland session, as its programs see it.
    setEnv("WAYLAND_DISPLAY", waylandSocket_);
    return !display_.empty();
}

bool Desktop::prepareFolders() {
    char pattern[] = "/tmp/et-e2e-XXXXXX";
    if (!mkdtemp(pattern)) {
        error_ = "cannot make a temporary folder";
        return false;
    }
    folder_ = pattern;
    for (const char* sub : {"home", "config", "data", "cache", "runtime"})
        fs::create_directories(folder_ + "/" + sub);
    ::chmod((folder_ + "/runtime").c_str(), 0700);

    setEnv("HOME", folder_ + "/home");
    setEnv("XDG_CONFIG_HOME", configHome());
    setEnv("XDG_DATA_HOME", dataHome());
    setEnv("XDG_CACHE_HOME", folder_ + "/cache");
    setEnv("XDG_RUNTIME_DIR", folder_ + "/runtime");
    // Qt on X11, without the accessibility bus or a desktop's theme getting in.
    setEnv("QT_QPA_PLATFORM", "xcb");
    setEnv("NO_AT_BRIDGE", "1");
    setEnv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "0");
    unsetEnv("WAYLAND_DISPLAY");
    unsetEnv("QT_QPA_PLATFORMTHEME");
    unsetEnv("SESSION_MANAGER");
    return true;
}

bool Desktop::startDesktop() {
    setEnv("DISPLAY", display_);
    if (!startBus(sessionBus_, "session", "DBUS_SESSION_BUS_ADDRESS") ||
        !startBus(systemBus_, "system", "DBUS_SYSTEM_BUS_ADDRESS"))
        return false;
    windows_ = std::make_unique<WindowStage>(display_);
    if (!windows_->ok()) {
        error_ = "cannot connect to " + display_;
        return false;
    }
    return true;
}

Desktop::~Desktop() {
    windows_.reset();
    systemBus_.reset();
    sessionBus_.reset();
    xvfb_.reset();
    if (weston_) weston_->stop(10.0);
    weston_.reset();
    sway_.reset();
    for (const auto& [name, value] : savedEnv_) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
    if (!folder_.empty() && !std::getenv("ET_E2E_KEEP")) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

bool Desktop::startBus(std::unique_ptr<test::ChildProcess>& bus, const std::string& name,
                       const char* variable) {
    // Both buses use the session configuration: the system one only has to exist, with
    // nobody on it, so that the application's calls there fail as on a machine without logind.
    const std::string address = "unix:path=" + folder_ + "/runtime/" + name + "_bus";
    bus = std::make_unique<test::ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                 "--address=" + address, "--print-address=1"},
        /*quiet=*/true);
    const auto printed = bus->readLine(20.0);
    if (!printed || printed->empty()) {
        error_ = "the " + name + " bus did not start (is dbus-daemon installed?)";
        return false;
    }
    setEnv(variable, *printed);
    return true;
}

void Desktop::setEnv(const char* name, const std::string& value) {
    if (!savedEnv_.count(name)) {
        const char* old = std::getenv(name);
        savedEnv_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    ::setenv(name, value.c_str(), 1);
}

void Desktop::unsetEnv(const char* name) {
    if (!savedEnv_.count(name)) {
        const char* old = std::getenv(name);
        savedEnv_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    ::unsetenv(name);
}

void Desktop::writeSettings(const std::string& text) const {
    fs::create_directories(fs::path(settingsPath()).parent_path());
    std::ofstream out(settingsPath(), std::ios::trunc);
    if (text.find("[General]") == std::string::npos) out << "[General]\n";
    out << text;
}

bool Desktop::screenshot(const std::string& path) const {
    const x11::Connection connection(display_);
    if (!connection) return false;
    xcb_connection_t* c = connection.get();
    const xcb_screen_t* screen = connection.screen();
    const auto image = x11::reply(
        xcb_get_image_reply(c,
                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, 0,
                                          screen->width_in_pixels, screen->height_in_pixels, ~0u),
                            nullptr));
    bool written = false;
    const size_t pixels = static_cast<size_t>(screen->width_in_pixels) * screen->height_in_pixels;
    // Xvfb's 24-bit screens keep a pixel in 4 bytes: blue, green, red, unused.
    if (image && screen->root_depth == 24 &&
        static_cast<size_t>(xcb_get_image_data_length(image.get())) >= pixels * 4) {
        hostsim::Image picture;
        picture.width = screen->width_in_pixels;
        picture.height = screen->height_in_pixels;
        picture.rgb.resize(pixels * 3);
        const uint8_t* in = xcb_get_image_data(image.get());
        for (size_t i = 0; i < pixels; ++i) {
            picture.rgb[3 * i] = in[4 * i + 2];
            picture.rgb[3 * i + 1] = in[4 * i + 1];
            picture.rgb[3 * i + 2] = in[4 * i];
        }
        written = hostsim::writePng(picture, path);
    }
    return written;
}

std::string Desktop::readSettings() const {
    std::ifstream in(settingsPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace et::e2e
