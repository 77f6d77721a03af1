// The host's settings file (parser, files it cannot use, through corvane-host to the peers),
// the wake-up re-read, and boards that come back elsewhere or behind device-list notices.
#include "CorvaneLED.h"
#include "Host.h"
#include "OpenRgbOutput.h"
#include "OpenRgbPeer.h"
#include "SdkClient.h"
#include "SettingsFile.h"
#include "SleepWatcher.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <filesystem>
#include <fstream>

namespace {

using Log = std::vector<std::string>;

auto into(Log& log) {
    return [&log](const std::string& line) { log.push_back(line); };
}

// Each bad line is named with its number and why, and skipped; the lines around it count.
TEST(SettingsFile, NamesEachBadLineAndKeepsTheRest) {
    const std::pair<std::string, const char*> rows[] = {
        {"\xEF\xBB\xBF# Which boards get what; [not a section]", nullptr},
        {"max-frame-rate = 9", "comes before any [DEVICE NAME] section"},
        {"[ debug KEYBOARD ]", nullptr},
        {"max-frame-rate = 61", "max-frame-rate is a whole number from 1 to 60, not \"61\""},
        {"max-frame-rate=0", "max-frame-rate is a whole number from 1 to 60, not \"0\""},
        {"\tMAX-FRAME-RATE = 024 \r", nullptr},
        {"allow-saving-mode = maybe", "allow-saving-mode is yes or no, not \"maybe\""},
        {"allow-saving-mode = No", nullptr},
        {"allow-saving-mode = On", nullptr},
        {"remap Nowhere = Key: A", "no key is named \"Nowhere\""},
        {"remap Escape =", "remap Escape names no LED"},
        {"remap = = Key: Equals", nullptr},
        {"remap G2 = M2", nullptr},
        {"Remap key: number pad enter = Mystery # 7", nullptr},
        {"speed 3", "no \"=\" (settings are NAME = VALUE)"},
        {"colour = red",
         "unknown setting \"colour\" (max-frame-rate, allow-saving-mode or remap KEY)"},
        {"\x1b[1m = 1", "holds control characters"},
        {"[Board", "a section is [DEVICE NAME], with the closing \"]\""},
        {"remap A = B", "is in a section that was skipped"},
        {"[]", "a section needs the device's name"},
        {"[DEBUG keyboard]", nullptr},
        {"max-frame-rate = 30", nullptr},
        {std::string(1025, 'x'), "longer than 1024 characters"},
    };
    std::string text;
    Log expected, log;
    for (size_t i = 0; i < std::size(rows); ++i) {
        text += rows[i].first + "\n";
        if (rows[i].second)
            expected.push_back("f line " + std::to_string(i + 1) + ": " + rows[i].second +
                               "; line skipped");
    }
    const auto table = orgb::parseSettings(text, "f", into(log));
    EXPECT_EQ(log, expected);
    EXPECT_EQ(table.size(), 1u);
    const orgb::DeviceSettings& board = table.lookup("Debug Keyboard");
    EXPECT_EQ(board.maxFrameRate, 30);
    EXPECT_TRUE(board.allowSavingMode);
    EXPECT_EQ(board.keyRemaps, (std::map<int32_t, std::string>{{CLK_EqualsAndPlus, "Key: Equals"},
                                                               {CLK_KeypadEnter, "Mystery # 7"},
                                                               {CLK_P2, "M2"}}));
    // A file of nothing but bad lines costs the log 21 lines.
    for (int i = 0; i < 25; ++i)
        text += "x\n";
    log.clear();
    orgb::parseSettings("[a]\n" + text.substr(text.size() - 50), "g", into(log));
    ASSERT_EQ(log.size(), 21u);
    EXPECT_EQ(log[19].substr(0, 10), "g line 21:");
    EXPECT_EQ(log[20], "g: 5 more bad lines skipped");
}

// A file that cannot be used at all is one line and the defaults; the host goes on.
TEST(SettingsFile, AFileItCannotUseIsOneLineAndTheDefaults) {
    const std::filesystem::path dir = ::testing::TempDir() + "/et-settings-files";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ::mkfifo((dir / "fifo").c_str(), 0600);
    const std::string fits = "[x]\nmax-frame-rate = 5\n", max(orgb::kMaxSettingsBytes, '\n');
    const struct {
        std::string name, content;
        std::string said;
        int rate = 60;
    } rows[] = {
        {"missing", "", "no settings file \"" + (dir / "missing").string() + "\"; every"},
        {"fifo", "", "is not a file; every OpenRGB device gets the defaults"},
        {"binary", fits + '\0', "is not text"},
        {"binary/below", "", "(Not a directory); every"},
        {"huge", fits + max, "is larger than 1 MiB, so no settings file"},
        {"largest", fits + max.substr(fits.size()), "settings for 1 OpenRGB device read from", 5},
    };
    for (const auto& row : rows) {
        if (!row.content.empty()) std::ofstream(dir / row.name) << row.content;
        Log log;
        const auto table = orgb::readSettingsFile((dir / row.name).string(), into(log));
        ASSERT_EQ(log.size(), 1u) << row.name;
        EXPECT_NE(log[0].find(row.said), std::string::npos) << log[0];
        EXPECT_EQ(table.lookup("x").maxFrameRate, row.rate) << row.name;
    }
    std::filesystem::remove_all(dir);
}

// OpenRGB 0.9 can put a device-list notice between a reply's header and its body, or inside
// the body: the client takes it out and reads the reply whole; anything else is a broken stream.
TEST(SdkClient, ReadsARepliesWholeAroundNoticesInsideThem) {
    const auto notice = orgb::packet(0, orgb::kDeviceListUpdated),
               other = orgb::packet(0, orgb::kDeviceListUpdated + 1),
               unasked = orgb::packet(0, 9999);
    for (const auto& inside : {notice, other}) {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof a;
        ::bind(listener, (sockaddr*)&a, size), ::listen(listener, 1);
        ::getsockname(listener, (sockaddr*)&a, &size);
        std::thread server([&] {
            const int c = ::accept(listener, nullptr, nullptr);
            std::vector<uint8_t> in(64), body(30);
            body[0] = 30; // a protocol-0 device of no modes, zones or LEDs
            while (::recv(c, in.data(), 16, MSG_WAITALL) == 16) {
                const auto h = *orgb::parseHeader(std::span(in).first<16>());
                if (h.size) ::recv(c, in.data() + 16, h.size, MSG_WAITALL);
                if (h.id == orgb::kSetClientName) continue;
                auto reply =
                    orgb::packet(0, h.id, h.id == 1 ? body : std::vector<uint8_t>{!h.id, 0, 0, 0});
                for (int n = 0; n <= (h.id == 0); ++n) // two before the count, one in the device
                    reply.insert(reply.begin() + (h.id == 1 ? 24 : 16), inside.begin(),
                                 inside.end());
                if (h.id == 0) // and an empty packet nobody asked for ahead of it
                    reply.insert(reply.begin(), unasked.begin(), unasked.end());
                ::send(c, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
            ::close(c);
        });
        orgb::SdkClient client;
        std::string error;
        // Each request's notices are noted: the host finds its boards again after them.
        const bool ok = client.open("127.0.0.1", ntohs(a.sin_port), &error) &&
                        client.controllerCount(&error) == 1u && client.takeDeviceListChanged() &&
                        client.controllerData(0, &error) && client.takeDeviceListChanged();
        EXPECT_EQ(ok, inside == notice) << error;
        client.close();
        server.join();
        ::close(listener);
    }
}

// corvane-host itself, its settings file where the player keeps it, on each OpenRGB line.
class HostChain : public ::testing::TestWithParam<Line> {
  protected:
    void SetUp() override {
        if (!std::filesystem::exists(GetParam().program))
            GTEST_SKIP() << GetParam().name << " test peer not built";
        char pattern[] = "/tmp/et-conf-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        ::setenv("XDG_DATA_HOME", pattern, 1), ::setenv("XDG_CONFIG_HOME", pattern, 1);
        std::filesystem::create_directories(dir_ + "/corvane-host");
    }
    void TearDown() override {
        CorvLedShutdown(), host_.reset();
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }
    // corvane-host given `args` and `settings` in its file, on a peer given `options`.
    void start(const std::string& settings, std::vector<std::string> options,
               std::vector<std::string> args = {}) {
        CorvLedShutdown(), host_.reset();
        peer_ = std::make_unique<Peer>(GetParam(), 0, options);
        std::ofstream(dir_ + "/corvane-host/corvane-host.conf") << settings;
        args.insert(args.begin(),
                    {ET_CORVANE_HOST, "--openrgb", "127.0.0.1:" + std::to_string(peer_->port())});
        host_ = std::make_unique<ChildProcess>(args, true);
        ASSERT_TRUE(
            within(5, [&] { return std::filesystem::exists(dir_ + "/Corvane/CHS_LED_SDK"); }));
        ASSERT_TRUE(CorvLedInit());
    }
    int count(const char* what) { return std::stoi(peer_->ask(what).at(0).substr(2)); }
    std::string section() const { return std::string("[") + GetParam().keyboard + "]\n"; }

    std::string dir_;
    std::unique_ptr<Peer> peer_;
    std::unique_ptr<ChildProcess> host_;
};

// Only the file's opt-in lets frames into a mode that writes the board's flash.
TEST_P(HostChain, TheFilesOptInAloneStreamsIntoASavingMode) {
    for (const bool allowed : {false, true}) {
        start(section() + "allow-saving-mode = " + (allowed ? "yes\n" : "no\n"), {"--no-direct"});
        CorvLedSetLighting(0, 0, 100);
        EXPECT_EQ(within(allowed ? 4 : 2, [&] { return count("saves") > 0; }), allowed);
    }
}

// The board lit by name: a remap lights the LED it names, its frame rate holds a storm of
// pulses; unplugged and plugged, it is back at another index and the keyboard that took its
// index stays unlit; rescans in a row (0.9 then puts notices inside replies) lose it no longer.
TEST_P(HostChain, TheBoardOfTheFileIsLitWhereverItComesBack) {
    start(section() + "remap A = Key: Z\nmax-frame-rate = 10\n", {"--second-keyboard"},
          {"--device", GetParam().keyboard});
    auto lit = [&](int device) {
        return within(4, [&] { return peer_->colors(device)["Key: Z"] == "#FF0000"; });
    };
    CorvLedSetLightingForKeyWithKeyName(CLK_A, 100, 0, 0);
    EXPECT_TRUE(lit(0));
    EXPECT_NE(peer_->colors(0)["Key: A"], "#FF0000");
    for (KeyName k : {CLK_1, CLK_2, CLK_Q, CLK_W})
        CorvLedPulseSingleKey(k, 100, 0, 0, 20, 0, 0, 500, true);
    const int before = count("stats");
    within(2, [] { return false; });
    const int sent = count("stats") - before;
    std::fprintf(stderr, "%d frames in 2 s at a maximum of 10 a second\n", sent);
    EXPECT_TRUE(sent >= 5 && sent <= 24) << sent;
    peer_->ask("unplug 0"), peer_->ask("plug");
    EXPECT_TRUE(lit(1));
    EXPECT_NE(peer_->colors(0)["Key: Z"], "#FF0000");
    for (int i = 0; i < 6; ++i)
        peer_->ask("rescan");
    EXPECT_TRUE(lit(0));
    EXPECT_NE(peer_->colors(1)["Key: Z"], "#FF0000");
}

// On logind's wake-up the devices are read again at once, not at the next check (an hour
// away here): a mode switched during the sleep is taken back. Going to sleep changes nothing.
TEST_P(HostChain, WakingUpTakesTheKeyboardBackAtOnce) {
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    EXPECT_FALSE(hostsim::SleepWatcher([] {}).watching());
    // A bus that takes the connection and never answers is given up, not waited for.
    const int stalled = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un at{AF_UNIX, {}};
    std::snprintf(at.sun_path, sizeof at.sun_path, "%s/stalled-bus", dir_.c_str());
    ASSERT_EQ(::bind(stalled, (sockaddr*)&at, sizeof at) | ::listen(stalled, 4), 0);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir_ + "/stalled-bus").c_str(), 1);
    EXPECT_FALSE(hostsim::SleepWatcher([] {}).watching());
    ::close(stalled);
    ChildProcess bus({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, true);
    const std::string address = bus.readLine(10).value_or("");
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
    auto emit = [&](const std::string& sleeping) {
        EXPECT_EQ(ChildProcess(
                      {"dbus-send", "--bus=" + address, "--type=signal", "/org/freedesktop/login1",
                       "org.freedesktop.login1.Manager.PrepareForSleep", "boolean:" + sleeping})
                      .wait(10),
                  0);
    };
    peer_ = std::make_unique<Peer>(GetParam(), 0, std::vector<std::string>{"--start-static"});
    orgb::OpenRgbOptions options;
    options.port = peer_->port();
    options.checkEvery = std::chrono::hours(1);
    hostsim::Host host(dir_ + "/Corvane/CHS_LED_SDK", [](const std::string&) {});
    auto output = std::make_unique<orgb::OpenRgbOutput>(
        options, [&] { return host.server().state(); }, [](const std::string&) {});
    hostsim::SleepWatcher watcher([o = output.get()] { o->recheck(); });
    ASSERT_TRUE(watcher.watching());
    host.addOutput(std::move(output));
    ASSERT_TRUE(host.start() && CorvLedInit());
    CorvLedSetLighting(0, 0, 100);
    ASSERT_TRUE(within(4, [&] { return peer_->mode() == "Direct"; }));
    peer_->ask("mode Static");
    emit("true");
    EXPECT_FALSE(within(1, [&] { return peer_->mode() == "Direct"; }));
    emit("false");
    EXPECT_TRUE(within(4, [&] { return peer_->mode() == "Direct"; }));
    CorvLedShutdown();
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

INSTANTIATE_TEST_SUITE_P(Lines, HostChain, ::testing::ValuesIn(kLines),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
