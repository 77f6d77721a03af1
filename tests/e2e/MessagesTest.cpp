// Messages painted by the strip painter, read by the application from the screen, and the
// lighting the host receives for them: combat, cooldowns, chat, death and whispers.
#include "E2eTest.h"

#include <algorithm>

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

TEST_F(E2eTest, CombatPulsesTheCombatKeysFasterOnYAndStopsOnO) {
    SettingsFile settings;
    settings.calibratedForCellWidth(8);
    ProfileOracle oracle(settings);
    AppSession& session = start(settings);
    ASSERT_TRUE(session.ok());
    HostSim& host = session.host();
    session.gameInFront();
    ASSERT_GT(waitForFrame(host, oracle.shown(1), 0, 10.0), 0u);

    const size_t beforeCombat = session.mark();
    ASSERT_TRUE(session.send("C"));
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& records) { return allKeysLit(records, beforeCombat, kCombatKeys); }, 10.0))
        << "not every combat key pulses";
    auto records = host.records();
    const auto device = std::find_if(records.begin() + beforeCombat, records.end(),
                                     [](const HostRecord& r) { return r.is("SetTargetDevice"); });
    ASSERT_NE(device, records.end());
    EXPECT_EQ(device->device, 4);
    for (size_t i = beforeCombat; i < records.size(); ++i) {
        const HostRecord& r = records[i];
        if (!r.is("SetLightingForKeyWithKeyName") || r.key != kSpacebar) continue;
        EXPECT_TRUE(r.r >= 25 && r.r <= 100 && r.g == 0 && r.b == 0)
            << "Spacebar at " << r.r << "," << r.g << "," << r.b;
    }
    // Two whole cycles at 400 ms: 80 messages each.
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& all) { return cycleLengths(all, beforeCombat, kSpacebar).size() >= 2; },
        20.0));

    const size_t beforeFaster = session.mark();
    ASSERT_TRUE(session.send("y"));
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& all) { return cycleLengths(all, beforeFaster, kSpacebar).size() >= 3; },
        20.0));
    const auto slow = cycleLengths(host.records(), beforeCombat, kSpacebar);
    EXPECT_EQ(slow.front(), 80);
    const auto fast = cycleLengths(host.records(), beforeFaster, kSpacebar);
    EXPECT_EQ(fast[1], 40) << "the pulse was not re-issued at 200 ms";
    EXPECT_EQ(fast[2], 40);

    const size_t beforeEnd = session.mark();
    ASSERT_TRUE(session.send("O"));
    // Each pulse ends by giving its key back, and the profile comes back on the next tick.
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& all) {
            std::set<int32_t> restored;
            for (size_t i = beforeEnd; i < all.size(); ++i)
                if (all[i].is("RestoreSingleKeyLighting")) restored.insert(all[i].key);
            return restored.size() == kCombatKeys.size();
        },
        10.0))
        << "not every combat pulse ended";
    EXPECT_GT(waitForFrame(host, oracle.shown(1), beforeEnd, 3.0), 0u);
    const size_t settled = session.mark();
    host.waitForQuiet(1.0, 3.0);
    const auto after = host.recordsFrom(settled);
    EXPECT_EQ(std::count_if(after.begin(), after.end(),
                            [](const HostRecord& r) { return r.isKey(kSpacebar); }),
              0)
        << "Spacebar still pulses after O";
}

TEST_F(E2eTest, CooldownFramesDimTheSlotKeysAndFlashTheOneThatComesBack) {
    constexpr int32_t kSlot1Key = 0x10; // Q
    constexpr int32_t kSlot2Key = 0x12; // E
    SettingsFile settings;
    settings.calibratedForCellWidth(8)
        .set("useActionBarCooldowns1", true)
        .set("key101", int64_t{kSlot1Key})
        .set("key102", int64_t{kSlot2Key})
        .set("blinkTimePref", 0.6);
    ProfileOracle oracle(settings);
    AppSession& session = start(settings);
    ASSERT_TRUE(session.ok());
    HostSim& host = session.host();

    // Bar map A, slots 1–6, in red: the value 96 puts slots 1 and 2 on cooldown.
    const size_t beforeStart = session.mark();
    ASSERT_TRUE(session.send(std::string(1, char(96)), "red"));
    const auto dimmed1 =
        host.waitFor([&](const HostRecord& r) { return r.isKey(kSlot1Key); }, 10.0, beforeStart);
    const auto dimmed2 =
        host.waitFor([&](const HostRecord& r) { return r.isKey(kSlot2Key); }, 10.0, beforeStart);
    ASSERT_TRUE(dimmed1 && dimmed2) << "the cooldown keys were not lit";
    const KeyColor cooldown = oracle.cooldownColor(kSlot1Key);
    EXPECT_EQ((KeyColor{dimmed1->key, dimmed1->r, dimmed1->g, dimmed1->b}), cooldown);
    EXPECT_EQ((KeyColor{dimmed2->key, dimmed2->r, dimmed2->g, dimmed2->b}),
              oracle.cooldownColor(kSlot2Key));

    // 64: slot 2 is back. Its key returns to its color, then flashes white for 0.6 s.
    const size_t beforeEnd = session.mark();
    ASSERT_TRUE(session.send("@", "red"));
    ASSERT_TRUE(host.waitFor(
        [](const HostRecord& r) { return r.is("RestoreSingleKeyLighting") && r.key == kSlot2Key; },
        10.0, beforeEnd))
        << "the flash of slot 2 did not end";
    const auto records = host.recordsFrom(beforeEnd);
    std::vector<HostRecord> slot2;
    for (const auto& r : records)
        if (r.isKey(kSlot2Key)) slot2.push_back(r);
    ASSERT_GE(slot2.size(), 3u);
    EXPECT_EQ((KeyColor{slot2[0].key, slot2[0].r, slot2[0].g, slot2[0].b}),
              oracle.keyColor(kSlot2Key));
    EXPECT_EQ((KeyColor{slot2[1].key, slot2[1].r, slot2[1].g, slot2[1].b}),
              (KeyColor{kSlot2Key, 100, 100, 100}));
    // 0.6 s at 75 ms: eight ticks alternating white and dark.
    EXPECT_EQ(slot2.size(), 1u + 8u);
    for (const auto& r : records)
        EXPECT_FALSE(r.isKey(kSlot1Key)) << "slot 1 changed though it is still on cooldown";
}

