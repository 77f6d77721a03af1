#include "SwayDesktop.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace et::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

Clock::time_point after(double seconds) {
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

SwayDesktop::SwayDesktop(Options options) : options_(std::move(options)) {
    asNobody_ = ::geteuid() == 0;
    // Xwayland and swaybg leave sway's process tree; as a subreaper this process still
    // reaps them once they are stopped, instead of leaving zombies behind.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    if (options_.mutter) options_.xwayland = false;
    if (prepareFolder() && !options_.mutter) start();
}

SwayDesktop::~SwayDesktop() {
    stop();
    if (!folder_.empty() && !std::getenv("ET_E2E_KEEP")) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

bool SwayDesktop::prepareFolder() {
    char pattern[] = "/tmp/et-sway-XXXXXX";
    if (!mkdtemp(pattern)) {
        error_ = "cannot make a temporary folder";
        return false;
    }
    folder_ = pattern;
    // The desktop's user has to reach its own files below a folder root made.
    ::chmod(folder_.c_str(), 0711);
    runtimeDir_ = folder_ + "/runtime";
    fs::create_directories(runtimeDir_);
    ::chmod(runtimeDir_.c_str(), 0700);
    giveToUser(runtimeDir_);
    fs::create_directories(folder_ + "/home");
    giveToUser(folder_ + "/home");
    // Xwayland's listening socket goes where every X server puts it.
    fs::create_directories("/tmp/.X11-unix");
    ::chmod("/tmp/.X11-unix", 01777);

    std::ofstream config(folder_ + "/config");
    // White around the strip: nothing right of it looks like a dark cell.
    config << "output HEADLESS-1 mode " << options_.width << "x" << options_.height
           << " bg #ffffff solid_color\n"
           << "default_border none\n"
           << "xwayland " << (options_.xwayland ? "enable" : "disable") << "\n"
           << options_.extraConfig << "\n";
    config.close();
    ::chmod((folder_ + "/config").c_str(), 0644);
    return true;
}

void SwayDesktop::giveToUser(const std::string& path) const {
    if (!asNobody_) return;
    const passwd* user = getpwnam("nobody");
    const group* grp = getgrnam("nogroup");
    if (user && grp && ::chown(path.c_str(), user->pw_uid, grp->gr_gid) != 0) return;
}

std::map<std::string, std::string> SwayDesktop::environment() const {
    std::map<std::string, std::string> env = {
        {"PATH", std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin"},
        {"HOME", folder_ + "/home"},
        {"XDG_RUNTIME_DIR", runtimeDir_},
        {"XDG_CONFIG_HOME", folder_ + "/home/.config"},
        {"XDG_SESSION_TYPE", "wayland"},
        // What the portal picks its backend by.
        {"XDG_CURRENT_DESKTOP", options_.mutter ? "GNOME" : "sway"},
        {"WLR_BACKENDS", "headless"},
        {"WLR_LIBINPUT_NO_DEVICES", "1"},
        {"WLR_RENDERER", "pixman"},
    };
    if (!waylandDisplay_.empty()) env["WAYLAND_DISPLAY"] = waylandDisplay_;
    if (!display_.empty()) env["DISPLAY"] = display_;
    if (!ipcSocket_.empty()) env["SWAYSOCK"] = ipcSocket_;
    for (const auto& [name, value] : extraEnv_)
        env[name] = value;
    return env;
}

std::vector<std::string> SwayDesktop::asUser(const std::vector<std::string>& argv) const {
    std::vector<std::string> wrapped;
    if (asNobody_) {
        // Changing the user clears the parent-death signal: setpriv sets it again.
        wrapped = {"setpriv",        "--reuid=nobody", "--regid=nogroup",
                   "--clear-groups", "--pdeathsig",    "KILL"};
    }
    wrapped.push_back("env");
    wrapped.push_back("-i");
    for (const auto& [name, value] : environment())
        wrapped.push_back(name + "=" + value);
    wrapped.insert(wrapped.end(), argv.begin(), argv.end());
    return wrapped;
}

std::unique_ptr<ChildProcess> SwayDesktop::runAsUser(const std::vector<std::string>& argv,
                                                     bool quiet) const {
    return std::make_unique<ChildProcess>(asUser(argv), quiet);
}

bool SwayDesktop::start() {
    if (pgid_ > 0) return running();
    error_.clear();
    waylandDisplay_.clear();
    ipcSocket_.clear();
    display_.clear();
    // Sockets a killed compositor left behind must not be taken for the new one's; the
    // session bus and PipeWire living beside them stay.
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(runtimeDir_, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("wayland-", 0) == 0 || name.rfind("sway-ipc.", 0) == 0)
            fs::remove(entry.path(), ignored);
    }
    if (!launch()) return false;
    if (!findSockets(20.0)) {
        error_ = std::string(options_.mutter ? "mutter" : "sway") +
                 " did not come up (is it installed?): " + log();
        return false;
    }
    if (options_.xwayland && !askDisplay(20.0)) {
        error_ = "sway named no Xwayland display (is xwayland installed?)";
        return false;
    }
    return true;
}

bool SwayDesktop::launch() {
    const std::string size = std::to_string(options_.width) + "x" + std::to_string(options_.height);
    const auto argv = asUser(options_.mutter ? std::vector<std::string>{"mutter", "--headless",
                                                   "--wayland", "--no-x11",
                                                   "--virtual-monitor", size}
                                             : std::vector<std::string>{"sway", "-c",
                                                   folder_ + "/config"});
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string logPath = folder_ + "/sway.log";
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // A group of its own, so that stop() reaches Xwayland and swaybg as well.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
        const int out = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        execvp(args[0], args.data());
        _exit(127);
    }
    if (pid < 0) {
        error_ = "cannot start sway";
        return false;
    }
    setpgid(pid, pid);
    pgid_ = pid;
    swayPid_ = pid;
    return true;
}

bool SwayDesktop::findSockets(double timeout) {
    const auto until = after(timeout);
    while (Clock::now() < until) {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(runtimeDir_, ignored)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_socket(ignored)) continue;
            if (name.rfind("wayland-", 0) == 0) waylandDisplay_ = entry.path().string();
            if (name.rfind("sway-ipc.", 0) == 0) ipcSocket_ = entry.path().string();
        }
        // mutter has no IPC socket of sway's kind.
        if (!waylandDisplay_.empty() && (options_.mutter || !ipcSocket_.empty())) return true;
        int status = 0;
        if (waitpid(swayPid_, &status, WNOHANG) == swayPid_) {
            swayPid_ = -1;
            return false;
        }
        pause();
    }
    return false;
}

