// The whole chain: the CorvaneLED library → the host (server and OpenRGB output) → the
// OpenRGB SDK server test peer, whose LED colors and modes are read back on its stdin.
#include "ChildProcess.h"
#include "CorvaneLED.h"
#include "Host.h"
#include "KeyList.h"
#include "KeyMap.h"
#include "LightingLine.h"
#include "OpenRgbOutput.h"
#include "OpenRgbPeer.h"
#include "PolledHostStatus.h"
#include "StatusClient.h"
#include "StatusText.h"

#include <glib.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

namespace {

// A protocol-0 keyboard description: one Direct mode, no zones, `leds` LEDs, the first Escape.
std::vector<uint8_t> keyboardV0(const std::string& name, size_t leds) {
    std::vector<uint8_t> d(4);
    auto u16 = [&](size_t v) { d.insert(d.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    auto str = [&](const std::string& s) {
        u16(s.size() + 1), d.insert(d.end(), s.begin(), s.end() + 1);
    };
    u16(orgb::kDeviceTypeKeyboard), u16(0), str(name), str(""), str(""), str(""), str("");
    u16(1), d.resize(d.size() + 4), str("Direct"), d.resize(d.size() + 4);
    u16(orgb::kModeFlagPerLedColor), d.resize(d.size() + 34), u16(leds); // no colors, no zones
    for (size_t i = 0; i < leds; ++i)
        str(i ? "" : "Key: Escape"), d.resize(d.size() + 4);
    u16(leds), d.resize(d.size() + 4 * leds);
    for (int i = 0; i < 4; ++i)
        d[size_t(i)] = uint8_t(d.size() >> (8 * i));
    return d;
}

// A hostile OpenRGB server, one connection at a time: it answers the handshake (but the first
// kind), claiming `count` controllers, each `keyboard`, then floods unasked packets, stops
// reading or hangs up.
enum class After { FloodUnanswered, Flood, StopReading, HangUp };
struct FakeServer {
    FakeServer(After after, uint32_t count = 1,
               std::vector<uint8_t> keyboard = keyboardV0("Fake", 1)) {
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof a;
        ::bind(listen, (sockaddr*)&a, size), ::listen(listen, 4),
            ::getsockname(listen, (sockaddr*)&a, &size);
        port = ntohs(a.sin_port);
        thread = std::thread([=, this] {
            for (int c; (c = ::accept(listen, nullptr, nullptr)) >= 0; ::close(c))
                connections++,
                    serve(c, after, {uint8_t(count), uint8_t(count >> 8), 0, 0}, keyboard);
        });
    }
    ~FakeServer() {
        stop = true;
        ::shutdown(listen, SHUT_RDWR);
        thread.join();
        ::close(listen);
    }
    bool next(int c, orgb::Header& h, std::vector<uint8_t>& in) {
        std::array<uint8_t, orgb::kHeaderSize> raw;
        if (::recv(c, raw.data(), raw.size(), MSG_WAITALL) != ssize_t(raw.size())) return false;
        h = orgb::parseHeader(raw).value(), in.resize(h.size);
        return !h.size || ::recv(c, in.data(), h.size, MSG_WAITALL) == ssize_t(h.size);
    }
    void put(int c, orgb::Header h, const std::vector<uint8_t>& payload) {
        const auto bytes = orgb::packet(h.device, h.id, payload);
        ::send(c, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    void serve(int c, After after, const std::vector<uint8_t>& count,
               const std::vector<uint8_t>& keyboard) {
        orgb::Header h;
        std::vector<uint8_t> in, unasked;
        for (int i = 0; i < 1024; ++i)
            for (uint8_t b : orgb::packet(0, 9999))
                unasked.push_back(b);
        while (after != After::FloodUnanswered && next(c, h, in) &&
               h.id != orgb::kRequestControllerData)
            if (h.id == orgb::kRequestProtocolVersion || h.id == orgb::kRequestControllerCount)
                put(c, h, h.id ? std::vector<uint8_t>(4) : count);
        if (h.id == orgb::kRequestControllerData) put(c, h, keyboard);
        for (pollfd p{c, 0, 0}; after != After::HangUp && !stop; ::poll(&p, 1, 100)) {
            p.events = after <= After::Flood ? POLLIN | POLLOUT : 0;
            if (p.revents & (POLLHUP | POLLERR)) return;
            if (p.revents & POLLOUT) ::send(c, unasked.data(), unasked.size(), MSG_NOSIGNAL);
            if ((p.revents & POLLIN) && !next(c, h, in)) return;
            if ((p.revents & POLLIN) && h.id == orgb::kUpdateLeds)
                firstLed = in[6] | in[7] << 8 | in[8] << 16;
        }
    }
    int listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), port = 0;
    std::atomic<int> connections{0};
    std::atomic<uint32_t> firstLed{~0u}; // of the last UPDATELEDS
    std::atomic<bool> stop{false};
    std::thread thread;
};

// A client of the host's socket at `path`; -1 when it cannot connect.
int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

// A host in this process with a socket folder of its own.
class Session : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/et-orgb-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
    }
    void TearDown() override {
        CorvLedShutdown();
        if (host_) host_->stop();
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    // The host as corvane-host runs it, in this process so that sanitizers see its threads.
    void startHost(int port, orgb::DeviceSettings device = {}) {
        orgb::OpenRgbOptions options;
        options.port = port;
        options.devices.set(device);
        std::lock_guard{mutex_}, log_.clear();
        host_ = std::make_unique<hostsim::Host>(dir_ + "/Corvane/CHS_LED_SDK",
                                                [](const std::string&) {});
        auto output = std::make_unique<orgb::OpenRgbOutput>(
            options, [this] { return host_->server().state(); },
            [this](const std::string& line) { std::lock_guard{mutex_}, log_.push_back(line); });
        output_ = output.get();
        host_->addOutput(std::move(output));
        host_->server().setKeepMessages(false);
        ASSERT_TRUE(host_->start());
        ASSERT_TRUE(CorvLedInit());
    }
    // True once every named LED of the peer shows its color.
    bool shows(const Colors& expected, double seconds = 3) {
        return within(seconds, [&] {
            const Colors now = peer_->colors();
            return std::all_of(expected.begin(), expected.end(), [&](const auto& led) {
                return now.count(led.first) && now.at(led.first) == led.second;
            });
        });
    }

    size_t logged(const std::string& part) {
        std::lock_guard lock{mutex_};
        return size_t(std::count_if(log_.begin(), log_.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos;
        }));
    }
    // The peer's count of one kind for device 0 (`stats` updates, `saves` count).
    int count(const char* what) { return std::stoi(peer_->ask(what).at(0).substr(2)); }

    std::mutex mutex_;
    std::vector<std::string> log_;
    std::string dir_;
    std::unique_ptr<Peer> peer_;
    std::unique_ptr<hostsim::Host> host_;
    orgb::OpenRgbOutput* output_ = nullptr; // owned by host_
};

// The same session against each OpenRGB line.
class Chain : public Session, public ::testing::WithParamInterface<Line> {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(GetParam().program))
            GTEST_SKIP() << GetParam().name << " test peer not built (see ET_OPENRGB*_PEER_DIR)";
        Session::SetUp();
    }
    std::unique_ptr<Peer> makePeer(std::vector<std::string> options = {}, int port = 0) {
        return std::make_unique<Peer>(GetParam(), port, std::move(options));
    }
};

