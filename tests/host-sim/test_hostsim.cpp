// The host simulator: splitting streams, refusing malformed peers, and the virtual keyboard.
#include "HostServer.h"
#include "WireFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::vector<uint8_t> message(uint32_t command, std::initializer_list<int32_t> fields = {},
                             size_t length = 0) {
    if (!length) length = corvwire::messageLength(command);
    std::vector<uint8_t> out(std::max<size_t>(length, 8), 0);
    corvwire::putU32(out.data(), static_cast<uint32_t>(length));
    corvwire::putU32(out.data() + 4, command);
    size_t at = 8;
    for (int32_t f : fields) {
        corvwire::putI32(out.data() + at, f);
        at += 4;
    }
    return out;
}

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(StreamDecoder, ReassemblesMessagesSplitAtAnyByte) {
    const auto stream = concat(
        {message(corvwire::kInit), message(corvwire::kSetLighting, {1, 2, 3}),
         message(corvwire::kSetLightingWithBitmap), message(corvwire::kExcludeKeysFromBitmap)});
    for (size_t chunk : {size_t{1}, size_t{7}, size_t{500}, stream.size()}) {
        hostsim::StreamDecoder decoder;
        std::vector<hostsim::Message> out;
        for (size_t at = 0; at < stream.size(); at += chunk)
            ASSERT_TRUE(
                decoder.feed(stream.data() + at, std::min(chunk, stream.size() - at), 0, out));
        ASSERT_EQ(out.size(), 4u) << "chunk " << chunk;
        EXPECT_STREQ(out[1].name(), "SetLighting");
        EXPECT_EQ(out[1].field(16), 3);
        EXPECT_EQ(out[3].bytes.size(), 2028u);
        EXPECT_EQ(decoder.pendingBytes(), 0u);
    }
}

TEST(StreamDecoder, RefusesMalformedHeadersBeforeWaitingForTheirBody) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* why;
    } cases[] = {
        {message(0x80A, {}, 12), "unknown command"},
        {message(corvwire::kSetLighting, {}, 24), "wrong length"},
        {message(corvwire::kSetLighting, {}, 4), "below 8"},
        {message(corvwire::kInit, {}, 8), "wrong length"},
    };
    for (auto& c : cases) {
        hostsim::StreamDecoder decoder;
        std::vector<hostsim::Message> out;
        EXPECT_FALSE(decoder.feed(c.bytes.data(), 8, 0, out)) << c.why;
        EXPECT_TRUE(out.empty());
        EXPECT_FALSE(decoder.error().empty());
    }
    // A huge declared length is refused from the header alone: nothing is allocated for it.
    std::vector<uint8_t> huge(8);
    corvwire::putU32(huge.data(), 0xFFFFFFF0u);
    corvwire::putU32(huge.data() + 4, corvwire::kSetLighting);
    hostsim::StreamDecoder decoder;
    std::vector<hostsim::Message> out;
    EXPECT_FALSE(decoder.feed(huge.data(), huge.size(), 0, out));
    EXPECT_NE(decoder.error().find("4096"), std::string::npos);
}

TEST(StreamDecoder, JsonLinesNameTheCommandAndItsFields) {
    hostsim::StreamDecoder decoder;
    std::vector<hostsim::Message> out;
    auto key = message(corvwire::kSetKeyByKeyName, {0xFFFF1, 100, 0, 50});
    auto exclude = message(corvwire::kExcludeKeysFromBitmap);
    corvwire::putI32(exclude.data() + 8, 1);
    corvwire::putI32(exclude.data() + 12, 59);
    corvwire::putI32(exclude.data() + 2024, 2);
    auto stream = concat({key, exclude});
    ASSERT_TRUE(decoder.feed(stream.data(), stream.size(), 1.5, out));
    EXPECT_EQ(out[0].toJson(),
              "{\"t\":1.500000,\"cmd\":\"SetLightingForKeyWithKeyName\",\"key\":1048561,"
              "\"r\":100,\"g\":0,\"b\":50}");
    EXPECT_NE(out[1].toJson().find("\"count\":2,\"keys\":[1,59]"), std::string::npos);
}

TEST(KeyboardState, FollowsWholeBitmapKeyAndSavedLighting) {
    hostsim::KeyboardState kb;
    auto apply = [&](const std::vector<uint8_t>& bytes) {
        hostsim::Message m;
        m.command = corvwire::getU32(bytes.data() + 4);
        m.bytes = bytes;
        kb.apply(m);
    };
    apply(message(corvwire::kSetLighting, {10, 20, 30}));
    apply(message(corvwire::kSaveCurrentLighting));
    auto bitmap = message(corvwire::kSetLightingWithBitmap);
    bitmap[8] = 0;    // Esc: blue
    bitmap[9] = 0;    //      green
    bitmap[10] = 255; //      red
    bitmap[11] = 255;
    apply(message(corvwire::kSetKeyByKeyName, {1, 5, 5, 5}));
    apply(bitmap); // a bitmap covers per-key colors of grid keys...
    apply(message(corvwire::kSetKeyByKeyName, {0xFFF1, 0, 100, 0}));
    EXPECT_EQ(kb.keyColor(1, 0), (hostsim::Rgb{100, 0, 0}));
    EXPECT_EQ(kb.keyColor(0xFFF1), (hostsim::Rgb{0, 100, 0}));
    apply(message(corvwire::kSetLightingWithBitmap)); // ...but not the macro keys
    EXPECT_EQ(kb.keyColor(0xFFF1), (hostsim::Rgb{0, 100, 0}));

    apply(message(corvwire::kSaveSingleKeyLighting, {0xFFF1}));
    apply(message(corvwire::kSetKeyByKeyName, {0xFFF1, 1, 1, 1}));
    apply(message(corvwire::kRestoreSingleKeyLighting, {0xFFF1}));
    EXPECT_EQ(kb.keyColor(0xFFF1), (hostsim::Rgb{0, 100, 0}));

    apply(message(corvwire::kSetTargetDevice, {4}));
    EXPECT_EQ(kb.targetDevice(), 4);
    apply(message(corvwire::kRestoreLighting));
    EXPECT_EQ(kb.current().whole, (hostsim::Rgb{10, 20, 30}));
    EXPECT_FALSE(kb.current().bitmap);
}

int connectTo(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST(HostServer, DropsAMalformedPeerAndServesTheNextOne) {
    char pattern[] = "/tmp/et-hs-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::string path = std::string(pattern) + "/sock";
    hostsim::HostServer host(path);
    std::vector<std::string> errors;
    host.setOnError([&](const std::string& e) { errors.push_back(e); });
    ASSERT_TRUE(host.start());

    const int bad = connectTo(path);
    ASSERT_GE(bad, 0);
    auto good = message(corvwire::kSetLighting, {1, 2, 3});
    auto junk = message(0x999, {}, 12);
    auto stream = concat({good, junk, good});
    ASSERT_EQ(::send(bad, stream.data(), stream.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(stream.size()));
    char byte;
    EXPECT_EQ(::recv(bad, &byte, 1, 0), 0); // the host hung up on us
    ::close(bad);

    const int next = connectTo(path);
    ASSERT_GE(next, 0);
    ASSERT_EQ(::send(next, good.data(), good.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(good.size()));
    EXPECT_TRUE(host.waitForMessages(2, 5));
    ::close(next);
    host.stop();
    EXPECT_EQ(host.messageCount(), 2u); // the message before the junk, and the next peer's
    EXPECT_EQ(host.connectionsDropped(), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("unknown command"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::remove_all(pattern);
}

} // namespace
