#include "PortalStack.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace et::test {

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

PortalStack::PortalStack(SwayDesktop& desktop, Options options)
    : desktop_(desktop), options_(options) {
    // mutter comes up only once the bus it needs is there.
    if (!options_.gnome && !desktop_.running()) {
        error_ = "no desktop: " + desktop_.error();
        return;
    }
    folder_ = desktop_.folder() + "/portal";
    fs::create_directories(folder_);
    desktop_.giveToUser(folder_);
    writeConfig();
    if (!startBus()) return;
    if (options_.gnome) {
        if (!desktop_.start()) {
            error_ = "no desktop: " + desktop_.error();
            return;
        }
        // Its screen-cast service is what the backend asks for the monitor.
        if (!waitForName("org.gnome.Mutter.ScreenCast", 20.0)) {
            error_ = "mutter offers no screen cast: " + desktop_.log();
            return;
        }
    }
    pipewire_ = run({"pipewire"}, "pipewire.log");
    const std::string socket = desktop_.runtimeDir() + "/pipewire-0";
    for (int i = 0; i < 2000 && !fs::exists(socket); ++i) usleep(10000);
    if (!fs::exists(socket)) {
        error_ = "PipeWire did not start (is pipewire installed?)";
        return;
    }
    // Without the session manager nothing links a stream to the cast: it stays paused.
    wireplumber_ = run({"wireplumber"}, "wireplumber.log");
    permissionStore_ = run({"/usr/libexec/xdg-permission-store", "--replace"},
                           "permission-store.log");
    if (!waitForName("org.freedesktop.impl.portal.PermissionStore", 20.0)) {
        error_ = "the permission store did not start (is xdg-desktop-portal installed?)";
        return;
    }
    startPortal();
}

PortalStack::~PortalStack() {
    stopPortal();
    for (auto* process : {&permissionStore_, &wireplumber_, &pipewire_, &bus_})
        if (*process) (*process)->stop(5.0);
}

void PortalStack::writeConfig() {
    const std::string chooser = folder_ + "/chooser";
    {
        // Reads the outputs offered and picks the first, as a player would in the dialog.
        std::ofstream script(chooser);
        script << "#!/bin/sh\n"
               << "echo asked >> " << quoted(folder_ + "/asked") << "\n"
               << "IFS= read -r first\ncat > /dev/null\n"
               << "[ -e " << quoted(folder_ + "/refuse") << " ] && exit 1\n"
               << "printf '%s\\n' \"$first\"\n";
    }
    ::chmod(chooser.c_str(), 0755);
    const std::string configDir = desktop_.folder() + "/home/.config/xdg-desktop-portal-wlr";
    fs::create_directories(configDir);
    {
        std::ofstream config(configDir + "/config");
        config << "[screencast]\nmax_fps=20\n";
        if (options_.askPlayer)
            config << "chooser_type=dmenu\nchooser_cmd=" << chooser << "\n";
        else
            config << "output_name=HEADLESS-1\nchooser_type=none\n";
    }
    for (const auto& path : {desktop_.folder() + "/home/.config", configDir, configDir + "/config"})
        desktop_.giveToUser(path);

    // The session configuration without service folders (nothing is started behind the
    // test's back), letting in the test's own user too.
    std::ofstream bus(folder_ + "/bus.conf");
    bus << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>session</type>\n"
        << "<listen>unix:path=" << desktop_.runtimeDir() << "/bus</listen>\n"
        << "<auth>EXTERNAL</auth>\n"
           "<policy context=\"default\"><allow user=\"*\"/><allow send_destination=\"*\"/>"
           "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>\n</busconfig>\n";
}

bool PortalStack::startBus() {
    bus_ = desktop_.runAsUser({"dbus-daemon", "--config-file=" + folder_ + "/bus.conf",
                               "--nofork", "--nopidfile", "--print-address=1"});
    const auto address = bus_->readLine(20.0);
    if (!address || address->empty()) {
        error_ = "the session bus did not start (is dbus-daemon installed?)";
        return false;
    }
    busAddress_ = *address;
    desktop_.setEnv("DBUS_SESSION_BUS_ADDRESS", busAddress_);
    return true;
}

