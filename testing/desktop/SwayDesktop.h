#pragma once
// A private wlroots desktop for tests: sway, headless, drawing with pixman, with Xwayland
// for X11 programs. sway refuses to run as root, so when the tests run as root the whole
// stack runs as "nobody" in a runtime folder of its own; other programs of the stack (a
// session bus, PipeWire, a portal) can be run beside it as the same user, in the same
// environment. Everything it started is stopped with the object, even when it came up only
// half-way. It can run GNOME's mutter in sway's place, for the GNOME desktop portal.
#include "ChildProcess.h"

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace et::test {

class SwayDesktop {
  public:
    struct Options {
        int width = 1280;
        int height = 800;
        bool xwayland = true;
        // Lines added to sway's configuration (after the output and the white background).
        std::string extraConfig;
        // GNOME's compositor (mutter, headless, one virtual monitor, no Xwayland) in place of
        // sway. It needs the session bus from the start, so it waits for start(), which
        // PortalStack calls once its bus is up.
        bool mutter = false;
    };
    SwayDesktop() : SwayDesktop(Options{}) {}
    explicit SwayDesktop(Options options);
    ~SwayDesktop();
    SwayDesktop(const SwayDesktop&) = delete;
    SwayDesktop& operator=(const SwayDesktop&) = delete;

    bool running() const { return pgid_ > 0 && error_.empty(); }
    const std::string& error() const { return error_; }

    // The compositor's socket as an absolute path: what WAYLAND_DISPLAY takes for clients
    // whose own runtime folder is elsewhere (root's programs connect to nobody's socket).
    const std::string& waylandDisplay() const { return waylandDisplay_; }
    // Xwayland's ":N"; empty without Xwayland.
    const std::string& display() const { return display_; }
    const std::string& ipcSocket() const { return ipcSocket_; }
    const std::string& runtimeDir() const { return runtimeDir_; }
    // The folder everything lives in; writable by the desktop's user.
    const std::string& folder() const { return folder_; }
    pid_t pid() const { return swayPid_; }
    std::string log() const;

    // The environment of the desktop's programs: its runtime folder, WAYLAND_DISPLAY, DISPLAY,
    // plus whatever setEnv added (a session bus address, XDG_CURRENT_DESKTOP, ...).
    std::map<std::string, std::string> environment() const;
    void setEnv(const std::string& name, const std::string& value) { extraEnv_[name] = value; }
    // `argv` wrapped so that it runs as the desktop's user, in its environment.
    std::vector<std::string> asUser(const std::vector<std::string>& argv) const;
    std::unique_ptr<ChildProcess> runAsUser(const std::vector<std::string>& argv,
                                            bool quiet = true) const;
    // Gives a file or folder this harness made to the desktop's user.
    void giveToUser(const std::string& path) const;

    // swaymsg with `args` (e.g. {"output", "HEADLESS-1", "mode", "3840x2160"}); its reply
    // (JSON) in `reply` when asked; false when sway says it failed or is not there.
    bool message(const std::vector<std::string>& args, std::string* reply = nullptr) const;
    bool resizeOutput(int width, int height) const;

    // Stops sway and all it started; start() brings it up again in the same folder, as a
    // compositor that crashed and was started again.
    void stop();
    bool start();

  private:
    bool prepareFolder();
    bool launch();
    bool findSockets(double timeout);
    bool askDisplay(double timeout);
    bool letInHarnessUser() const;

    Options options_;
    std::string error_;
    std::string folder_;
    std::string runtimeDir_;
    std::string waylandDisplay_;
    std::string ipcSocket_;
    std::string display_;
    std::map<std::string, std::string> extraEnv_;
    pid_t pgid_ = -1;
    pid_t swayPid_ = -1;
    bool asNobody_ = false;
};

} // namespace et::test
