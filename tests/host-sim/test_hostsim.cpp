// The host simulator: cutting a stream into messages, refusing malformed peers, the virtual
// keyboard, and its pictures (each key in the color the host keeps, with its legend).
#include "CanvasLayout.h"
#include "Host.h"
#include "KeyList.h"
#include "KeyboardRender.h"
#include "LegendFont.h"
#include "Utf8.h"
#include "WireFormat.h"

#include <CorvaneLED.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

// A message of `command` with `fields` after the header.
hostsim::Message message(uint32_t command, std::initializer_list<int32_t> fields = {}) {
    hostsim::Message m;
    m.command = command;
    m.bytes.assign(corvwire::messageLength(command), 0);
    corvwire::putU32(m.bytes.data(), static_cast<uint32_t>(m.bytes.size()));
    corvwire::putU32(m.bytes.data() + 4, command);
    size_t at = 8;
    for (int32_t f : fields) {
        corvwire::putI32(m.bytes.data() + at, f);
        at += 4;
    }
    return m;
}

TEST(StreamDecoder, CutsMessagesSplitAtAnyByteAndRefusesMalformedHeaders) {
    std::vector<uint8_t> stream;
    auto exclude = message(corvwire::kExcludeKeysFromBitmap);
    corvwire::putI32(exclude.bytes.data() + 8, 1);
    corvwire::putI32(exclude.bytes.data() + 12, 59);
    corvwire::putI32(exclude.bytes.data() + 2024, 2);
    for (const auto& m : {message(corvwire::kInit), message(corvwire::kSetLighting, {1, 2, 3}),
                          message(corvwire::kSetKeyByKeyName, {0xFFFF1, 100, 0, 50}), exclude})
        stream.insert(stream.end(), m.bytes.begin(), m.bytes.end());
    for (size_t chunk : {size_t{1}, size_t{7}, size_t{500}, stream.size()}) {
        SCOPED_TRACE(chunk);
        hostsim::StreamDecoder decoder;
        std::vector<hostsim::Message> out;
        for (size_t at = 0; at < stream.size(); at += chunk)
            ASSERT_TRUE(
                decoder.feed(stream.data() + at, std::min(chunk, stream.size() - at), 1.5, out));
        ASSERT_EQ(out.size(), 4u);
        EXPECT_EQ(decoder.pendingBytes(), 0u);
        EXPECT_EQ(out[2].toJson(),
                  "{\"t\":1.500000,\"cmd\":\"SetLightingForKeyWithKeyName\",\"key\":1048561,"
                  "\"r\":100,\"g\":0,\"b\":50}");
        EXPECT_NE(out[3].toJson().find("\"count\":2,\"keys\":[1,59]"), std::string::npos);
    }
    // Refused from the header alone, before waiting for (or allocating) a body: an unknown
    // command, wrong lengths, one below the header's own, one past any message's.
    const uint32_t refused[][2] = {{12, 0x80A},
                                   {24, corvwire::kSetLighting},
                                   {8, corvwire::kInit},
                                   {4, corvwire::kSetLighting},
                                   {0xFFFFFFF0u, corvwire::kSetLighting}};
    for (const auto& [length, command] : refused) {
        uint8_t header[8];
        corvwire::putU32(header, length);
        corvwire::putU32(header + 4, command);
        hostsim::StreamDecoder decoder;
        std::vector<hostsim::Message> out;
        EXPECT_FALSE(decoder.feed(header, 8, 0, out)) << length << " bytes of " << command;
        EXPECT_TRUE(out.empty());
        EXPECT_FALSE(decoder.error().empty());
    }
}

// Whole keyboard blue, saved; a bitmap with Esc red over a per-key color; P1 and the crest
// logo lit key by key, which later bitmaps leave alone.
hostsim::KeyboardState litKeyboard() {
    hostsim::KeyboardState kb;
    kb.apply(message(corvwire::kSetLighting, {0, 0, 100}));
    kb.apply(message(corvwire::kSaveCurrentLighting));
    kb.apply(message(corvwire::kSetKeyByKeyName, {CLK_Escape, 5, 5, 5}));
    auto bitmap = message(corvwire::kSetLightingWithBitmap);
    bitmap.bytes[8 + 2] = bitmap.bytes[8 + 3] = 255; // Esc: blue, green, red, alpha
    kb.apply(bitmap);
    kb.apply(message(corvwire::kSetKeyByKeyName, {CLK_P1, 0, 100, 0}));
    kb.apply(message(corvwire::kSetKeyByKeyName, {CLK_CrestLogo, 50, 50, 50}));
    kb.apply(bitmap);
    return kb;
}

