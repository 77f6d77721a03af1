#pragma once
// The three real programs of an end-to-end run, each wrapped for a test: the host
// simulator whose output is what the tests judge, the strip painter that plays the game
// add-on, and the application itself.
#include "HostRecord.h"
#include "LineCollector.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace et::e2e {

// Where the build put the programs (empty when a program was not built).
struct ProgramPaths {
    std::string hostSim;
    std::string talonStrip;
    std::string emberTalon;
    static ProgramPaths fromBuild();
};

// corvane-host-sim on a socket path; restartable, as the real host software is. Its output
// is parsed as it arrives, so waiting stays cheap while effects send hundreds of messages
// a second.
class HostSim {
  public:
    HostSim(std::string program, std::string socketPath);
    ~HostSim();

    // Starts it and waits for its socket; false when it does not come up.
    bool start(const std::vector<std::string>& extraArgs = {});
    void stop();
    // SIGKILL: the host vanishes without closing anything.
    void kill();
    // Sends `signal` to the running host: SIGSTOP and SIGCONT stop and resume it as Ctrl-Z and
    // fg would, its socket still open.
    void signal(int signal);
    bool running() const { return process_ != nullptr; }

    // Every message received so far, by every run of the host, in arrival order.
    std::vector<HostRecord> records() const { return recordsFrom(0); }
    std::vector<HostRecord> recordsFrom(size_t from) const;
    size_t count() const;
    // Waits until `done(records)` holds; returns whether it did within `timeout`.
    bool waitUntil(const std::function<bool(const std::vector<HostRecord>&)>& done,
                   double timeout) const;
    // Waits for the first record from index `from` on that satisfies `match`.
    std::optional<HostRecord> waitFor(const std::function<bool(const HostRecord&)>& match,
                                      double timeout, size_t from = 0) const;
    // Waits until no message has arrived for `quiet` seconds (at most `timeout`).
    bool waitForQuiet(double quiet, double timeout) const;
    // Writes a command line to the host's standard input (see corvane-host-sim --help).
    bool command(const std::string& line);
    // Lines of the current run that are not messages: replies to commands, and what it
    // says on standard error.
    std::vector<std::string> notes() const;

  private:
    // Parses what arrived since the last call; `mutex_` held.
    void takeNewLines() const;
    void endRun();

    std::string program_;
    std::string socketPath_;
    std::unique_ptr<LineCollector> process_;
    mutable std::mutex mutex_;
    mutable std::vector<HostRecord> records_;
    mutable std::vector<std::string> notes_;
    mutable size_t linesTaken_ = 0;
};

// talon-strip driven line by line through its standard input.
class Strip {
  public:
    // With `gameGeometry` ("WxH+X+Y") it paints inside a game window, as the game does;
    // without, in a borderless window at the screen's top-left corner.
    Strip(const std::string& program, const std::string& display, double cellWidth,
          const std::string& gameGeometry = {});
    // As a native Wayland game, on the compositor of $WAYLAND_DISPLAY.
    struct Wayland {};
    Strip(const std::string& program, Wayland, double cellWidth);
    bool ok() const { return process_.started(); }
    // Runs the commands and waits until the painter has carried them all out.
    bool run(const std::string& commands, double timeout = 60.0);
    // Runs them without waiting; the painter works through them on its own.
    bool runAsync(const std::string& commands);
    // Waits for the painter to finish everything handed to it so far.
    bool drain(double timeout = 60.0);
    // When the line `echo TEXT` was reached (steady clock), or 0 when it was not.
    double echoedAt(const std::string& text) const;

  private:
    LineCollector process_;
    int token_ = 0;
};

// ember-talon with its standard error in its output, so log lines and sanitizer reports
// are at hand.
class App {
  public:
    App(std::string program, std::vector<std::string> args = {});
    ~App();
    bool start();
    // The quit a desktop sends (SIGTERM), then SIGKILL after `timeout`; the exit status
    // (128 + the signal when it had to be killed).
    std::optional<int> quit(double timeout = 20.0);
    void kill();
    bool running();
    pid_t pid() const { return process_ ? process_->pid() : -1; }
    std::vector<std::string> output() const;
    bool waitForOutput(const std::string& text, double timeout, size_t from = 0) const;
    size_t outputCount() const { return process_ ? process_->count() : 0; }

  private:
    std::string program_;
    std::vector<std::string> args_;
    std::unique_ptr<LineCollector> process_;
};

} // namespace et::e2e
