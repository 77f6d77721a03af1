// The message queue's placement, overtaking and dropping rules, and the relay that moves
// one message at a time from it to the director.
#include "MessageQueue.h"
#include "MessageRelay.h"

#include <gtest/gtest.h>

#include <vector>

namespace et::test {
namespace {

// Records dispatches; the director's game state is left to the session scenarios.
class FakeDirector : public MessageDispatcher {
  public:
    std::vector<std::string> dispatched;
    std::string dropped;
    int supressCooldownBlinkCounter = 0;
    bool whisper = false;

    void evaluateMessage(const std::string& m) override { dispatched.push_back(m); }
    bool combatAnimationPlaying() const override { return false; }
    bool deadAnimationPlaying() const override { return false; }
    bool whisperLightActive() const override { return whisper; }
    void endWhisperLight() override { whisper = false; }
    void setSupressCooldownBlinkCounter(int c) override { supressCooldownBlinkCounter = c; }
    void messagesDropped(const std::string& m) override { dropped += m; }
};

std::string selectAll(MessageQueue& q, int ticks, bool animation = false) {
    std::string order;
    for (int i = 0; i < ticks; ++i) {
        auto s = q.select(animation);
        if (!s.message.empty()) order += s.message + "|";
    }
    return order;
}

TEST(MessageQueue, PlacementAndDroppingRules) {
    const std::string nul(1, '\0');
    std::vector<std::string> flood(34, "G");
    flood.insert(flood.begin() + 1, "`1"); // frames do not count
    const struct {
        const char* rule;
        std::vector<std::string> arrivals;
        std::string contents, dropped;
    } rows[] = {
        {"R replaces all but frames", {"G", "`1", "S", "R"}, "`1R", ""},
        {"D, O, e to the front", {"G", "D", "O", "e", "S"}, "eODGS", ""},
        {"U, V, E to the front", {"G", "U", "V", "E", "S"}, "EVUGS", ""},
        {"others to the back", {"G", "T", "c", "I", "w", "\x7f", nul}, "GTcIw\x7f" + nul, ""},
        {"frames before everything", {"G", "D", "`5", "}A"}, "`5}ADG", ""},
        {"a lone prefix at the end", {"`", "[2"}, "[2`", ""},
        {"newer frame of a bar replaces it", {"`1", "[2", "`3", "G"}, "[2`3G", "`1"},
        {"O drops a waiting C", {"C", "G", "O"}, "OG", "C"},
        {"U drops waiting D and W", {"D", "W", "G", "U"}, "UG", "DW"},
        {"V drops a waiting D", {"D", "V"}, "V", "D"},
        {"E drops a waiting e", {"e", "G", "E"}, "EG", "e"},
        {"e drops a waiting E", {"E", "e"}, "e", "E"},
        {"a frame's data is no message", {"`C", "[D", "O", "U"}, "UO`C[D", ""},
        {"at most 32 wait, the oldest dropped", flood, "`1" + std::string(32, 'G'), "GG"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rule);
        MessageQueue q;
        for (const auto& m : row.arrivals)
            q.enqueue(m);
        EXPECT_EQ(q.contents(), row.contents);
        EXPECT_EQ(q.select(true, false).dropped, row.dropped);
    }
    // A reset keeps the action-bar frames: they tell the slots' state, not an event.
    MessageQueue q;
    for (const char* m : {"G", "`1", "[2", "D"})
        q.enqueue(m);
    q.clear();
    EXPECT_EQ(q.contents(), "`1[2");
}

TEST(MessageQueue, SelectionOrder) {
    const struct {
        std::vector<const char*> arrivals;
        std::string order;
    } rows[] = {
        // "U" and "V" overtake everything up to the first frame, one per tick, earlier first.
        {{"]1", "U", "G"}, "U|]1|G|"}, {{"G", "T", "U"}, "U|G|T|"},
        {{"G", "U", "D"}, "U|D|G|"},   {{"G", "V", "U"}, "U|V|G|"},
        {{"U", "[2"}, "[2|U|"},        {{"`"}, ""}, // a prefix waits for its data character
        {{"`", "7"}, "`7|"},
    };
    for (const auto& row : rows) {
        MessageQueue q;
        for (const char* m : row.arrivals)
            q.enqueue(m);
        EXPECT_EQ(selectAll(q, 5), row.order) << row.arrivals.size() << " " << row.order;
    }

    MessageQueue q;
    // An animation holds back only ordinary messages; "c" is consumed and reported.
    for (const char* m : {"G", "x", "c"})
        q.enqueue(m); // "Gxc"
    EXPECT_EQ(selectAll(q, 3, /*animation=*/true), "");
    q.enqueue("O");
    q.enqueue("[9");
    EXPECT_EQ(selectAll(q, 2, true), "[9|O|");
    EXPECT_EQ(selectAll(q, 2, false), "G|x|");
    const auto c = q.select(false);
    EXPECT_TRUE(c.message.empty());
    EXPECT_TRUE(c.cooldownBlinkSuppressed);
    for (char urgent : std::string("OREewxyzGT")) {
        MessageQueue a;
        a.enqueue("G");
        a.enqueue(std::string(1, urgent));
        const bool passes = std::string("OREe").find(urgent) != std::string::npos;
        EXPECT_EQ(selectAll(a, 1, true), passes ? std::string(1, urgent) + "|" : "") << urgent;
    }
}

TEST(MessageRelay, OneMessagePerTickInPriorityOrder) {
    MessageQueue queue;
    FakeDirector director;
    int foregroundChecks = 0;
    MessageRelay relay{queue, director, [&] { ++foregroundChecks; }};
    const auto tick = [&] { // one 0.2 s period: two selection ticks, then the dispatch tick
        relay.handleMessageQueue();
        relay.handleMessageQueue();
        relay.readMsgQueue();
    };
    for (const char* m : {"G", "S", "c", "T", "C", "O"})
        queue.enqueue(m);
    tick();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"O"}));
    EXPECT_EQ(director.dropped, "C");
    EXPECT_EQ(queue.contents(), "GScT");
    for (int i = 0; i < 4; ++i)
        tick();
    EXPECT_EQ(director.dispatched, (std::vector<std::string>{"O", "G", "S", "T"}));
    EXPECT_EQ(director.supressCooldownBlinkCounter, 5) << "a \"c\" goes no further";
    EXPECT_EQ(foregroundChecks, 5);
}

TEST(MessageRelay, AWhisperHoldsAllButFrames) {
    using Dispatched = std::vector<std::string>;
    const struct {
        const char* message;
        Dispatched firstTick, secondTick;
        bool whisperAfter;
    } rows[] = {
        {"G", {}, {"G"}, false}, // the first tick frees Enter, the next dispatches
        {"I", {}, {}, true},     // a second whisper while the first still flashes
        {"`5", {"`5"}, {"`5"}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        MessageQueue queue;
        FakeDirector director;
        director.whisper = true;
        MessageRelay relay{queue, director, {}};
        queue.enqueue(row.message);
        for (const auto& expected : {row.firstTick, row.secondTick}) {
            relay.handleMessageQueue();
            relay.readMsgQueue();
            EXPECT_EQ(director.dispatched, expected);
        }
        EXPECT_EQ(director.whisper, row.whisperAfter);
    }
}

} // namespace
} // namespace et::test
