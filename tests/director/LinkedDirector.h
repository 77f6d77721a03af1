#pragma once
// The director as the application runs it: messages arrive in the shared queue, the relay's
// two timers move them to the director on the virtual clock, and the lighting lands on a
// KeyboardModel that runs the framework's effects. Every dispatch is recorded with its time.
#include "DirectorHarness.h"
#include "KeyboardModel.h"
#include "MessageQueue.h"
#include "MessageRelay.h"

#include <string>
#include <vector>

namespace et::test {

// Records what the relay hands over, then passes it on.
class DispatchRecorder : public MessageDispatcher {
  public:
    DispatchRecorder(LightingDirector& director, VirtualRunLoop& clock)
        : director_(director), clock_(clock) {}
    void evaluateMessage(const std::string& message) override {
        dispatched.push_back(message);
        lastDispatch = clock_.now();
        if (message == "K" || message == "W") lastDark = clock_.now();
        director_.evaluateMessage(message);
    }
    bool combatAnimationPlaying() const override { return director_.combatAnimationPlaying(); }
    bool deadAnimationPlaying() const override { return director_.deadAnimationPlaying(); }
    bool whisperLightActive() const override { return director_.whisperLightActive(); }
    void setWhisperLightActive(bool a) override { director_.setWhisperLightActive(a); }
    void setSupressCooldownBlinkCounter(int c) override {
        director_.setSupressCooldownBlinkCounter(c);
    }
    void messagesDropped(const std::string& m) override {
        dropped += m;
        director_.messagesDropped(m);
    }

    std::vector<std::string> dispatched;
    std::string dropped;
    double lastDispatch = -1.0;
    double lastDark = -10.0; // the last animation that leaves the keyboard dark

  private:
    LightingDirector& director_;
    VirtualRunLoop& clock_;
};

struct LinkedDirector : DirectorParts {
    // Key 0x39 (Space) is a combat key, key 0x02 ("1") is not.
    static constexpr int32_t kSpace = 0x39;
    static constexpr int32_t kOne = 0x02;
    static constexpr int32_t kEnter = 0x1C;

    VirtualRunLoop clock;
    KeyboardModel keyboard{clock};
    KeyboardFrames frames{keyboard, store, canvasModel};
    MessageQueue queue;
    std::unique_ptr<MessageRelay> relay;
    LightingDirector director{keyboard, clock, log,    defaults, frames,
                              canvas,   slots, random, hooks()};
    DispatchRecorder recorder{director, clock};

    // Bar A slot 1 on Space, slot 2 on "1"; the cooldown color exact in both units.
    LinkedDirector() {
        debugMode = true;
        onQueueReset = [this] { relay->resetQueue(); };
        prepare(frames, Color{0.2, 0.4, 1.0, 1.0});
        slots.barMapA.setSlot(1, kSpace);
        slots.barMapA.setSlot(2, kOne);
        frames.useSpellCooldowns[0] = true;
        relay = std::make_unique<MessageRelay>(queue, recorder, keyboard,
                                               [this] { director.gameInFront(); });
        every(0.1, [this] { relay->handleMessageQueue(); });
        every(0.2, [this] { relay->readMsgQueue(); });
    }

    void every(double seconds, std::function<void()> fn) {
        clock.after(seconds, [this, seconds, fn] {
            fn();
            every(seconds, fn);
        });
    }
    // The add-on's messages arrive from the strip, `gap` seconds apart.
    void arrive(std::initializer_list<const char*> messages, double gap = 0.25) {
        for (const char* m : messages) {
            queue.enqueue(m);
            clock.runFor(gap);
        }
    }
    bool drained() const { return queue.contents().empty() && relay->currentMessage().empty(); }
    static Rgb cooldownColor() { return {20, 40, 100}; }
};

} // namespace et::test