std::array<int, 3> at(const hostsim::Image& image, int32_t key, int scale = 2) {
    const auto p = hostsim::keyCenter(key, scale);
    if (p.x < 0) return {-1, -1, -1};
    const uint8_t* px = image.pixel(p.x, p.y);
    return {px[0], px[1], px[2]};
}

TEST(KeyboardState, EachKeyShowsTheColorTheHostKeepsAndSavedLightingComesBack) {
    for (int scale : {1, 3}) {
        SCOPED_TRACE(scale);
        const auto image = hostsim::renderKeyboard(litKeyboard(), scale);
        ASSERT_EQ(image.rgb.size(), static_cast<size_t>(image.width) * image.height * 3);
        EXPECT_EQ(at(image, CLK_Escape, scale), (std::array{255, 0, 0}));
        EXPECT_EQ(at(image, CLK_A, scale), (std::array{0, 0, 0})); // its bitmap cell is black
        EXPECT_EQ(at(image, CLK_P1, scale), (std::array{0, 255, 0}));
        EXPECT_EQ(at(image, CLK_CrestLogo, scale), (std::array{127, 127, 127}));
        EXPECT_EQ(at(image, CLK_P2, scale), (std::array{0, 0, 255})); // no cell: the whole color
    }
    EXPECT_EQ(hostsim::keyCenter(0x7777).x, -1);
    // A saved key and the saved lighting come back.
    hostsim::KeyboardState kb = litKeyboard();
    kb.apply(message(corvwire::kSaveSingleKeyLighting, {CLK_P1}));
    kb.apply(message(corvwire::kSetKeyByKeyName, {CLK_P1, 1, 1, 1}));
    kb.apply(message(corvwire::kRestoreSingleKeyLighting, {CLK_P1}));
    EXPECT_EQ(kb.keyColor(CLK_P1), (et::PercentRgb{0, 100, 0}));
    kb.apply(message(corvwire::kRestoreLighting));
    EXPECT_EQ(kb.current().whole, (et::PercentRgb{0, 0, 100}));
    EXPECT_FALSE(kb.current().bitmap);
    // Unlit differs from black; another client's 0–255 shows as full above 100 %.
    hostsim::KeyboardState state;
    EXPECT_NE(at(hostsim::renderKeyboard(state), CLK_Escape), (std::array{0, 0, 0}));
    state.apply(message(corvwire::kSetKeyByKeyName, {CLK_Escape, 255, -3, 100}));
    EXPECT_EQ(at(hostsim::renderKeyboard(state), CLK_Escape), (std::array{255, 0, 255}));

    // The font writes every legend.
    for (const et::KeyRect& key : et::canvasKeyRects())
        for (wchar_t c : corvjson::decodeUtf8(et::keyLegend(key.id)).value_or(L"?"))
            EXPECT_TRUE(hostsim::glyph(static_cast<char32_t>(c))) << et::keyLegend(key.id);
}

// Keys the host cannot show change nothing; a code never lights the KeyName of its number.
TEST(KeyboardState, KeepsOnlyKeysItCanShowAndCodesApartFromKeyNames) {
    using namespace corvwire;
    const struct {
        uint32_t command;
        int32_t key;
        bool kept;
    } rows[] = {{kSetKeyByKeyName, 0, true},
                {kSetKeyByKeyName, 0x1FF, true},
                {kSetKeyByKeyName, 0x200, false},
                {kSetKeyByKeyName, -1, false},
                {kSetKeyByKeyName, CLK_P1, true},
                {kSetKeyByKeyName, CLK_P1 - 1, false},
                {kSetKeyByKeyName, CLK_P9, true},
                {kSetKeyByKeyName, CLK_P9 + 1, false},
                {kSetKeyByKeyName, CLK_CrestLogo, true},
                {kSetKeyByKeyName, CLK_CrestLogo - 1, false},
                {kSetKeyByKeyName, CLK_TalonBadge, true},
                {kSetKeyByKeyName, CLK_TalonBadge + 1, false},
                {kSetKeyByScanCode, 0x1FF, true},
                {kSetKeyByScanCode, 0x200, false},
                {kSetKeyByScanCode, -1, false},
                {kSetKeyByHidCode, 0xFF, true},
                {kSetKeyByHidCode, 0x100, false},
                {kSetKeyByQuartzCode, 0x7F, true},
                {kSetKeyByQuartzCode, 0x80, false}};
    for (const auto& [command, key, kept] : rows) {
        SCOPED_TRACE(std::to_string(command) + " " + std::to_string(key));
        hostsim::KeyboardState kb;
        EXPECT_EQ(kb.apply(message(command, {key, 9, 9, 9})), kept);
        const bool named = command == kSetKeyByKeyName;
        if (named) {
            EXPECT_EQ(kb.apply(message(kSaveSingleKeyLighting, {key})), kept);
            EXPECT_EQ(kb.apply(message(kRestoreSingleKeyLighting, {key})), kept);
            EXPECT_EQ(kb.savedKeys().size(), kept ? 1u : 0u);
        }
        EXPECT_EQ(kb.current().keys.size(), named && kept ? 1u : 0u);
        const size_t codes = named ? 0 : command - kSetKeyByScanCode;
        EXPECT_EQ(kb.current().coded[codes].size(), !named && kept ? 1u : 0u);
        kb.apply(message(command == kSetKeyByHidCode ? kSetLighting : kSetLightingWithBitmap));
        EXPECT_TRUE(kb.current().coded[codes].empty());
    }
}