bool SwayDesktop::askDisplay(double timeout) {
    // Xwayland picks its display number when sway starts; sway hands it to what it runs.
    const std::string file = runtimeDir_ + "/x-display";
    if (!message({"exec", "echo $DISPLAY > " + file})) return false;
    const auto until = after(timeout);
    while (Clock::now() < until) {
        const std::string text = readFile(file);
        if (!text.empty() && text.back() == '\n') {
            display_ = text.substr(0, text.size() - 1);
            return !display_.empty() && letInHarnessUser();
        }
        pause();
    }
    return false;
}

bool SwayDesktop::letInHarnessUser() const {
    // Xwayland admits only its own user; this process (root) is let in as the X server's
    // user would let in another one, by a host-list entry.
    if (!asNobody_) return true;
    const passwd* user = getpwnam("nobody");
    const group* grp = getgrnam("nogroup");
    const passwd* self = getpwuid(::geteuid());
    if (!user || !grp || !self) return false;
    const std::string entry = std::string("localuser") + '\0' + self->pw_name;
    const uid_t uid = user->pw_uid;
    const gid_t gid = grp->gr_gid;
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(2);
        xcb_connection_t* c = xcb_connect(display_.c_str(), nullptr);
        if (xcb_connection_has_error(c)) _exit(3);
        xcb_generic_error_t* error = xcb_request_check(
            c, xcb_change_hosts_checked(c, XCB_HOST_MODE_INSERT, XCB_FAMILY_SERVER_INTERPRETED,
                                        static_cast<uint16_t>(entry.size()),
                                        reinterpret_cast<const uint8_t*>(entry.data())));
        _exit(error ? 4 : 0);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

bool SwayDesktop::message(const std::vector<std::string>& args, std::string* reply) const {
    if (ipcSocket_.empty()) return false;
    std::vector<std::string> argv = {"swaymsg", "-s", ipcSocket_};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess swaymsg(argv, /*quiet=*/true);
    swaymsg.closeInput();
    std::string text;
    while (auto line = swaymsg.readLine(10.0))
        text += *line + "\n";
    if (reply) *reply = text;
    const auto status = swaymsg.wait(10.0);
    return status && *status == 0;
}

bool SwayDesktop::resizeOutput(int width, int height) const {
    return message(
        {"output", "HEADLESS-1", "mode", std::to_string(width) + "x" + std::to_string(height)});
}

void SwayDesktop::stop() {
    if (pgid_ <= 0) return;
    // SIGTERM lets sway remove its sockets and stop Xwayland and swaybg itself.
    kill(-pgid_, SIGTERM);
    const auto until = after(5.0);
    while (swayPid_ > 0 && Clock::now() < until) {
        int status = 0;
        if (waitpid(swayPid_, &status, WNOHANG) == swayPid_)
            swayPid_ = -1;
        else
            pause();
    }
    kill(-pgid_, SIGKILL);
    if (swayPid_ > 0) waitpid(swayPid_, nullptr, 0);
    // What is left of the group is this process's own to reap, as its subreaper.
    while (waitpid(-pgid_, nullptr, 0) > 0) {
    }
    swayPid_ = -1;
    pgid_ = -1;
    waylandDisplay_.clear();
    ipcSocket_.clear();
    display_.clear();
}

std::string SwayDesktop::log() const {
    return readFile(folder_ + "/sway.log");
}

} // namespace et::test
