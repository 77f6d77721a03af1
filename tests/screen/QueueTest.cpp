#include "MessageQueue.h"
#include "MessageRelay.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace et::test {
namespace {

using ::testing::_;
using ::testing::NiceMock;

class MockLighting : public Lighting {
  public:
    MOCK_METHOD(bool, init, (), (override));
    MOCK_METHOD(bool, getSdkVersion, (int&, int&, int&), (override));
    MOCK_METHOD(bool, setTargetDevice, (int), (override));
    MOCK_METHOD(bool, setLighting, (int, int, int), (override));
    MOCK_METHOD(bool, stopEffects, (), (override));
    MOCK_METHOD(bool, setLightingFromBitmap, (const unsigned char*), (override));
    MOCK_METHOD(bool, setLightingForKey, (int32_t, int, int, int), (override));
    MOCK_METHOD(bool, flashSingleKey, (int32_t, int, int, int, int, int), (override));
    MOCK_METHOD(bool, pulseSingleKey, (int32_t, int, int, int, int, int, int, int, bool),
                (override));
    MOCK_METHOD(bool, stopEffectsOnKey, (int32_t), (override));
    MOCK_METHOD(void, shutdown, (), (override));
};

// Records dispatches and plays the part of the director's game state.
class FakeDirector : public MessageDispatcher {
  public:
    std::vector<std::string> dispatched;
    bool combat = false, dead = false, whisper = false;
    int supressCooldownBlinkCounter = 0;
    std::function<void(const std::string&)> onMessage;

    void evaluateMessage(const std::string& m) override {
        dispatched.push_back(m);
        if (onMessage) onMessage(m);
    }
    bool combatAnimationPlaying() const override { return combat; }
    bool deadAnimationPlaying() const override { return dead; }
    bool whisperLightActive() const override { return whisper; }
    void setWhisperLightActive(bool a) override { whisper = a; }
    void setSupressCooldownBlinkCounter(int c) override { supressCooldownBlinkCounter = c; }
};

std::string selectAll(MessageQueue& q, int ticks, bool animation = false) {
    std::string order;
    for (int i = 0; i < ticks; ++i) {
        auto s = q.select(animation);
        if (!s.message.empty()) order += s.message + "|";
    }
    return order;
}

TEST(MessageQueue, EnqueueRulesByFirstCharacter) {
    const auto pendingGS = [] {
        auto q = std::make_unique<MessageQueue>();
        q->enqueue("G");
        q->enqueue("S");
        return q;
    };
    auto q = pendingGS();
    q->enqueue("R");
    EXPECT_EQ(q->contents(), "R");
    for (const char* front : {"D", "U", "O", "V", "E", "e", "`A", "[A", "]A", "{A", "}A"}) {
        q = pendingGS();
        q->enqueue(front);
        EXPECT_EQ(q->contents(), std::string(front) + "GS") << front;
    }
    for (const std::string back : {"T", "c", "I", "w", "\x7f", ""}) {
        const std::string message = back.empty() ? std::string(1, '\0') : back;
        q = pendingGS();
        q->enqueue(message);
        EXPECT_EQ(q->contents(), "GS" + message) << int(message[0]);
    }
    // A red-prefixed pair lands before everything, including an earlier front message.
    q = pendingGS();
    q->enqueue("D");
    q->enqueue("`5");
    EXPECT_EQ(q->contents(), "`5DGS");
}

TEST(MessageQueue, UAndVOvertakeUpToTheFirstColorPrefix) {
    MessageQueue g;
    for (const char* m : {"G", "U"})
        g.enqueue(m); // "UG"
    EXPECT_EQ(selectAll(g, 1), "U|");
    EXPECT_EQ(g.contents(), "G");

    // "G", then "U", then a pair: "U" goes first, "G" and the pair keep their order.
    MessageQueue h;
    h.enqueue("]1"); // "]1"
    h.enqueue("U");  // "U]1"
    h.enqueue("G");  // "U]1G"
    EXPECT_EQ(selectAll(h, 1), "U|");
    EXPECT_EQ(h.contents(), "]1G");
    EXPECT_EQ(selectAll(h, 3), "]1|G|");

    // A pair standing before the "U" is taken first and the "U" stays.
    MessageQueue p;
    p.enqueue("U");
    p.enqueue("[2"); // "[2U"
    EXPECT_EQ(selectAll(p, 1), "[2|");
    EXPECT_EQ(p.contents(), "U");

    // The data character of a pair is not a "U" message.
    MessageQueue d;
    d.enqueue("`U");
    d.enqueue("G");
    EXPECT_EQ(selectAll(d, 3), "`U|G|");
}

TEST(MessageQueue, UAndVInOneTickAreBothTakenInQueueOrder) {
    MessageQueue q;
    q.enqueue("G");
    q.enqueue("V");
    q.enqueue("U"); // "UVG"
    EXPECT_EQ(selectAll(q, 4), "U|V|G|");
    MessageQueue r;
    r.enqueue("U");
    r.enqueue("V"); // "VU"
    EXPECT_EQ(selectAll(r, 2), "V|U|");
}

TEST(MessageQueue, PrefixWaitsForItsDataCharacter) {
    MessageQueue q;
    q.enqueue("`");
    EXPECT_EQ(selectAll(q, 3), "");
    EXPECT_EQ(q.contents(), "`");
    q.enqueue("7");
    EXPECT_EQ(selectAll(q, 1), "`7|");
    EXPECT_EQ(q.contents(), "");
}

TEST(MessageQueue, AnimationHoldsBackOnlyOrdinaryMessages) {
    MessageQueue q;
    for (const char* m : {"G", "x", "c"})
        q.enqueue(m); // "Gxc"
    EXPECT_EQ(selectAll(q, 3, /*animation=*/true), "");
    q.enqueue("O"); // "OGxc"
    EXPECT_EQ(selectAll(q, 1, true), "O|");
    q.enqueue("[9");
    EXPECT_EQ(selectAll(q, 1, true), "[9|");
    // With the animation over the rest follows in order; "c" is consumed, not returned.
    EXPECT_EQ(selectAll(q, 4, false), "G|x|");
    EXPECT_EQ(q.contents(), "");
    for (char urgent : std::string("OREewxyz")) {
        MessageQueue u;
        u.enqueue("G");
        u.enqueue(std::string(1, urgent));
        // Front-going ones overtake "G"; the others wait behind it.
        const bool front = std::string("OEe").find(urgent) != std::string::npos || urgent == 'R';
        EXPECT_EQ(selectAll(u, 1, true), front ? std::string(1, urgent) + "|" : "") << urgent;
    }
}

TEST(MessageQueue, CIsConsumedAndReported) {
    MessageQueue q;
    q.enqueue("c");
    q.enqueue("G");
    auto s = q.select(false);
    EXPECT_TRUE(s.message.empty());
    EXPECT_TRUE(s.cooldownBlinkSuppressed);
    EXPECT_EQ(q.contents(), "G");
}

struct RelayFixture : ::testing::Test {
    MessageQueue queue;
    FakeDirector director;
    NiceMock<MockLighting> lighting;
    int foregroundChecks = 0;
    MessageRelay relay{queue, director, lighting, [this] { ++foregroundChecks; }};

