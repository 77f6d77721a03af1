#pragma once
// Shows the host's keyboard state on the devices of a running OpenRGB SDK server. A thread
// of its own connects (and reconnects with backoff), finds the keyboards, puts them in
// their per-LED mode once a client lights something, and sends whole frames: at most one
// per `minInterval` and per device's frame rate, when a color changed or, on an idle board,
// again every kRepeat, always from the latest state. A board whose only per-LED mode writes
// its flash is left alone unless its settings allow that mode. When the last
// client has been gone for a moment, or the host stops, every device gets back the colors
// and mode it had. A stop ends every wait at once, whatever the server does.
#include "../Output.h"
#include "DeviceSettings.h"
#include "SdkClient.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>

namespace orgb {

// How often the devices are read again for a mode switched behind the host's back.
inline constexpr auto kCheckEvery = std::chrono::seconds(3);

struct OpenRgbOptions {
    std::string host = "127.0.0.1";
    int port = 6742;
    std::string deviceName;  // only this device (by name), when set
    bool allDevices = false; // whole-keyboard colors also light the other devices
    std::chrono::microseconds minInterval{1000000 / 60 + 1};
    DeviceSettingsTable devices; // per device, by name
    std::chrono::milliseconds checkEvery = kCheckEvery;
};

// Boards that fall back to their own effect after some seconds without frames keep the frame.
inline constexpr auto kRepeat = std::chrono::milliseconds(1200);
// A flash-writing board gets no more than one frame in this time.
inline constexpr auto kSavingInterval = std::chrono::seconds(1);

// Parses "HOST:PORT" (or "PORT", or "[v6]:PORT"); false when it is neither.
bool parseAddress(const std::string& text, std::string& host, int& port);

// A name a server gave, fit for one log line: at most 64 characters, control characters
// and backslashes escaped.
std::string printableName(std::string_view name);

// The OpenRGB release a negotiated SDK protocol version belongs to, for a person.
std::string openRgbLine(uint32_t protocol);

// More controllers than anyone has: a server claiming more is not believed.
inline constexpr uint32_t kMaxControllers = 64;

class OpenRgbOutput : public hostsim::Output {
  public:
    OpenRgbOutput(OpenRgbOptions options, hostsim::StateSource state, hostsim::LogSink log);
    ~OpenRgbOutput() override;

    void start() override;
    void message(const hostsim::Message& message) override;
    void changed() override;
    void clientsChanged(int connected) override;
    void stop() override;
    // "openrgb":{"connected":…,"updates":N}
    std::string statsMember() const override;
    // From any thread: the devices are read again now rather than at the next check, and a
    // server that is away is tried again now (the system woke from sleep, where OpenRGB may
    // have loaded a profile or restarted).
    void recheck();
    // "openrgb":{address, connected, protocol, line, lit devices, devices left alone}
    void status(JSONValue& document) const override;

    // For the benchmark and the tests: LED updates sent, and whether devices are driven.
    uint64_t updatesSent() const { return updates_.load(); }
    bool connected() const { return connected_.load(); }

  private:
    using Clock = std::chrono::steady_clock;
    struct Target {
        uint32_t index = 0;
        Device device;
        int klass = 0;                         // 4 keyboard, 2 other color device, 1 single color
        int mode = 0;                          // the mode frames go into
        bool saving = false;                   // that mode writes the flash: whole colors only
        std::chrono::microseconds interval{0}; // between two frames
        std::map<int32_t, std::vector<int>> ledsForKey; // keyboards only
        std::vector<uint32_t> sent; // last colors sent; empty before the first frame
        Clock::time_point sentAt, nextDue;
    };

    void run();
    // Finds the devices; `found` gets the lines that say what was found.
    bool discover(std::string* error, std::vector<std::string>& found);
    bool takeDevices(std::string* error);
    bool giveBack(std::string* error);
    // Reads the devices again: one switched to another mode behind the host's back gets the
    // host's mode and frame back; `changed` is set when one is another device now.
    bool checkDevices(bool& changed, std::string* error);
    // Sends each device that is due its frame; `next` gets when one is due next (a change
    // its rate holds back, or an idle board's repeat).
    bool sendFrames(const hostsim::KeyboardState& state, Clock::time_point& next,
                    std::string* error);
    std::vector<uint32_t> frameFor(const Target& target, const hostsim::KeyboardState& state);

    // What the status tells: written by the output's thread, read by the status channel's.
    struct Seen {
        struct Lit {
            std::string name, mode;
            int frameRate = 0;
            bool saving = false;
            std::vector<std::string> missingKeys;
        };
        bool connected = false;
        uint32_t protocol = 0;
        std::string trouble; // why not connected
        std::vector<Lit> lit;
        std::vector<std::pair<std::string, std::string>> leftAlone; // name, why
    };
    void publish(Seen seen);

    OpenRgbOptions options_;
    hostsim::StateSource state_;
    hostsim::LogSink log_;
    SdkClient client_;
    std::vector<Target> targets_;
    // The mode each device had when first seen, by identity: a reconnection after the host
    // switched it must not take our own mode for the player's.
    std::map<std::string, std::pair<int, std::vector<uint32_t>>> original_;
    std::set<std::string> namedMissing_; // devices whose missing keys were logged
    std::set<std::string> namedAlone_;   // devices left alone, logged once a run
    bool taken_ = false;
    std::map<int, std::optional<hostsim::Rgb>> deskColor_; // by device class
    std::optional<hostsim::Rgb> lastWhole_;

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool dirty_ = true;
    int clients_ = 0;
    // A client lit something: the devices are ours until the clients have been gone for
    // a grace that a returning client cancels.
    bool driving_ = false;
    std::optional<std::chrono::steady_clock::time_point> graceEnds_;
    bool stopping_ = false;
    bool recheck_ = false;
    std::atomic<uint64_t> updates_{0};
    std::atomic<bool> connected_{false};
    mutable std::mutex seenMutex_;
    Seen seen_;
};

} // namespace orgb