// One session through the chain: direct mode taken over, whole colors, keys and bitmaps
// (saved lighting is the host's state, checked in host-sim), a storm of pulses coalesced into
// frames, and at the end the mode and colors the server had before given back.
TEST_P(Chain, LightsColorsKeysBitmapsAndPulsesAndGivesBackWhatItFound) {
    peer_ = makePeer({"--start-static"});
    const Colors found = peer_->colors();
    startHost(peer_->port());
    CorvLedSetTargetDevice(4);
    ASSERT_TRUE(CorvLedSetLighting(0, 0, 100));
    EXPECT_TRUE(shows({{"Key: Escape", "#0000FF"}, {"Underglow LED 0", "#0000FF"}}));
    EXPECT_EQ(peer_->mode(), "Direct");

    CorvLedSetLightingForKeyWithKeyName(CLK_A, 100, 50, 0);
    CorvLedSetLightingForKeyWithKeyName(CLK_Q, 0, 100, 0);
    EXPECT_TRUE(shows({{"Key: A", "#FF7F00"}, {"Key: Q", "#00FF00"}, {"Key: W", "#0000FF"}}));

    unsigned char bitmap[504] = {};
    bitmap[2] = 255; // Esc's cell: blue, green, red, alpha
    CorvLedSetLightingFromBitmap(bitmap);
    // Keys the board lacks, or no key at all, change nothing and break nothing.
    CorvLedSetLightingForKeyWithKeyName(CLK_P1, 100, 100, 100);
    CorvLedSetLightingForKeyWithKeyName(static_cast<KeyName>(0x7FF), 100, 100, 100);
    CorvLedSetLightingForKeyWithKeyName(CLK_KeypadEnter, 0, 100, 0);
    EXPECT_TRUE(shows(
        {{"Key: Escape", "#FF0000"}, {"Key: A", "#000000"}, {"Key: Number Pad Enter", "#00FF00"}}));

    // 60 frames a second at most, whatever the thousands of key messages behind them.
    const KeyName keys[] = {CLK_1, CLK_2, CLK_3, CLK_4, CLK_5, CLK_6, CLK_7, CLK_8, CLK_9,
                            CLK_0, CLK_Q, CLK_W, CLK_E, CLK_R, CLK_T, CLK_A, CLK_S, CLK_D};
    for (KeyName k : keys)
        CorvLedPulseSingleKey(k, 100, 0, 0, 20, 0, 0, 500, true);
    const uint64_t before = output_->updatesSent();
    within(1.0, [] { return false; });
    EXPECT_LE(output_->updatesSent() - before, 66u);
    // A stopped pulse restores its key on its timer's next tick; the final frame follows.
    for (KeyName k : keys)
        CorvLedStopEffectsOnKey(k);
    within(0.2, [] { return false; });
    for (KeyName k : keys)
        CorvLedSetLightingForKeyWithKeyName(k, 0, 100, 0);
    EXPECT_TRUE(shows({{"Key: 1", "#00FF00"}, {"Key: 0", "#00FF00"}, {"Key: D", "#00FF00"}}));

    // The last client gone, the board is given back; the next one's first lighting takes it
    // again and shows the whole frame, though it has not changed since it was last sent.
    output_->clientsChanged(0);
    EXPECT_TRUE(within(3, [&] { return peer_->mode() == "Static"; }));
    output_->clientsChanged(1);
    CorvLedSetLightingForKeyWithKeyName(CLK_1, 0, 100, 0);
    EXPECT_TRUE(shows({{"Key: 1", "#00FF00"}, {"Key: Escape", "#FF0000"}}));

    CorvLedShutdown();
    EXPECT_TRUE(within(3, [&] { return peer_->mode() == "Static"; }));
    EXPECT_TRUE(within(3, [&] { return peer_->colors() == found; }));
}