    void tick() { // one 0.2 s period: two selection ticks, then the dispatch tick
        relay.handleMessageQueue();
        relay.handleMessageQueue();
        relay.readMsgQueue();
    }
};

TEST_F(RelayFixture, OneMessageAtATimeAndForegroundCheckEveryTick) {
    for (const char* m : {"G", "S", "T"})
        queue.enqueue(m);
    tick();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"G"}));
    EXPECT_EQ(queue.contents(), "ST");
    tick();
    tick();
    tick();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"G", "S", "T"}));
    EXPECT_EQ(foregroundChecks, 4);
    EXPECT_EQ(relay.currentMessage(), "");
}

TEST_F(RelayFixture, CSetsTheBlinkSuppressionAndReachesNoDispatcher) {
    queue.enqueue("c");
    tick();
    EXPECT_EQ(director.supressCooldownBlinkCounter, 5);
    EXPECT_TRUE(director.dispatched.empty());
    EXPECT_EQ(foregroundChecks, 1);
}

TEST_F(RelayFixture, DeathWaitsBehindCombatAnimationWhileOEndsIt) {
    director.combat = true;
    director.onMessage = [this](const std::string& m) {
        if (m == "O") director.combat = false;
    };
    queue.enqueue("D");
    tick();
    tick();
    EXPECT_TRUE(director.dispatched.empty());
    queue.enqueue("O");
    EXPECT_EQ(queue.contents(), "OD");
    tick();
    tick();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"O", "D"}));
}

TEST_F(RelayFixture, WhisperGate) {
    director.whisper = true;
    // "I" is dropped while the whisper light is on.
    queue.enqueue("I");
    tick();
    EXPECT_TRUE(director.dispatched.empty());
    EXPECT_EQ(relay.currentMessage(), "");
    EXPECT_TRUE(director.whisper);

    // A plain message frees the Enter key first and goes out one tick later.
    EXPECT_CALL(lighting, stopEffectsOnKey(0x1C)).Times(1);
    queue.enqueue("G");
    tick();
    EXPECT_TRUE(director.dispatched.empty());
    EXPECT_FALSE(director.whisper);
    EXPECT_EQ(relay.currentMessage(), "G");
    relay.readMsgQueue();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"G"}));
    ::testing::Mock::VerifyAndClearExpectations(&lighting);

    // A color-prefixed message passes the gate untouched.
    director.whisper = true;
    EXPECT_CALL(lighting, stopEffectsOnKey(_)).Times(0);
    queue.enqueue("`3");
    tick();
    EXPECT_EQ(director.dispatched.back(), "`3");
    EXPECT_TRUE(director.whisper);
}

TEST_F(RelayFixture, ResetFromTheDispatcherEmptiesEverything) {
    director.onMessage = [this](const std::string& m) {
        if (m == "R") relay.resetQueue();
    };
    queue.enqueue("G");
    queue.enqueue("R"); // replaces "G"
    EXPECT_EQ(queue.contents(), "R");
    relay.handleMessageQueue();
    queue.enqueue("S"); // arrives before the dispatch, dropped by the reset
    relay.readMsgQueue();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"R"}));
    EXPECT_EQ(queue.contents(), "");
    EXPECT_EQ(relay.currentMessage(), "");
}

TEST_F(RelayFixture, NestedTicksDuringAnAnimationDoNotRedispatch) {
    // An animation waits by running the main loop, in which both timers fire again.
    director.onMessage = [this](const std::string& m) {
        if (m != "S") return;
        relay.handleMessageQueue();
        relay.readMsgQueue();
    };
    queue.enqueue("S");
    queue.enqueue("T");
    tick();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"S"}));
    EXPECT_EQ(queue.contents(), "T");
    tick();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"S", "T"}));
}

} // namespace
} // namespace et::test