TEST_F(E2eTest, ChatDeathAndWhisper) {
    SettingsFile settings;
    settings.calibratedForCellWidth(8).set("autoToggleProfile", true);
    settings.setColor("colorAColor2", {1.0, 0.0, 0.0, 1.0});
    ProfileOracle oracle(settings);
    const ProfileFrame profile2 = oracle.selected(2);
    const ProfileFrame profile1 = oracle.selected(1);
    AppSession& session = start(settings);
    ASSERT_TRUE(session.ok());
    HostSim& host = session.host();
    session.gameInFront();
    ASSERT_GT(waitForFrame(host, profile1, 0, 10.0), 0u);

    // The chat opens: profile 2; it closes: back to profile 1.
    const size_t beforeChat = session.mark();
    ASSERT_TRUE(session.send("E"));
    const size_t chatOpen = waitForFrame(host, profile2, beforeChat, 5.0);
    EXPECT_GT(chatOpen, 0u) << "E did not switch to profile 2";
    ASSERT_TRUE(session.send("e"));
    EXPECT_GT(waitForFrame(host, profile1, std::max(chatOpen, beforeChat), 5.0), 0u)
        << "e did not switch back to profile 1";

    // Death: the dead base color and the pulses; U ends them and gives the keys back.
    const std::vector<int32_t> deadKeys = {
        0x3A,   0x04, 0x13, 0x17, 0x30, 0x36, 0x49, 0x50, 0x147, 0x0E,  0x01,  0x41,  0x2D,  0xFFF7,
        0xFFF4, 0x1D, 0x06, 0x16, 0x32, 0x44, 0x11, 0x39, 0x19,  0x153, 0x150, 0x135, 0xFFF1};
    const size_t beforeDeath = session.mark();
    ASSERT_TRUE(session.send("D"));
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& all) { return allKeysLit(all, beforeDeath, deadKeys); }, 10.0))
        << "not every dead key pulses";
    const auto deathStart = host.recordsFrom(beforeDeath);
    const auto base = std::find_if(deathStart.begin(), deathStart.end(),
                                   [](const HostRecord& r) { return r.is("SetLighting"); });
    ASSERT_NE(base, deathStart.end());
    EXPECT_EQ(std::vector<int>({base->r, base->g, base->b}), std::vector<int>({50, 40, 50}));

    const size_t beforeAlive = session.mark();
    ASSERT_TRUE(session.send("U"));
    ASSERT_TRUE(host.waitUntil(
        [&](const auto& all) {
            std::set<int32_t> restored;
            for (size_t i = beforeAlive; i < all.size(); ++i)
                if (all[i].is("RestoreSingleKeyLighting")) restored.insert(all[i].key);
            return restored.size() == deadKeys.size();
        },
        10.0))
        << "not every dead pulse ended";
    EXPECT_GT(waitForFrame(host, profile1, beforeAlive, 5.0), 0u) << "no profile after U";

    // A whisper flashes Enter magenta until the next message arrives.
    const size_t beforeWhisper = session.mark();
    ASSERT_TRUE(session.send("I"));
    ASSERT_TRUE(host.waitFor(
        [](const HostRecord& r) { return r.isKey(kEnter) && r.r == 100 && r.g == 0 && r.b == 100; },
        10.0, beforeWhisper))
        << "Enter does not flash";
    const size_t beforeNext = session.mark();
    ASSERT_TRUE(session.send("1"));
    const auto ended = host.waitFor(
        [](const HostRecord& r) { return r.is("RestoreSingleKeyLighting") && r.key == kEnter; },
        10.0, beforeNext);
    ASSERT_TRUE(ended) << "the Enter flash did not stop";
    EXPECT_GT(waitForFrame(host, profile1, beforeNext, 5.0), 0u) << "the message was lost";
    host.waitForQuiet(1.2, 4.0);
    const auto after = host.records();
    size_t endedAt = beforeNext;
    while (!(after[endedAt].is("RestoreSingleKeyLighting") && after[endedAt].key == kEnter))
        ++endedAt;
    for (size_t i = endedAt; i < after.size(); ++i)
        EXPECT_FALSE(after[i].isKey(kEnter)) << "Enter still flashes";
}

} // namespace
} // namespace et::e2e