// The host finds a server that starts late and after every restart; the client speaks
// every protocol version up to its own.
TEST_P(Chain, FindsTheServerWhenItStartsLateAndAfterEveryRestartAtEveryVersion) {
    const int port = makePeer()->port();
    startHost(port);
    CorvLedSetLighting(0, 100, 0);
    for (int round = 0; round < 2; ++round) {
        peer_.reset();
        peer_ = makePeer({}, port);
        ASSERT_EQ(peer_->port(), port);
        // A fresh server shows its own colors until the host has found it again.
        EXPECT_TRUE(shows({{"Key: Escape", "#00FF00"}}, 2.5)) << "round " << round;
    }
    // After a rescan the devices are new ones, black and in their first mode.
    for (const char* change : {"rescan", "unplug 0", "plug"})
        peer_->ask(change);
    EXPECT_TRUE(shows({{"Key: Escape", "#00FF00"}}, 4));
    EXPECT_EQ(peer_->mode(), "Direct");
    for (uint32_t version = 0; version <= orgb::kClientProtocolVersion; ++version) {
        orgb::SdkClient client;
        std::string error;
        ASSERT_TRUE(client.open(version ? "127.0.0.1" : "localhost", port, &error, version))
            << error;
        EXPECT_EQ(client.version(), std::min(version, GetParam().version));
        const auto device = client.controllerData(0, &error);
        ASSERT_TRUE(device) << "version " << version << ": " << error;
        EXPECT_EQ(device->leds.size(), GetParam().leds);
        EXPECT_EQ(device->zones.size(), GetParam().zones);
        EXPECT_EQ(device->directMode(), 0);
    }
}

