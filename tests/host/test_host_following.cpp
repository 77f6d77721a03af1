// The application's side of a host that appears late or restarts: the wrapper around the
// library re-initialises it, says so once, and sends again what the keyboard should show.
#include "HostFollowingLighting.h"
#include "HostSocketProbe.h"
#include "RecordingLighting.h"
#include "RecordingLog.h"
#include "VirtualRunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace et {
namespace {

TEST(HostFollowingLighting, ReinitialisesOnceTheHostListensAndReplaysTheKeyboard) {
    test::RecordingLighting library;
    test::VirtualRunLoop loop;
    test::RecordingLog log;
    bool listening = false;
    HostFollowingLighting lighting(library, loop, [&] { return listening; });
    lighting.setLog(&log);

    // Missing at start: commands fail, and nothing is retried while nobody listens.
    library.result = false;
    EXPECT_FALSE(lighting.init());
    lighting.setTargetDevice(4);
    lighting.setLighting(10, 20, 30);
    unsigned char bitmap[504] = {1};
    lighting.setLightingFromBitmap(bitmap);
    lighting.setLightingForKey(0x1E, 1, 2, 3);   // under the bitmap: dropped by the next one
    lighting.setLightingForKey(0xFFF1, 4, 5, 6); // P1 has no cell: kept
    lighting.setLightingFromBitmap(bitmap);
    lighting.pulseSingleKey(0x2A, 100, 0, 0, 20, 0, 0, 500, true);
    lighting.pulseSingleKey(0x2B, 100, 0, 0, 20, 0, 0, 500, true);
    lighting.stopEffectsOnKey(0x2B);
    loop.runFor(3.0);
    EXPECT_EQ(
        library.names(),
        (std::vector<std::string>{"init", "setTargetDevice", "setLighting", "setLightingFromBitmap",
                                  "setLightingForKey", "setLightingForKey", "setLightingFromBitmap",
                                  "pulseSingleKey", "pulseSingleKey", "stopEffectsOnKey"}));

    // The host appears: within a check or two the library is started again and told it all.
    listening = true;
    library.result = true;
    library.clear();
    loop.runFor(1.0);
    EXPECT_EQ(library.names(), (std::vector<std::string>{"shutdown", "init", "setTargetDevice",
                                                         "setLighting", "setLightingFromBitmap",
                                                         "setLightingForKey", "pulseSingleKey",
                                                         "setTargetDevice"})); // the pulse's probe
    EXPECT_EQ(library.calls[6].args, (std::vector<int64_t>{0x2A, 100, 0, 0, 20, 0, 0, 500, 1}));
    EXPECT_EQ(library.calls[5].args, (std::vector<int64_t>{0xFFF1, 4, 5, 6}));
    EXPECT_EQ(log.lines().size(), 1u);

    // While the host answers, commands go straight through and the checks restart nothing.
    library.clear();
    EXPECT_TRUE(lighting.setLighting(1, 2, 3));
    loop.runFor(2.0);
    const auto names = library.names();
    EXPECT_EQ(names.front(), "setLighting");
    EXPECT_EQ(std::count(names.begin(), names.end(), "init"), 0);

    // A player's shutdown ends the following: no more checks, no more attempts.
    lighting.shutdown();
    library.clear();
    library.result = false;
    loop.runFor(5.0);
    EXPECT_EQ(library.names(), std::vector<std::string>{});
}

TEST(HostSocketProbe, FindsOnlyAListeningSocketAtThePath) {
    const std::string table =
        "Num       RefCount Protocol Flags    Type St Inode Path\n"
        "0000: 00000002 00000000 00010000 0001 01 1234 /home/p/.local/share/Corvane/CHS_LED_SDK\n"
        "0000: 00000002 00000000 00000000 0001 03 1235 /tmp/other socket\n"
        "0000: 00000002 00000000 00010000 0001 01 1236 /tmp/other socket2\n";
    EXPECT_TRUE(listensIn(table, "/home/p/.local/share/Corvane/CHS_LED_SDK"));
    EXPECT_FALSE(listensIn(table, "/tmp/other socket")); // connected, not listening
    EXPECT_TRUE(listensIn(table, "/tmp/other socket2"));
    EXPECT_FALSE(listensIn(table, "/home/p/.local/share/Corvane"));
    EXPECT_FALSE(listensIn(table, ""));
}

} // namespace
} // namespace et
