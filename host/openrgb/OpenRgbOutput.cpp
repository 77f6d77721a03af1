#include "OpenRgbOutput.h"

#include "KeyGrid.h"
#include "KeyMap.h"

#include <algorithm>
#include <utility>

namespace orgb {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kFirstRetry = std::chrono::milliseconds(100);
// Short enough that a restarted server has its frame back within two seconds.
constexpr auto kLongestRetry = std::chrono::milliseconds(800);
// How often an idle connection is checked for a departed server or a changed device list.
constexpr auto kIdlePoll = std::chrono::milliseconds(100);

// Command units: the application sends percentages; anything above 100 shows as full.
uint32_t fromCommandUnits(const hostsim::Rgb& c) {
    auto scale = [](int v) { return std::clamp(v, 0, 100) * 255 / 100; };
    return rgb(scale(c.red), scale(c.green), scale(c.blue));
}

std::string trimmedLower(std::string_view s) {
    return normalizedLedName(s);
}

int deviceClass(const Device& d) {
    if (d.type == kDeviceTypeKeyboard) return 4;
    return d.leds.size() <= 1 ? 1 : 2;
}
} // namespace

bool parseAddress(const std::string& text, std::string& host, int& port) {
    std::string h = "127.0.0.1", p = text;
    if (const size_t colon = text.rfind(':'); colon != std::string::npos) {
        h = text.substr(0, colon);
        p = text.substr(colon + 1);
        if (h.size() >= 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    }
    if (h.empty() || p.empty() || p.size() > 5 ||
        !std::all_of(p.begin(), p.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int n = std::stoi(p);
    if (n < 1 || n > 65535) return false;
    host = h;
    port = n;
    return true;
}

OpenRgbOutput::OpenRgbOutput(OpenRgbOptions options, hostsim::StateSource state,
                             hostsim::LogSink log)
    : options_(std::move(options)), state_(std::move(state)), log_(std::move(log)) {}

OpenRgbOutput::~OpenRgbOutput() {
    stop();
}

void OpenRgbOutput::start() {
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread([this] { run(); });
}

void OpenRgbOutput::changed() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // Thousands of key messages a second make one frame: only the first one wakes.
        if (std::exchange(dirty_, true)) return;
    }
    wake_.notify_one();
}

void OpenRgbOutput::clientsChanged(int connected) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        clients_ = connected;
        dirty_ = true;
    }
    wake_.notify_one();
}

void OpenRgbOutput::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void OpenRgbOutput::run() {
    auto retry = kFirstRetry;
    bool saidAbsent = false;
    auto nextFrame = Clock::now();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) break;
        }
        std::string error;
        if (!client_.connected()) {
            connected_ = false;
            taken_ = false;
            if (!discover(&error)) {
                if (!saidAbsent)
                    log_("OpenRGB not answering at " + options_.host + ":" +
                         std::to_string(options_.port) + " (" + error +
                         "); will connect when it appears");
                saidAbsent = true;
                client_.close();
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait_for(lock, retry, [&] { return stopping_; });
                retry =
                    std::min(retry * 2,
                             std::chrono::duration_cast<std::chrono::milliseconds>(kLongestRetry));
                continue;
            }
            saidAbsent = false;
            retry = kFirstRetry;
            connected_ = true;
        }

        bool driving = false, due = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, kIdlePoll, [&] { return stopping_ || dirty_; });
            // A change right after a frame waits for the next frame's time, then the latest
            // state goes out whole.
            if (dirty_) wake_.wait_until(lock, nextFrame, [&] { return stopping_; });
            if (stopping_) break;
            driving = clients_ > 0;
            due = dirty_ && Clock::now() >= nextFrame;
            if (due) dirty_ = false;
        }
        bool ok = client_.drain(&error);
        if (ok && client_.takeDeviceListChanged()) {
            log_("OpenRGB device list changed; finding the keyboards again");
            client_.close();
            std::lock_guard<std::mutex> lock(mutex_);
            dirty_ = true;
            continue;
        }
        if (ok && !driving && taken_) {
            ok = giveBack(&error);
        } else if (ok && driving && due) {
            if (!taken_) ok = takeDevices(&error);
            if (ok) ok = sendFrames(state_(), &error);
            nextFrame = Clock::now() + options_.minInterval;
        }
        if (!ok) {
            log_("lost OpenRGB (" + error + "); reconnecting");
            client_.close();
            std::lock_guard<std::mutex> lock(mutex_);
            dirty_ = true;
        }
    }
    std::string error;
    if (client_.connected() && taken_) giveBack(&error);
    client_.close();
    connected_ = false;
}

