#include "OpenRgbOutput.h"

#include "Host.h"
#include "JSONValue.h"
#include "KeyGrid.h"
#include "KeyMap.h"
#include "WireFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace orgb {

namespace {
using Clock = std::chrono::steady_clock;
constexpr auto kFirstRetry = std::chrono::milliseconds(100);
// Short enough that a restarted server has its frame back within two seconds.
constexpr auto kLongestRetry = std::chrono::milliseconds(800);
// How often an idle connection is checked for a departed server or a changed device list.
constexpr auto kIdlePoll = std::chrono::milliseconds(100);
// A connection that lasted this long ends an outage: the backoff starts again from the
// first retry. A server that answers and hangs up is retried ever more slowly.
constexpr auto kHealthy = std::chrono::seconds(5);
// A client that reconnects (the application restarting its session) keeps the devices.
constexpr auto kGrace = std::chrono::milliseconds(500);
// What a stop leaves the devices' give-back, whatever the server does.
constexpr auto kGiveBackTime = std::chrono::milliseconds(300);
constexpr size_t kShownNameLength = 64;

bool lights(uint32_t command) {
    using namespace corvwire;
    switch (command) {
    case kSetLighting:
    case kRestoreLighting:
    case kSetKeyByScanCode:
    case kSetKeyByHidCode:
    case kSetKeyByQuartzCode:
    case kSetKeyByKeyName:
    case kSetLightingWithBitmap:
    case kRestoreSingleKeyLighting:
        return true;
    default:
        return false;
    }
}

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

std::string printableName(std::string_view name) {
    std::string out;
    size_t shown = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        // Characters are counted by their first byte; bytes are bounded too, for names
        // that are no UTF-8.
        if (((c & 0xC0) != 0x80 && shown++ == kShownNameLength) || i == 4 * kShownNameLength)
            return out + "…";
        // C1 controls are two bytes in UTF-8, C2 80 to C2 9F.
        const bool c1 = c == 0xC2 && i + 1 < name.size() &&
                        (static_cast<unsigned char>(name[i + 1]) & 0xE0) == 0x80;
        char escaped[8];
        if (c < 0x20 || c == 0x7F || c == '\\' || c1) {
            std::snprintf(escaped, sizeof escaped, c1 ? "\\u%04X" : "\\x%02X",
                          c1 ? static_cast<unsigned char>(name[++i]) : c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
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
    client_.resume();
    thread_ = std::thread([this] { run(); });
}

void OpenRgbOutput::message(const hostsim::Message& message) {
    if (!lights(message.command)) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (std::exchange(driving_, true)) return;
    }
    wake_.notify_one();
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
        if (connected > 0)
            graceEnds_.reset();
        else if (driving_)
            graceEnds_ = Clock::now() + kGrace;
    }
    wake_.notify_one();
}

void OpenRgbOutput::recheck() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        recheck_ = true;
    }
    wake_.notify_one();
}

void OpenRgbOutput::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        // Under the lock: the thread, once it sees the stop, resumes the client for the
        // give-back, and no interruption may come after that.
        client_.interrupt();
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

