#pragma once
// The desktop portal beside a headless sway, as a wlroots desktop offers it to programs that
// share the screen: a private session bus, PipeWire and WirePlumber, the permission store,
// xdg-desktop-portal-wlr and xdg-desktop-portal, all run as the desktop's user. Nothing is
// started by bus activation, so what a test stops stays stopped.
//
// Debian's xdg-desktop-portal-wlr 0.7 refuses every cast on a compositor without a GPU; a
// small preloaded library (screencopy-dmabuf-hint.c) makes it go on. Without it the portal
// answers every cast with a refusal, which a test may want.
//
// With `gnome`, beside a SwayDesktop running mutter, the backend is xdg-desktop-portal-gnome
// instead. Its chooser is a dialog nobody can click here, so a cast goes through only with a
// restore token seeded in the permission store (seedRestoreToken).
#include "ChildProcess.h"
#include "SwayDesktop.h"

#include <memory>
#include <string>

namespace et::test {

class PortalStack {
  public:
    struct Options {
        bool dmabufHint = true;
        // The portal asks "the player" through a chooser program that answers for them and
        // counts the questions (timesAsked); without it the output is shared unasked.
        bool askPlayer = false;
        // xdg-desktop-portal-gnome on mutter (the desktop's `mutter` option).
        bool gnome = false;
    };
    PortalStack(SwayDesktop& desktop, Options options);
    explicit PortalStack(SwayDesktop& desktop) : PortalStack(desktop, Options{}) {}
    ~PortalStack();
    PortalStack(const PortalStack&) = delete;
    PortalStack& operator=(const PortalStack&) = delete;

    bool running() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& busAddress() const { return busAddress_; }

    // How often the chooser was run, i.e. the player was asked.
    int timesAsked() const;
    // The player cancels the chooser from now on (or chooses again).
    void refuseToChoose(bool refuse);

    // The portal and its backend go away, as when they crash; startPortal brings them back.
    void stopPortal();
    bool startPortal();
    // The portal's backend, -1 while it is stopped.
    pid_t backendPid() const { return backend_ ? backend_->pid() : -1; }
    // What the portal's backend printed.
    std::string backendLog() const;

    // A restore token for the GNOME backend, written to the permission store as the portal
    // keeps the player's answer: sharing mutter's virtual monitor, granted to programs
    // outside a sandbox. Empty when the store refused it (see error()).
    std::string seedRestoreToken();
    // Whether mutter and the GNOME backend are there to run.
    static bool gnomeInstalled();

  private:
    bool startBus();
    bool waitForName(const std::string& name, double timeout);
    std::unique_ptr<ChildProcess> run(const std::vector<std::string>& argv,
                                      const std::string& log = {});
    void writeConfig();

    SwayDesktop& desktop_;
    Options options_;
    std::string error_;
    std::string folder_;
    std::string busAddress_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> pipewire_;
    std::unique_ptr<ChildProcess> wireplumber_;
    std::unique_ptr<ChildProcess> permissionStore_;
    std::unique_ptr<ChildProcess> backend_;
    std::unique_ptr<ChildProcess> portal_;
};

} // namespace et::test