// A fake client of the host at `path`; -1 when refused.
int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A server on a private path, whose messages, client counts and log lines a test waits for.
struct WatchedServer {
    std::string dir =
        std::filesystem::temp_directory_path() / ("et-hs-" + std::to_string(getpid()));
    hostsim::HostServer server{dir + "/Corvane/CHS_LED_SDK"};
    std::mutex mutex;
    std::condition_variable changed;
    size_t seen = 0;
    double lit = 0; // when a whole-keyboard color arrived
    std::vector<std::string> logs;
    WatchedServer() {
        server.setKeepMessages(false);
        server.setOnMessage([this](const hostsim::Message& m) {
            note([&] {
                ++seen;
                if (m.command == corvwire::kSetLighting) lit = now();
            });
        });
        server.setOnClients([this](int) { note([] {}); });
        server.setOnLog([this](const std::string& line) { note([&] { logs.push_back(line); }); });
        EXPECT_TRUE(server.start());
    }
    ~WatchedServer() {
        server.stop();
        std::filesystem::remove_all(dir);
    }
    void note(const std::function<void()>& what) {
        std::lock_guard<std::mutex> lock(mutex);
        what();
        changed.notify_all();
    }
    bool waitFor(const std::function<bool()>& done) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(60), done);
    }
};

long rssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string word; status >> word;)
        if (word == "VmRSS:" && status >> word) return std::stol(word);
    return 0;
}

// 100k keys of no key, each kind of code, and 2000 saves from one client: the state keeps
// only the shown keys, named once, and another client is served in the meantime.
TEST(HostServer, StaysBoundedUnderAFloodOfKeysAndSavesAndServesTheOtherClient) {
    using namespace corvwire;
    WatchedServer host;
    std::vector<uint8_t> flood;
    size_t total = 0;
    auto add = [&](const hostsim::Message& m) {
        flood.insert(flood.end(), m.bytes.begin(), m.bytes.end());
        ++total;
    };
    const uint32_t setKey[] = {kSetKeyByKeyName, kSetKeyByScanCode, kSetKeyByHidCode,
                               kSetKeyByQuartzCode};
    for (int32_t i = 0; i < 100000; ++i) {
        add(message(setKey[i % 4], {0x10000 + i, 1, 2, 3}));
        if (i % 50 == 0)
            add(message(i % 100 ? kSaveCurrentLighting : kSaveSingleKeyLighting, {0x10000 + i}));
    }
    std::vector<int32_t> shown{CLK_CrestLogo, CLK_TalonBadge};
    for (int32_t key = 0; key < 0x200; ++key)
        shown.push_back(key);
    for (int32_t key = CLK_P1; key <= CLK_P9; ++key)
        shown.push_back(key);
    for (int32_t key : shown) {
        add(message(kSetKeyByKeyName, {key, 4, 5, 6}));
        add(message(kSaveSingleKeyLighting, {key}));
    }
    const long rssBefore = rssKb();
    const int flooder = connectTo(host.server.path()), other = connectTo(host.server.path());
    ASSERT_TRUE(flooder >= 0 && other >= 0);
    std::thread writer([&] {
        EXPECT_EQ(::write(flooder, flood.data(), flood.size()), static_cast<ssize_t>(flood.size()));
    });
    host.waitFor([&] { return host.seen >= total / 2; });
    const double sent = now();
    const auto whole = message(kSetLighting, {7, 8, 9});
    EXPECT_EQ(::write(other, whole.bytes.data(), whole.bytes.size()), 20);
    EXPECT_TRUE(host.waitFor([&] { return host.lit > 0; }));
    writer.join();
    EXPECT_TRUE(host.waitFor([&] { return host.seen == total + 1; }));
    std::fprintf(stderr, "other client's command applied %.2f ms after it was sent; RSS +%ld kB\n",
                 (host.lit - sent) * 1000, rssKb() - rssBefore);
    const auto state = host.server.state();
    EXPECT_EQ(state.current().keys.size(), shown.size());
    EXPECT_EQ(state.savedKeys().size(), shown.size());
    for (const auto& codes : state.saved()->coded)
        EXPECT_TRUE(codes.empty());
    EXPECT_EQ(host.logs.size(), 1u);
    ::close(flooder);
    ::close(other);
}