void OpenRgbOutput::run() {
    auto retry = kFirstRetry;
    bool waitFirst = false; // every attempt but the first waits for the backoff
    // One line an outage: it begins with the first failure after a healthy connection and
    // ends once a connection has lasted kHealthy; then what that one found is told.
    bool outage = false;
    std::vector<std::string> found;
    auto since = Clock::now();
    auto nextFrame = Clock::now();
    auto nextSend = Clock::time_point::max();
    auto nextCheck = Clock::time_point::max();
    auto trouble = [&](const std::string& line) {
        client_.close();
        waitFirst = true;
        bool stopping = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            dirty_ = true;
            stopping = stopping_;
        }
        // A stop interrupts what the thread was doing: that is no trouble of the server's.
        if (!stopping && !std::exchange(outage, true)) log_(line);
        Seen lost;
        lost.trouble = line;
        publish(std::move(lost));
    };
    for (;;) {
        std::string error;
        if (!client_.connected()) {
            connected_ = false;
            taken_ = false;
            if (waitFirst) {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait_for(lock, retry, [&] { return stopping_ || recheck_; });
                retry = recheck_ ? kFirstRetry : std::min(retry * 2, kLongestRetry);
                recheck_ = false;
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_) break;
            }
            found.clear();
            if (!discover(&error, found)) {
                trouble("OpenRGB not answering at " + options_.host + ":" +
                        std::to_string(options_.port) + " (" + error +
                        "); will connect when it appears");
                continue;
            }
            since = Clock::now();
            connected_ = true;
            if (!outage)
                for (const auto& line : std::exchange(found, {}))
                    log_(line);
        }
        if ((outage || retry > kFirstRetry) && Clock::now() - since >= kHealthy) {
            for (const auto& line : std::exchange(found, {}))
                log_(line);
            outage = false;
            retry = kFirstRetry;
        }

        bool want = false, due = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            auto until = Clock::now() + kIdlePoll;
            if (driving_ && taken_) until = std::min(until, nextSend);
            wake_.wait_until(lock, until, [&] { return stopping_ || dirty_ || recheck_; });
            if (std::exchange(recheck_, false)) nextCheck = Clock::now();
            // A change right after a frame waits for the next frame's time, then the latest
            // state goes out whole.
            if (dirty_) wake_.wait_until(lock, nextFrame, [&] { return stopping_; });
            if (stopping_) break;
            if (graceEnds_ && Clock::now() >= *graceEnds_) {
                driving_ = false;
                graceEnds_.reset();
            }
            want = driving_;
            due = dirty_ && Clock::now() >= nextFrame;
            if (due) dirty_ = false;
        }
        bool ok = client_.drain(&error);
        if (ok && client_.takeDeviceListChanged()) {
            trouble("OpenRGB device list changed; finding the keyboards again");
            continue;
        }
        if (ok && want && taken_ && Clock::now() >= nextCheck) {
            bool changed = false;
            ok = checkDevices(changed, &error);
            nextCheck = Clock::now() + options_.checkEvery;
            if (ok && changed) {
                trouble("OpenRGB devices changed; finding the keyboards again");
                continue;
            }
            nextSend = Clock::now(); // a device taken back gets its frame at once
        }
        if (ok && !want && taken_) {
            ok = giveBack(&error);
        } else if (ok && want && (due || !taken_ || Clock::now() >= nextSend)) {
            if (!taken_) {
                ok = takeDevices(&error);
                nextCheck = Clock::now() + options_.checkEvery;
            }
            if (ok) ok = sendFrames(state_(), nextSend, &error);
            if (due) nextFrame = Clock::now() + options_.minInterval;
        }
        if (!ok) trouble("lost OpenRGB (" + error + "); reconnecting");
    }
    // However the server behaves, the host is gone soon after its stop.
    client_.resume(Clock::now() + kGiveBackTime);
    std::string error;
    if (client_.connected() && taken_) giveBack(&error);
    client_.close();
    connected_ = false;
    publish({});
}

