// The host simulator: cutting a stream into messages, refusing malformed peers, the virtual
// keyboard, and its pictures (each key in the color the host keeps, with its legend).
#include "CanvasLayout.h"
#include "Host.h"
#include "KeyList.h"
#include "KeyTable.h"
#include "KeyboardRender.h"
#include "LegendFont.h"
#include "Utf8.h"
#include "WireFormat.h"

#include <CorvaneLED.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
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
    EXPECT_LE(at + 4 * fields.size(), m.bytes.size()) << "more fields than the command holds";
    for (int32_t f : fields) {
        if (at + 4 > m.bytes.size()) break;
        corvwire::putI32(m.bytes.data() + at, f);
        at += 4;
    }
    return m;
}

TEST(StreamDecoder, CutsMessagesSplitAtAnyByteAndRefusesMalformedHeaders) {
    std::vector<uint8_t> stream;
    auto exclude = message(corvwire::kExcludeKeysFromBitmap, {1, 59});
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
    const uint32_t name = kSetKeyByKeyName;
    // clang-format off
    const struct { uint32_t command; int32_t shown, beside; } rows[] = {
        {name, 0, -1}, {name, 0x1FF, 0x200}, {name, CLK_P1, CLK_P1 - 1}, {name, CLK_P9, CLK_P9 + 1},
        {name, CLK_CrestLogo, CLK_CrestLogo - 1}, {name, CLK_TalonBadge, CLK_TalonBadge + 1},
        {kSetKeyByScanCode, 0, -1}, {kSetKeyByScanCode, 0x1FF, 0x200},
        {kSetKeyByHidCode, 0xFF, 0x100}, {kSetKeyByQuartzCode, 0x7F, 0x80}};
    // clang-format on
    for (const auto& [command, shown, beside] : rows) {
        SCOPED_TRACE(std::to_string(command) + " " + std::to_string(shown));
        hostsim::KeyboardState kb;
        EXPECT_FALSE(kb.apply(message(command, {beside, 9, 9, 9})));
        EXPECT_TRUE(kb.apply(message(command, {shown, 9, 9, 9})));
        const size_t codes = command == name ? 0 : command - kSetKeyByScanCode;
        EXPECT_EQ(kb.current().keys.size(), command == name ? 1u : 0u);
        EXPECT_EQ(kb.current().coded[codes].size(), command == name ? 0u : 1u);
        EXPECT_FALSE(command == name && kb.apply(message(kSaveSingleKeyLighting, {beside})));
        kb.apply(message(command == kSetKeyByHidCode ? kSetLighting : kSetLightingWithBitmap));
        EXPECT_TRUE(kb.current().coded[codes].empty());
    }
}

// A fake client of the host at `path`; -1 when refused.
int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{AF_UNIX, {}};
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

// One client floods the host with 100k keys of no key (each kind of code) and 2000 saves:
// only the shown keys are kept, the first ignored one named, and another client is served
// too. bench_host_flood measures the other client's delay and the memory.
TEST(HostServer, StaysBoundedUnderAFloodOfKeysAndSavesAndServesTheOtherClient) {
    using namespace corvwire;
    const std::string dir = ::mkdtemp(std::string("/tmp/et-hs-XXXXXX").data());
    hostsim::HostServer server(dir + "/Corvane/CHS_LED_SDK");
    std::vector<std::string> lines;
    server.setOnLog([&](const std::string& line) { lines.push_back(line); });
    ASSERT_TRUE(server.start());
    std::vector<hostsim::Message> flood;
    for (int32_t i = 0; i < 100000; ++i) {
        flood.push_back(message(i % 4 ? kSetKeyByScanCode + i % 4 - 1 : kSetKeyByKeyName,
                                {0x10000 + i, 1, 2, 3}));
        if (i % 50 == 0)
            flood.push_back(i % 100 ? message(kSaveCurrentLighting)
                                    : message(kSaveSingleKeyLighting, {0x10000 + i}));
    }
    for (const et::KeyRow& key : et::kKeyTable) { // the grid's keys, then P1-P9, logo, badge
        flood.push_back(message(kSetKeyByKeyName, {key.keyName, 4, 5, 6}));
        flood.push_back(message(kSaveSingleKeyLighting, {key.keyName}));
    }
    const int flooder = connectTo(server.path()), other = connectTo(server.path());
    std::thread writer([&] {
        for (const auto& m : flood)
            ASSERT_EQ(::write(flooder, m.bytes.data(), m.bytes.size()), ssize_t(m.bytes.size()));
    });
    EXPECT_EQ(::write(other, message(kSetLighting, {7, 8, 9}).bytes.data(), 20), 20);
    writer.join();
    EXPECT_TRUE(server.waitForMessages(flood.size() + 1, 60));
    const auto state = server.state();
    EXPECT_EQ(state.current().whole, (et::PercentRgb{7, 8, 9}));
    EXPECT_EQ(state.current().keys.size(), std::size(et::kKeyTable));
    EXPECT_EQ(state.savedKeys().size(), std::size(et::kKeyTable));
    EXPECT_EQ(state.saved()->coded, decltype(state.saved()->coded){});
    EXPECT_EQ(lines.size(), 1u);
    ::close(flooder);
    ::close(other);
    std::filesystem::remove_all(dir);
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
    // A write that cannot take the name leaves nothing behind.
    const auto folder = path.parent_path() / ("et-png-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "taken.png");
    EXPECT_FALSE(hostsim::writePng(image, (folder / "taken.png").string(), &error));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    std::filesystem::remove_all(folder);
    EXPECT_FALSE(hostsim::writePng(hostsim::Image{}, path.string(), &error));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// Outputs start only once the socket is the host's, each adds its figures to "stats", and a
// host that finds the socket taken starts none of them.
TEST(Host, StartsItsOutputsOnceListeningAndReportsTheirFigures) {
    static std::vector<std::string> events;
    struct Recorder : hostsim::Output {
        explicit Recorder(std::string m) : member(std::move(m)) {}
        std::string member;
        void start() override { events.push_back("start " + member); }
        void stop() override { events.push_back("stop " + member); }
        std::string statsMember() const override { return member; }
    };
    const auto dir =
        std::filesystem::temp_directory_path() / ("et-host-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    hostsim::Host first((dir / "sock").string(), {}), second((dir / "sock").string(), {});
    first.addOutput(std::make_unique<Recorder>("\"a\":1"));
    first.addOutput(std::make_unique<Recorder>(""));
    second.addOutput(std::make_unique<Recorder>("\"b\":2"));
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