// At the cap the listener rests instead of waking poll for the waiting clients, until one goes.
TEST(HostServer, ServesAtMostItsCapOfClientsWithoutSpinningAndTakesTheNextWhenOneLeaves) {
    WatchedServer host;
    const int cap = static_cast<int>(hostsim::HostServer::kMaxClients);
    std::vector<int> clients;
    for (int i = 0; i < cap + 8; ++i)
        clients.push_back(connectTo(host.server.path()));
    EXPECT_TRUE(host.waitFor([&] { return host.server.connectionsServed() == cap; }));
    auto cpu = [] {
        rusage use{};
        getrusage(RUSAGE_SELF, &use);
        return use.ru_utime.tv_sec + use.ru_stime.tv_sec +
               (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
    };
    const double cpuBefore = cpu(), wallBefore = now();
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // a window to measure, no event
    const double perSecond = (cpu() - cpuBefore) / (now() - wallBefore);
    std::fprintf(stderr, "host at its cap of clients: %.3f s of CPU per second\n", perSecond);
    EXPECT_LT(perSecond, 0.5) << "spins";
    EXPECT_EQ(host.server.connectionsServed(), cap);
    ::close(clients[0]);
    EXPECT_TRUE(host.waitFor([&] { return host.server.connectionsServed() > cap; }));
    EXPECT_EQ(host.logs.size(), 1u);
    for (int fd : clients)
        ::close(fd);
}

TEST(KeyboardRender, PngReadsBackToTheSamePixelsAndFailuresSayWhy) {
    const auto image = hostsim::renderKeyboard(litKeyboard(), 1);
    const auto path = std::filesystem::temp_directory_path() / "et-render-test.png";
    std::string error;
    ASSERT_TRUE(hostsim::writePng(image, path.string(), &error)) << error;
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&read, path.c_str()));
    read.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(static_cast<int>(read.width), image.width);
    EXPECT_EQ(pixels, image.rgb);
    std::filesystem::remove(path);
    EXPECT_FALSE(hostsim::writePng(image, "/nonexistent-folder/x.png", &error));
    EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
    EXPECT_FALSE(hostsim::writePng(hostsim::Image{}, path.string(), &error));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Outputs start only once the socket is the host's, each adds its figures to "stats", and a
// host that finds the socket taken starts none of them.
TEST(Host, StartsItsOutputsOnceListeningAndReportsTheirFigures) {
    struct Recorder : hostsim::Output {
        std::vector<std::string>* events;
        std::string member;
        void start() override { events->push_back("start " + member); }
        void stop() override { events->push_back("stop " + member); }
        std::string statsMember() const override { return member; }
    };
    const auto dir =
        std::filesystem::temp_directory_path() / ("et-host-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::string> events;
    auto recorder = [&](std::string member) {
        auto r = std::make_unique<Recorder>();
        r->events = &events;
        r->member = std::move(member);
        return r;
    };
    hostsim::Host first((dir / "sock").string(), {}), second((dir / "sock").string(), {});
    first.addOutput(recorder("\"a\":1"));
    first.addOutput(recorder(""));
    second.addOutput(recorder("\"b\":2"));
    ASSERT_TRUE(first.start());
    // Read before the second host probes the socket: its probe counts as a connection served.
    EXPECT_EQ(first.statsJson(), "{\"connections\":0,\"a\":1}");
    std::string error;
    EXPECT_FALSE(second.start(&error));
    EXPECT_NE(error.find("already listening"), std::string::npos);
    // The lock decides, not the file: with the socket file gone the second host still stays out.
    std::filesystem::remove(dir / "sock");
    EXPECT_FALSE(second.start(&error));
    EXPECT_TRUE(second.server().alreadyServed());
    EXPECT_EQ(events, (std::vector<std::string>{"start \"a\":1", "start "}));
    first.stop();
    EXPECT_EQ(events.size(), 4u);
    std::filesystem::remove_all(dir);
    EXPECT_EQ(hostsim::jsonString("a\"b\n\xff"), "\"a\\\"b\\n\\uFFFD\"");
}

} // namespace