bool OpenRgbOutput::discover(std::string* error, std::vector<std::string>& lines) {
    targets_.clear();
    if (!client_.open(options_.host, options_.port, error)) return false;
    const auto count = client_.controllerCount(error);
    if (!count) return false;
    if (*count > kMaxControllers) {
        *error = "it claims " + std::to_string(*count) + " controllers; more than " +
                 std::to_string(kMaxControllers) + " are not believed";
        client_.close();
        return false;
    }
    std::vector<std::string> found;
    Seen seen;
    seen.connected = true;
    seen.protocol = client_.version();
    for (uint32_t i = 0; i < *count; ++i) {
        auto device = client_.controllerData(i, error);
        if (!device) return false;
        const std::string shown = printableName(device->name);
        found.push_back(shown);
        const bool named = !options_.deviceName.empty() &&
                           trimmedLower(device->name) == trimmedLower(options_.deviceName);
        const int klass = deviceClass(*device);
        const bool wanted = options_.deviceName.empty()
                                ? (klass == 4 || options_.allDevices)
                                : (named || (klass != 4 && options_.allDevices));
        if (!wanted) {
            seen.leftAlone.emplace_back(shown, !options_.deviceName.empty()
                                                   ? "not the device named by --device"
                                                   : "not a keyboard (--all-devices lights it)");
            continue;
        }
        const DeviceSettings& settings = options_.devices.lookup(device->name);
        Target t;
        t.mode = device->directMode();
        if (t.mode < 0 && settings.allowSavingMode) {
            t.mode = device->savingMode();
            t.saving = t.mode >= 0;
        }
        if (t.mode < 0) {
            seen.leftAlone.emplace_back(shown, device->savingMode() < 0
                                                   ? "no per-LED mode"
                                                   : "its per-LED modes write its flash at "
                                                     "every change (its settings may allow it)");
            if (namedAlone_.insert(device->name).second)
                lines.push_back(
                    "OpenRGB device \"" + shown + "\" " +
                    (device->savingMode() < 0
                         ? "has no per-LED mode; left alone"
                         : "has only per-LED modes that write its flash at every change; left "
                           "alone (to light it anyway, with whole-keyboard colors at most once "
                           "a second, allow its saving mode in the host's settings for it)"));
            continue;
        }
        t.index = i;
        t.klass = klass;
        const int rate = std::max(1, settings.maxFrameRate);
        t.interval = t.saving ? std::chrono::microseconds(kSavingInterval)
                              : std::chrono::microseconds(1000000 / rate + 1);
        Seen::Lit lit{
            shown,
            printableName(device->modes[size_t(t.mode)].name),
            int(std::lround(1e6 / double(std::max(t.interval, options_.minInterval).count()))),
            t.saving,
            {}};
        if (klass == 4) {
            KeyResolution keys = resolveKeys(device->leds, settings.keyRemaps);
            t.ledsForKey = std::move(keys.ledsForKey);
            lit.missingKeys = keys.missing;
            // Named once a run, not at every reconnection.
            if (!keys.missing.empty() && namedMissing_.insert(device->name).second) {
                std::string names;
                for (const auto& n : keys.missing)
                    names += (names.empty() ? "" : ", ") + n;
                lines.push_back("\"" + shown + "\" has no LED for: " + names);
            }
        }
        original_.try_emplace(device->identity(), device->activeMode, device->colors);
        t.device = std::move(*device);
        targets_.push_back(std::move(t));
        seen.lit.push_back(std::move(lit));
    }
    publish(std::move(seen));
    if (targets_.empty()) {
        std::string names;
        for (const auto& n : found)
            names += (names.empty() ? "" : ", ") + ("\"" + n + "\"");
        lines.push_back("OpenRGB has no " +
                        (options_.deviceName.empty()
                             ? std::string("keyboard")
                             : "device named \"" + printableName(options_.deviceName) + "\"") +
                        " to light" + (names.empty() ? "" : " (found " + names + ")"));
    } else {
        std::string names;
        for (const auto& t : targets_)
            names += (names.empty() ? "" : ", ") + printableName(t.device.name);
        lines.push_back("connected to OpenRGB at " + options_.host + ":" +
                        std::to_string(options_.port) + " (protocol " +
                        std::to_string(client_.version()) + "): " + names);
    }
    return true;
}

bool OpenRgbOutput::takeDevices(std::string* error) {
    for (Target& t : targets_) {
        if (!client_.send(t.index, kUpdateMode, updateModePayload(t.device, t.mode), error))
            return false;
        t.sent.clear();
    }
    taken_ = true;
    return true;
}

bool OpenRgbOutput::checkDevices(bool& changed, std::string* error) {
    for (Target& t : targets_) {
        const auto now = client_.controllerData(t.index, error);
        if (!now) return false;
        if (now->identity() != t.device.identity() || now->leds.size() != t.device.leds.size()) {
            changed = true;
            return true;
        }
        if (now->activeMode == t.mode) continue;
        log_("OpenRGB device \"" + printableName(t.device.name) +
             "\" was switched to another mode; taking it back");
        if (!client_.send(t.index, kUpdateMode, updateModePayload(t.device, t.mode), error))
            return false;
        t.sent.clear();
    }
    return true;
}

bool OpenRgbOutput::giveBack(std::string* error) {
    for (Target& t : targets_) {
        const auto it = original_.find(t.device.identity());
        if (it == original_.end()) continue;
        const auto& [mode, colors] = it->second;
        if (colors.size() == t.device.leds.size() &&
            !client_.send(t.index, kUpdateLeds, updateLedsPayload(colors), error))
            return false;
        if (mode >= 0 && static_cast<size_t>(mode) < t.device.modes.size() && mode != t.mode &&
            !client_.send(t.index, kUpdateMode, updateModePayload(t.device, mode), error))
            return false;
        t.sent.clear();
    }
    taken_ = false;
    return true;
}