// Clients that come and go without lighting anything leave the devices alone; one that lit
// them and comes straight back keeps them; when it leaves for good they are given back.
TEST_P(Chain, OnlyLightingTakesTheDevicesAndAShortAbsenceKeepsThem) {
    peer_ = makePeer({"--start-static"});
    startHost(peer_->port());
    for (int i = 0; i < 50; ++i)
        ::close(connectTo(dir_ + "/Corvane/CHS_LED_SDK"));
    EXPECT_TRUE(within(5, [&] { return host_->server().connectionsServed() == 51; }));
    EXPECT_FALSE(within(0.7, [&] { return peer_->mode() != "Static"; }));
    EXPECT_EQ(count("stats"), 0); // no LED update either
    CorvLedSetLighting(0, 0, 100);
    EXPECT_TRUE(within(3, [&] { return peer_->mode() == "Direct"; }));
    // An idle board gets its frame again every 1.2 s, so that it never falls back to its own
    // effect; not more often.
    const int before = count("stats");
    within(3, [] { return false; });
    EXPECT_NEAR(count("stats") - before, 2.5, 0.5);
    // A mode switched behind the host's back (a profile loaded on resume) is taken back.
    peer_->ask("mode Static");
    EXPECT_TRUE(within(10, [&] { return peer_->mode() == "Direct"; }));
    EXPECT_EQ(logged("switched to another mode"), 1u);
    CorvLedShutdown();
    ASSERT_TRUE(CorvLedInit());
    EXPECT_FALSE(within(0.7, [&] { return peer_->mode() != "Direct"; }));
    CorvLedShutdown();
    EXPECT_TRUE(within(3, [&] { return peer_->mode() == "Static"; }));
}

// A board whose only per-LED mode writes its flash is named once and left alone; allowed that
// mode, it shows whole-keyboard colors alone, at most one a second, and no idle repeats.
TEST_P(Chain, NeverStreamsIntoAModeThatWritesTheFlashUnlessAllowed) {
    for (const bool allowed : {false, true}) {
        SCOPED_TRACE(allowed ? "allowed" : "not allowed");
        peer_ = makePeer({"--no-direct"});
        startHost(peer_->port(), {GetParam().keyboard, 60, {}, allowed});
        CorvLedSetLighting(0, 0, 100);
        CorvLedSetLightingForKeyWithKeyName(CLK_A, 100, 0, 0);
        EXPECT_EQ(shows({{"Key: A", "#0000FF"}, {"Key: Escape", "#0000FF"}}, 1.5), allowed);
        for (int shade : {25, 50, 75})
            CorvLedSetLighting(shade, 0, 100);
        EXPECT_EQ(shows({{"Key: Escape", "#BF00FF"}}, allowed ? 3 : 0.5), allowed);
        within(2.5, [] { return false; });
        EXPECT_EQ(count("saves"), allowed ? 2 : 0); // blue, then the last shade a second later
        EXPECT_EQ(peer_->mode(), "Custom");
        EXPECT_EQ(logged("write its flash"), allowed ? 0u : 1u);
        CorvLedShutdown();
        host_->stop();
    }
}

// What --status tells through the chain: the server's line, the board lit with its mode, rate
// and the keys it lacks, or left alone and why; the client; a server gone.
TEST_P(Chain, StatusTellsTheServerTheBoardsLitOrLeftAloneAndTheClients) {
    auto shown = [&] {
        const auto answer = hoststatus::askStatus(host_->statusPath(), std::chrono::seconds(3));
        return hoststatus::describeStatus(answer.text).value_or("no status: " + answer.error);
    };
    auto says = [&](const std::string& part) {
        return within(5, [&] { return shown().find(part) != std::string::npos; });
    };
    const std::string line = GetParam().version == 4 ? "OpenRGB 0.9" : "OpenRGB 1.0",
                      board = '"' + std::string(GetParam().keyboard) + '"';
    for (const bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "direct" : "no direct mode");
        peer_ =
            makePeer(direct ? std::vector<std::string>{} : std::vector<std::string>{"--no-direct"});
        startHost(peer_->port());
        EXPECT_TRUE(says("Clients connected: 1 (")) << shown();
        EXPECT_TRUE(says("connected, " + line + " (SDK protocol " +
                         std::to_string(GetParam().version) + ")\n"))
            << shown();
        EXPECT_TRUE(says(direct ? "lights " + board +
                                      " in mode \"Direct\", at most 60 frames a second\n"
                                      "    keys it has no LED for: P1, "
                                : "  no device lit\n  leaves " + board +
                                      " alone: its per-LED modes write its flash"))
            << shown();
        // The application's line names the board as the host does, without edge blanks.
        std::string name = GetParam().keyboard;
        name.erase(name.find_last_not_of(' ') + 1);
        const auto answer = hoststatus::askStatus(host_->statusPath(), std::chrono::seconds(3));
        EXPECT_EQ(et::lightingLine(et::parseHostReport(answer.text)),
                  "Lighting: " +
                      (direct ? name + " through " + line
                              : line + " has no keyboard to light (" + name + " left alone)"));
        if (direct) {
            const std::string at = "127.0.0.1:" + std::to_string(peer_->port());
            peer_.reset();
            EXPECT_TRUE(says("OpenRGB at " + at + ": not connected (")) << shown();
        }
        CorvLedShutdown();
        host_->stop();
    }
}