bool OpenRgbOutput::discover(std::string* error) {
    targets_.clear();
    if (!client_.open(options_.host, options_.port, error)) return false;
    const auto count = client_.controllerCount(error);
    if (!count) return false;
    std::vector<std::string> found;
    for (uint32_t i = 0; i < *count; ++i) {
        auto device = client_.controllerData(i, error);
        if (!device) return false;
        found.push_back(device->name);
        const bool named = !options_.deviceName.empty() &&
                           trimmedLower(device->name) == trimmedLower(options_.deviceName);
        const int klass = deviceClass(*device);
        const bool wanted = options_.deviceName.empty()
                                ? (klass == 4 || options_.allDevices)
                                : (named || (klass != 4 && options_.allDevices));
        if (!wanted) continue;
        if (device->directMode() < 0) {
            log_("OpenRGB device \"" + device->name + "\" has no per-LED mode; left alone");
            continue;
        }
        Target t;
        t.index = i;
        t.klass = klass;
        if (klass == 4) {
            KeyResolution keys = resolveKeys(device->leds);
            t.ledForKey = std::move(keys.ledForKey);
            // Named once a run, not at every reconnection.
            if (!keys.missing.empty() && namedMissing_.insert(device->name).second) {
                std::string names;
                for (const auto& n : keys.missing)
                    names += (names.empty() ? "" : ", ") + n;
                log_("\"" + device->name + "\" has no LED for: " + names);
            }
        }
        original_.try_emplace(device->name, device->activeMode, device->colors);
        t.device = std::move(*device);
        targets_.push_back(std::move(t));
    }
    if (targets_.empty()) {
        std::string names;
        for (const auto& n : found)
            names += (names.empty() ? "" : ", ") + ("\"" + n + "\"");
        log_("OpenRGB has no " +
             (options_.deviceName.empty() ? std::string("keyboard")
                                          : "device named \"" + options_.deviceName + "\"") +
             " to light" + (names.empty() ? "" : " (found " + names + ")"));
    } else {
        std::string names;
        for (const auto& t : targets_)
            names += (names.empty() ? "" : ", ") + t.device.name;
        log_("connected to OpenRGB at " + options_.host + ":" + std::to_string(options_.port) +
             " (protocol " + std::to_string(client_.version()) + "): " + names);
    }
    return true;
}

bool OpenRgbOutput::takeDevices(std::string* error) {
    for (Target& t : targets_) {
        const int direct = t.device.directMode();
        if (!client_.send(t.index, kUpdateMode, updateModePayload(t.device, direct), error))
            return false;
        t.sent.clear();
    }
    taken_ = true;
    return true;
}

bool OpenRgbOutput::giveBack(std::string* error) {
    for (Target& t : targets_) {
        const auto it = original_.find(t.device.name);
        if (it == original_.end()) continue;
        const auto& [mode, colors] = it->second;
        if (colors.size() == t.device.leds.size() &&
            !client_.send(t.index, kUpdateLeds, updateLedsPayload(colors), error))
            return false;
        if (mode >= 0 && static_cast<size_t>(mode) < t.device.modes.size() &&
            mode != t.device.directMode() &&
            !client_.send(t.index, kUpdateMode, updateModePayload(t.device, mode), error))
            return false;
        t.sent.clear();
    }
    taken_ = false;
    return true;
}

bool OpenRgbOutput::sendFrames(const hostsim::KeyboardState& state, std::string* error) {
    const auto& whole = state.current().whole;
    if (whole != lastWhole_) {
        lastWhole_ = whole;
        const int target = state.targetDevice() < 0 ? 7 : state.targetDevice();
        for (int klass : {1, 2})
            if (target & klass) deskColor_[klass] = whole;
    }
    for (Target& t : targets_) {
        std::vector<uint32_t> colors = frameFor(t, state);
        if (colors == t.sent) continue;
        if (!client_.send(t.index, kUpdateLeds, updateLedsPayload(colors), error)) return false;
        t.sent = std::move(colors);
        updates_++;
    }
    return true;
}

std::vector<uint32_t> OpenRgbOutput::frameFor(const Target& t,
                                              const hostsim::KeyboardState& state) {
    const auto found = original_.find(t.device.name);
    std::vector<uint32_t> colors =
        found != original_.end() ? found->second.second : t.device.colors;
    colors.resize(t.device.leds.size(), 0);
    const hostsim::Lighting& now = state.current();
    if (t.klass != 4) {
        const auto desk = deskColor_.find(t.klass);
        if (desk != deskColor_.end() && desk->second)
            std::fill(colors.begin(), colors.end(), fromCommandUnits(*desk->second));
        return colors;
    }
    // LEDs that are no key (underglow, strips) follow the whole-keyboard color.
    if (now.whole) {
        const uint32_t c = fromCommandUnits(*now.whole);
        std::fill(colors.begin(), colors.end(), c);
    }
    for (const auto& [key, led] : t.ledForKey) {
        uint32_t& out = colors[static_cast<size_t>(led)];
        if (const auto own = now.keys.find(key); own != now.keys.end()) {
            out = fromCommandUnits(own->second);
        } else if (const auto cell = et::keyCellOffset(key); cell && now.bitmap) {
            const auto& b = *now.bitmap;
            const auto at = static_cast<size_t>(*cell);
            out = rgb(b[at + 2], b[at + 1], b[at]);
        }
    }
    return colors;
}

std::string OpenRgbOutput::statsMember() const {
    return std::string("\"openrgb\":{\"connected\":") + (connected() ? "true" : "false") +
           ",\"updates\":" + std::to_string(updatesSent()) + "}";
}

} // namespace orgb