bool OpenRgbOutput::sendFrames(const hostsim::KeyboardState& state, Clock::time_point& next,
                               std::string* error) {
    const auto& whole = state.current().whole;
    if (whole != lastWhole_) {
        lastWhole_ = whole;
        const int target = state.targetDevice() < 0 ? 7 : state.targetDevice();
        for (int klass : {1, 2})
            if (target & klass) deskColor_[klass] = whole;
    }
    const auto now = Clock::now();
    next = Clock::time_point::max();
    for (Target& t : targets_) {
        // A flash-writing board shows the whole-keyboard color alone, and only once one is set.
        if (t.saving && !whole) continue;
        std::vector<uint32_t> colors = frameFor(t, state);
        if (t.saving) std::fill(colors.begin(), colors.end(), fromCommandUnits(*whole));
        const bool changed = colors != t.sent;
        if (changed && now < t.nextDue) {
            next = std::min(next, t.nextDue);
            continue;
        }
        if (changed || (!t.saving && now >= t.sentAt + kRepeat)) {
            if (!client_.send(t.index, kUpdateLeds, updateLedsPayload(colors), error)) return false;
            t.sent = std::move(colors);
            t.sentAt = now;
            t.nextDue = now + t.interval;
            updates_++;
        }
        if (!t.saving) next = std::min(next, t.sentAt + kRepeat);
    }
    return true;
}

std::vector<uint32_t> OpenRgbOutput::frameFor(const Target& t,
                                              const hostsim::KeyboardState& state) {
    const auto found = original_.find(t.device.identity());
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
    for (const auto& [key, leds] : t.ledsForKey) {
        std::optional<uint32_t> color;
        if (const auto own = now.keys.find(key); own != now.keys.end()) {
            color = fromCommandUnits(own->second);
        } else if (const auto cell = et::keyCellOffset(key); cell && now.bitmap) {
            const auto& b = *now.bitmap;
            const auto at = static_cast<size_t>(*cell);
            color = rgb(b[at + 2], b[at + 1], b[at]);
        }
        if (color)
            for (int led : leds)
                colors[static_cast<size_t>(led)] = *color;
    }
    return colors;
}

void OpenRgbOutput::publish(Seen seen) {
    std::lock_guard<std::mutex> lock(seenMutex_);
    seen_ = std::move(seen);
}

std::string openRgbLine(uint32_t protocol) {
    if (protocol == 4) return "OpenRGB 0.9";
    if (protocol >= 5) return "OpenRGB 1.0";
    return "OpenRGB before 0.9 (SDK protocol " + std::to_string(protocol) + ")";
}

void OpenRgbOutput::status(JSONValue& document) const {
    using hostsim::wideText;
    Seen seen;
    {
        std::lock_guard<std::mutex> lock(seenMutex_);
        seen = seen_;
    }
    if (JSONValue* outputs = document.Child(L"outputs")) outputs->Append(JSONValue(L"openrgb"));
    JSONValue* mine = document.SetMember(L"openrgb", JSONValue(JSONObject{}));
    mine->SetMember(L"address",
                    JSONValue(wideText(options_.host + ":" + std::to_string(options_.port))));
    mine->SetMember(L"connected", JSONValue(seen.connected));
    if (seen.connected) {
        mine->SetMember(L"protocol", JSONValue(double(seen.protocol)));
        mine->SetMember(L"line", JSONValue(wideText(openRgbLine(seen.protocol))));
    } else if (!seen.trouble.empty()) {
        mine->SetMember(L"trouble", JSONValue(wideText(seen.trouble)));
    }
    JSONValue* lit = mine->SetMember(L"lit", JSONValue(JSONArray{}));
    for (const auto& device : seen.lit) {
        JSONValue* d = lit->Append(JSONValue(JSONObject{}));
        d->SetMember(L"name", JSONValue(wideText(device.name)));
        d->SetMember(L"mode", JSONValue(wideText(device.mode)));
        d->SetMember(L"frameRate", JSONValue(double(device.frameRate)));
        d->SetMember(L"wholeColorsOnly", JSONValue(device.saving));
        JSONValue* missing = d->SetMember(L"missingKeys", JSONValue(JSONArray{}));
        for (const auto& key : device.missingKeys)
            missing->Append(JSONValue(wideText(key)));
    }
    JSONValue* alone = mine->SetMember(L"leftAlone", JSONValue(JSONArray{}));
    for (const auto& [name, why] : seen.leftAlone) {
        JSONValue* d = alone->Append(JSONValue(JSONObject{}));
        d->SetMember(L"name", JSONValue(wideText(name)));
        d->SetMember(L"why", JSONValue(wideText(why)));
    }
}

std::string OpenRgbOutput::statsMember() const {
    return std::string("\"openrgb\":{\"connected\":") + (connected() ? "true" : "false") +
           ",\"updates\":" + std::to_string(updatesSent()) + "}";
}

} // namespace orgb