// A server that floods unasked packets, or stops reading frames of 60000 LEDs, holds neither
// the frames nor the host's exit. CPU and exit times are printed, not judged.
TEST_F(Session, AFloodingOrStalledServerHoldsNeitherTheFramesNorTheExit) {
    for (const After after : {After::Flood, After::StopReading}) {
        FakeServer server(after, 1, keyboardV0("Fake", after == After::Flood ? 1 : 60000));
        const std::string socket = dir_ + "/Corvane/CHS_LED_SDK",
                          port = std::to_string(server.port);
        ChildProcess host({ET_CORVANE_HOST, "--openrgb", "127.0.0.1:" + port, "--socket", socket},
                          true);
        ASSERT_TRUE(within(5, [&] { return std::filesystem::exists(socket); }) && CorvLedInit());
        auto cpu = [&, ticks = std::array<unsigned long, 2>{}]() mutable {
            std::ifstream in("/proc/" + std::to_string(host.pid()) + "/stat");
            const std::string stat{std::istreambuf_iterator<char>(in), {}};
            std::sscanf(stat.c_str() + stat.rfind(')') + 2,
                        "%*s%*s%*s%*s%*s%*s%*s%*s%*s%*s%*s%lu%lu", &ticks[0], &ticks[1]);
            return double(ticks[0] + ticks[1]) / double(::sysconf(_SC_CLK_TCK));
        };
        EXPECT_TRUE(
            within(5, [&] { return CorvLedSetLighting(100, 0, 0) && server.firstLed == 0xFF; }) ||
            after == After::StopReading);
        const double before = cpu();
        int shade = 0;
        within(1.5, [&] { return !CorvLedSetLighting(shade++ % 100, 0, 0); });
        const auto stopped = std::chrono::steady_clock::now();
        const double used = cpu() - before;
        ::kill(host.pid(), SIGTERM);
        EXPECT_EQ(host.wait(5), 0);
        std::fprintf(
            stderr, "%s server: host CPU %.0f %% for 1.5 s, exit %.2f s after SIGTERM\n",
            after == After::Flood ? "flooding" : "stalled", used / 1.5 * 100,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - stopped).count());
        CorvLedShutdown();
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, Chain, ::testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

// A request ends by its deadline however much else the server sends meanwhile.
TEST(SdkClient, RequestsEndByTheirDeadlineWhateverElseArrives) {
    FakeServer server(After::FloodUnanswered);
    orgb::SdkClient client;
    client.replyTimeout = std::chrono::milliseconds(200);
    std::string error;
    EXPECT_FALSE(client.open("127.0.0.1", server.port, &error) && client.controllerCount(&error));
    // A description cut short is refused, whatever follows the first field that does not fit.
    const auto cut = keyboardV0("Fake", 1);
    EXPECT_FALSE(orgb::parseDevice(std::span(cut).first(30), 0));
}

// More than 64 controllers are refused, and whatever a server names its devices, the log
// shows each name short and on one line. A server that answers and hangs up is retried ever
// more slowly and reported once.
TEST(OpenRgbOutput, RefusesAbsurdCountsAndNamesAndRetriesAFlappingServerSlowly) {
    for (const uint32_t count : {3000u, 1u}) {
        FakeServer server(After::HangUp, count,
                          keyboardV0("Evil\n\x1b[1m\\\xc2\x9b" + std::string(60000, 'x'), 1));
        std::mutex mutex;
        std::vector<std::string> lines;
        orgb::OpenRgbOutput output(
            {"127.0.0.1", server.port, "", false, {}, {}}, [] { return hostsim::KeyboardState{}; },
            [&](const std::string& line) {
                std::lock_guard<std::mutex>{mutex}, lines.push_back(line);
            });
        output.start();
        within(3, [] { return false; });
        output.stop();
        std::fprintf(stderr,
                     "server claiming %u controllers: %d connections, %zu log lines in 3 s\n",
                     count, server.connections.load(), lines.size());
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(
            lines[0].find(count > 1 ? "3000 controllers" : "Evil\\x0A\\x1B[1m\\x5C\\u009Bxxx"),
            std::string::npos)
            << lines[0].substr(0, 120);
        EXPECT_LE(lines.size(), 3u); // what it found (a board of one LED lacks keys), its loss
        EXPECT_LE(server.connections, 12);
        for (const auto& line : lines)
            EXPECT_EQ(line.find_first_of("\n\x1b"), line.find(std::string(65, 'x'))) // neither
                << line.substr(0, 120);
    }
}

TEST_P(Chain, EveryKeyOfTheApplicationHasAnLedOnFullAnsiAndIsoBoards) {
    // The debug boards have no macro keys and no logo; Fn stands in for Right Windows.
    std::vector<int32_t> extras;
    for (const auto& extra : et::extraKeys())
        extras.push_back(extra.keyName);
    for (const char* layout : {"ansi", "iso"}) {
        peer_ = makePeer({"--layout", layout});
        std::vector<std::string> leds;
        for (const auto& [name, color] : peer_->colors())
            leds.push_back(name);
        const orgb::KeyResolution resolved = orgb::resolveKeys(leds);
        std::vector<int32_t> missing;
        for (const auto& row : et::keyList()) {
            const int32_t key = et::keyNameForId(row.id);
            if (row.id != et::kNoKey && !resolved.ledsForKey.count(key)) missing.push_back(key);
        }
        EXPECT_EQ(missing, extras) << layout;
        auto ledOf = [&](int32_t key) { return leds[size_t(resolved.ledsForKey.at(key).at(0))]; };
        EXPECT_EQ(ledOf(CLK_RightGui), "Key: Right Fn") << layout;
        EXPECT_EQ(ledOf(CLK_Backslash), std::string(layout) == "iso" ? "Key: #" : "Key: \\ (ANSI)");
    }
}

// Key LEDs as drivers name them: case, blanks and the prefix aside, OpenRGB 0.9's and 1.0's
// regional names, ISO and ABNT places, keys of several LEDs, two logos, and the player's remaps.
TEST(KeyMap, FindsKeysAsDriversNameThem) {
    using Lit = std::map<int32_t, std::vector<int>>;
    const struct {
        std::vector<std::string> leds;
        Lit lit; // of some keys
        std::map<int32_t, std::string> remaps = {};
    } rows[] = {
        {{"Key: Ä", " KEY:\tNumber Pad Enter \t", "key: escape ", "Escape", "Key: Space LED 1",
          "Underglow LED 1", "Key: Space LED 12"},
         {{CLK_KeypadEnter, {1}}, {CLK_Escape, {2, 3}}, {CLK_Space, {4, 6}}}},
        {{"Key: Ø/Ä", "Key: Æ/Ö", "Key: ½/§", "Key: - _", "Key: -", "Logo LED 1", "Logo LED 2"},
         {{CLK_SemicolonAndColon, {0}},
          {CLK_GraveAccentAndTilde, {2}},
          {CLK_SlashAndQuestionMark, {3}},
          {CLK_CrestLogo, {5}},
          {CLK_TalonBadge, {6}}}},
        {{"Key: Ä Ø", "Key: Ö Æ", "Key: § ½", "Key: \\ (ISO)", "Key: #", "Key: Enter (ISO)"},
         {{CLK_ApostropheAndDoubleQuote, {1}},
          {CLK_GraveAccentAndTilde, {2}},
          {CLK_Backslash, {4}},
          {CLK_Enter, {5}}}},
        {{"Key: ç"}, {{CLK_SemicolonAndColon, {0}}}},
        {{"Key: A", "Mystery 7"},
         {{CLK_A, {1}}, {CLK_B, {0}}},
         {{CLK_A, "mystery 7"}, {CLK_B, "A"}}},
    };
    for (const auto& row : rows)
        for (const auto& [key, lit] : row.lit) {
            const auto resolved = orgb::resolveKeys(row.leds, row.remaps).ledsForKey;
            EXPECT_EQ(resolved.count(key) ? resolved.at(key) : std::vector<int>{}, lit)
                << row.leds.back() << " for key " << key;
        }
}

// The socket, without any OpenRGB: private to the user, one host at a time, a stale file
// replaced, one client's garbage costing only that client, and gone when the host stops.
TEST(HostSocket, IsPrivateServedOnceAndSharedByClients) {
    char pattern[] = "/tmp/et-sock-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string dir = pattern, path = dir + "/Corvane/CHS_LED_SDK";
    auto host = std::make_unique<ChildProcess>(
        std::vector<std::string>{ET_CORVANE_HOST, "--output", "virtual", "--socket", path}, true);
    ASSERT_TRUE(within(5, [&] { return std::filesystem::exists(path); }));
    struct stat folder {
    }, socket{};
    ASSERT_EQ(::stat((dir + "/Corvane").c_str(), &folder), 0);
    ASSERT_EQ(::stat(path.c_str(), &socket), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(socket.st_mode & 0777, 0600u);
    ChildProcess second({ET_CORVANE_HOST, "--output", "virtual", "--socket", path}, true);
    EXPECT_EQ(second.wait(5), 1);

    // Killed without cleaning up: the next host replaces the stale socket file.
    ::kill(host->pid(), SIGKILL);
    host.reset();
    ASSERT_TRUE(std::filesystem::exists(path));
    hostsim::HostServer server(path);
    std::vector<std::string> errors;
    server.setOnError([&](const std::string& e) { errors.push_back(e); });
    std::string error;
    ASSERT_TRUE(server.start(&error)) << error;
    const int good = connectTo(path), bad = connectTo(path);
    ASSERT_TRUE(good >= 0 && bad >= 0);
    const int32_t whole[] = {20, 0x802, 1, 2, 3}, garbage[] = {12, 0x80A, 0};
    ASSERT_EQ(::write(bad, whole, sizeof whole), static_cast<ssize_t>(sizeof whole));
    ASSERT_EQ(::write(bad, garbage, sizeof garbage), static_cast<ssize_t>(sizeof garbage));
    char byte;
    EXPECT_EQ(::recv(bad, &byte, 1, 0), 0) << "the host did not hang up on garbage";
    ASSERT_EQ(::write(good, whole, sizeof whole), static_cast<ssize_t>(sizeof whole));
    EXPECT_TRUE(server.waitForMessages(2, 5)) << "the good client was dropped too";
    EXPECT_EQ(server.connectionsDropped(), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("unknown command"), std::string::npos);
    ::close(good);
    ::close(bad);
    server.stop();
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::remove_all(dir);
}

// Which outputs each program starts: corvane-host drives OpenRGB unless told otherwise,
// corvane-host-sim shows the virtual keyboard unless given an OpenRGB server or output.
TEST(HostCommandLine, ChoosesTheOutputsEachProgramDefaultsTo) {
    char pattern[] = "/tmp/et-outputs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string socket = std::string(pattern) + "/sock";
    const struct {
        std::vector<std::string> command;
        bool openrgb;
    } rows[] = {
        {{ET_CORVANE_HOST}, true},
        {{ET_CORVANE_HOST, "--output", "virtual"}, false},
        {{ET_CORVANE_HOST_SIM}, false},
        {{ET_CORVANE_HOST_SIM, "--openrgb", "127.0.0.1:9"}, true},
        {{ET_CORVANE_HOST_SIM, "--output", "virtual", "--output", "openrgb"}, true},
    };
    for (const auto& row : rows) {
        std::vector<std::string> command = row.command;
        command.insert(command.end(), {"--socket", socket});
        SCOPED_TRACE(command.back() + " " + std::to_string(command.size()));
        ChildProcess host(command, true);
        ASSERT_TRUE(within(5, [&] { return std::filesystem::exists(socket); }));
        ASSERT_TRUE(host.write("stats\n"));
        std::optional<std::string> line;
        while ((line = host.readLine(5)) && line->rfind("{\"connections\"", 0) != 0) {
        }
        ASSERT_TRUE(line);
        EXPECT_EQ(line->find("\"openrgb\"") != std::string::npos, row.openrgb) << *line;
        host.stop();
        std::filesystem::remove(socket);
    }
    std::filesystem::remove_all(pattern);
}

} // namespace