std::unique_ptr<ChildProcess> PortalStack::run(const std::vector<std::string>& argv,
                                               const std::string& log) {
    // Through a shell that becomes the program, its output into a file nobody has to drain.
    std::string command = "exec";
    for (const auto& arg : argv) command += " " + quoted(arg);
    command += " >> " + quoted(folder_ + "/" + (log.empty() ? "other.log" : log)) + " 2>&1";
    return desktop_.runAsUser({"sh", "-c", command});
}

bool PortalStack::waitForName(const std::string& name, double timeout) {
    auto wait = desktop_.runAsUser(
        {"gdbus", "wait", "--session", "--timeout", std::to_string(int(timeout)), name});
    const auto status = wait->wait(timeout + 5.0);
    return status && *status == 0;
}

bool PortalStack::startPortal() {
    if (portal_) return true;
    const std::string name = options_.gnome ? "gnome" : "wlr";
    std::vector<std::string> backend = {"/usr/libexec/xdg-desktop-portal-" + name};
    if (options_.gnome)
        // Its dialogs look for the accessibility bus, which this private session lacks.
        backend.insert(backend.begin(), {"env", "GTK_A11Y=none"});
    else
        backend.insert(backend.end(), {"-l", "DEBUG"});
    if (!options_.gnome && options_.dmabufHint)
        backend.insert(backend.begin(), {"env", "LD_PRELOAD=" ET_DMABUF_HINT});
    backend_ = run(backend, "backend.log");
    if (!waitForName("org.freedesktop.impl.portal.desktop." + name, 20.0)) {
        error_ = "xdg-desktop-portal-" + name + " did not start: " + backendLog();
        return false;
    }
    portal_ = run({"/usr/libexec/xdg-desktop-portal", "--replace"}, "portal.log");
    if (!waitForName("org.freedesktop.portal.Desktop", 20.0)) {
        error_ = "xdg-desktop-portal did not start";
        return false;
    }
    return true;
}

void PortalStack::stopPortal() {
    if (portal_) portal_->stop(5.0);
    if (backend_) backend_->stop(5.0);
    portal_.reset();
    backend_.reset();
}

int PortalStack::timesAsked() const {
    std::ifstream in(folder_ + "/asked");
    int count = 0;
    for (std::string line; std::getline(in, line);) ++count;
    return count;
}

void PortalStack::refuseToChoose(bool refuse) {
    const std::string flag = folder_ + "/refuse";
    if (refuse)
        std::ofstream{flag};
    else
        fs::remove(flag);
}

std::string PortalStack::backendLog() const { return readFile(folder_ + "/backend.log"); }

bool PortalStack::gnomeInstalled() {
    return ::access("/usr/bin/mutter", X_OK) == 0 &&
           ::access("/usr/libexec/xdg-desktop-portal-gnome", X_OK) == 0;
}

std::string PortalStack::seedRestoreToken() {
    // The portal takes only a UUID; the backend's data gives the streams to share again and
    // the times it was made and last used (microseconds).
    const std::string token = readFile("/proc/sys/kernel/random/uuid").substr(0, 36);
    const std::string now = std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now().time_since_epoch()).count());
    const std::string data = "<('GNOME', uint32 1, <(int64 " + now + ", int64 " + now +
                             ", [(uint32 0, uint32 1, <'MetaVendor:MetaVirtualMonitor:0x00'>)])>)>";
    auto set = desktop_.runAsUser(
        {"gdbus", "call", "--session", "-d", "org.freedesktop.impl.portal.PermissionStore", "-o",
         "/org/freedesktop/impl/portal/PermissionStore", "-m",
         "org.freedesktop.impl.portal.PermissionStore.Set", "screencast", "true", token,
         "{'': ['yes']}", data});
    const auto status = set->wait(20.0);
    if (!status || *status != 0) {
        error_ = "the permission store took no restore token";
        return {};
    }
    return token;
}

} // namespace et::test
