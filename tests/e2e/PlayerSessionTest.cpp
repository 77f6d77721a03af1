// One player's evening with the real application, the strip painter and the host simulator,
// judged by what the host received: start-up, the game in front, combat, a whisper, the host
// crashing and coming back, the game leaving the front, and the quit. Chat and cooldowns are
// the director's, checked on its recorded keyboard; the host's pictures are host-sim's.
#include "E2eTest.h"

#include <csignal>
#include <regex>
#include <thread>

namespace et::e2e {
namespace {

// For one key's pulse: how many of its messages lie between two starts of a sweep (the
// start color, full red, comes once a cycle). The count follows from the pulse's period,
// whatever the machine's speed: one message per 10 ms of period.
std::vector<int> cycleLengths(const std::vector<HostRecord>& records, size_t from, int32_t key) {
    std::vector<int> lengths;
    int count = -1;
    for (size_t i = from; i < records.size(); ++i) {
        if (!records[i].isKey(key)) continue;
        if (records[i].r == 100 && records[i].g == 0) {
            if (count >= 0) lengths.push_back(count);
            count = 0;
        }
        if (count >= 0) ++count;
    }
    return lengths;
}

TEST_F(E2eTest, APlayersEvening) {
    SettingsFile settings;
    settings.calibratedForCellWidth(8).set("autoToggleProfile", true);
    // Profile 2 differs from profile 1, so the host can tell them apart.
    settings.setColor("colorAColor2", {1.0, 0.0, 0.0, 1.0});
    settings.setColor("colorBColor2", {0.0, 0.0, 1.0, 1.0});
    ProfileOracle oracle(settings);
    const ProfileFrame profile1 = oracle.selected(1);
    AppSession& session = prepare(settings, SessionOptions::withCellWidth(8));
    ASSERT_TRUE(session.ok() && session.startApp()) << "no Init from ember-talon";
    HostSim& host = session.host();
    // Sends `text`, waits until every key of `keys` is given back, then for profile 1.
    const auto ends = [&](const std::string& text, const std::vector<int32_t>& keys) {
        const size_t before = session.mark();
        EXPECT_TRUE(session.send(text));
        EXPECT_TRUE(host.waitUntil(
            [&](const auto& all) {
                return allKeysSeen(all, before, keys, "RestoreSingleKeyLighting");
            },
            10.0))
            << "not every effect ended after " << text;
        EXPECT_GT(waitForFrame(host, profile1, before, 5.0), 0u) << "after " << text;
    };

    // Start-up greets the host and saves its lighting, nothing more.
    EXPECT_TRUE(host.waitForQuiet(1.5, 20.0));
    std::vector<std::string> commands;
    for (const auto& r : host.records())
        commands.push_back(r.cmd);
    EXPECT_EQ(commands, (std::vector<std::string>{"Init", "SaveCurrentLighting"}));

    // The game in front: profile 1 within a drain tick (0.2 s; the margin is for a loaded
    // machine), then again after 14 ticks with nothing in between.
    size_t before = session.mark();
    const double gameAt = now();
    session.gameInFront();
    const size_t afterFirst = waitForFrame(host, profile1, before, 10.0);
    ASSERT_GT(afterFirst, 0u) << "profile 1 was not sent when the game came to the front";
    const HostRecord first = host.records()[before];
    EXPECT_TRUE(first.is("SetLightingWithBitmap")) << "something came before the profile";
    EXPECT_LT(first.at - gameAt, 1.0);
    ASSERT_GT(waitForFrame(host, profile1, afterFirst, 10.0), 0u) << "no refresh";
    const HostRecord second = host.records()[afterFirst];
    EXPECT_TRUE(second.is("SetLightingWithBitmap")) << second.cmd << " between the refreshes";
    EXPECT_GE(second.hostTime - first.hostTime, 14 * 0.2 * 0.94);
    EXPECT_LE(second.hostTime - first.hostTime, 14 * 0.2 * 2.0);

    // Combat: every combat key pulses, Spacebar at 400 ms a cycle
    // (80 messages), at 200 ms after y; O gives every key back and the profile comes back.
    const size_t beforeCombat = session.mark();
    ASSERT_TRUE(session.send("C"));
    EXPECT_TRUE(host.waitUntil(
        [&](const auto& all) { return allKeysSeen(all, beforeCombat, kCombatKeys); }, 10.0))
        << "not every combat key pulses";
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& all) { return cycleLengths(all, beforeCombat, kSpacebar).size() >= 2; },
        20.0));
    const size_t beforeFaster = session.mark();
    ASSERT_TRUE(session.send("y"));
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& all) { return cycleLengths(all, beforeFaster, kSpacebar).size() >= 3; },
        20.0));
    EXPECT_EQ(cycleLengths(host.records(), beforeCombat, kSpacebar).front(), 80);
    const auto fast = cycleLengths(host.records(), beforeFaster, kSpacebar);
    EXPECT_EQ(fast[1], 40) << "the pulse was not re-issued at 200 ms";
    EXPECT_EQ(fast[2], 40);
    ends("O", kCombatKeys);

    // A whisper flashes Enter magenta until the next message arrives, which is not lost.
    before = session.mark();
    ASSERT_TRUE(session.send("I"));
    ASSERT_TRUE(host.waitFor(
        [](const HostRecord& r) { return r.isKey(kEnter) && r.r == 100 && r.g == 0 && r.b == 100; },
        10.0, before))
        << "Enter does not flash";
    ends("1", {kEnter});
    before = session.mark();
    host.waitForQuiet(1.2, 4.0);
    for (const auto& r : host.recordsFrom(before))
        EXPECT_FALSE(r.isKey(kEnter)) << "Enter still flashes";

    // The host dies mid-run; combat starts pulses that write to nobody. It comes back: the
    // application finds it by itself and the running pulses are back within 3 s. O is waited
    // for by the keys it gives back: the reconnection already sent a profile 1 frame.
    host.kill();
    ASSERT_TRUE(session.send("C"));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(session.app().running()) << "the application died with the host";
    before = session.mark();
    ASSERT_TRUE(host.start());
    EXPECT_TRUE(
        host.waitUntil([&](const auto& all) { return allKeysSeen(all, before, kCombatKeys); }, 3.0))
        << "the combat pulse did not come back";
    ends("O", kCombatKeys);

    // Another program in front after the restart: profile 2, once, and no pulse left running;
    // back in front: profile 1 at once.
    before = session.mark();
    session.otherInFront();
    const size_t afterOther = waitForFrame(host, oracle.shown(2), before, 5.0);
    ASSERT_GT(afterOther, 0u) << "profile 2 was not sent when the game left the front";
    EXPECT_TRUE(host.waitForQuiet(3.5, 10.0)) << "lighting went on with the game away";
    EXPECT_EQ(session.mark(), afterOther);
    before = session.mark();
    session.gameInFront();
    EXPECT_GT(waitForFrame(host, profile1, before, 5.0), 0u);

    // Quitting gives the keyboard back and ends cleanly.
    before = session.mark();
    EXPECT_EQ(session.quitApp(), 0);
    EXPECT_TRUE(
        host.waitFor([](const HostRecord& r) { return r.is("RestoreLighting"); }, 5.0, before));
    // Lines no healthy run prints.
    static const std::regex alarm("error|fail|crash|abort|assert|sanitizer|segmentation|"
                                  "terminat|qobject::|qthread",
                                  std::regex::icase);
    for (const auto& line : session.app().output())
        EXPECT_FALSE(std::regex_search(line, alarm)) << line;
}

// A host stopped as with Ctrl-Z while pulses run: the library's writes give up instead of
// blocking, so the application's main loop runs on and it quits when the desktop asks.
TEST_F(E2eTest, AStoppedHostFreezesNothing) {
    SettingsFile settings;
    settings.calibratedForCellWidth(8);
    AppSession& session = prepare(settings, SessionOptions::withCellWidth(8));
    ASSERT_TRUE(session.ok() && session.startApp()) << "no Init from ember-talon";
    session.gameInFront();
    ASSERT_TRUE(session.send("C"));
    ASSERT_TRUE(session.host().waitUntil(
        [&](const auto& all) { return allKeysSeen(all, 0, kCombatKeys); }, 10.0));
    session.host().signal(SIGSTOP);
    // Nothing can be waited for while the host sleeps: time for the pulses to fill its socket.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_EQ(session.quitApp(), 0) << "the application hung on the stopped host";
    session.host().signal(SIGCONT);
}

} // namespace
} // namespace et::e2e
