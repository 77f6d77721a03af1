#include "LinkedDirector.h"
#include <gtest/gtest.h>
namespace et::test {
TEST(Scratch, X) {
    LinkedDirector h;
    h.director.state.autoToggleProfile2 = true;
    h.director.state.combatChatWarning = true;
    const char* ms[] = {"c","j","A","``","c","R","O","K",""};
    double gaps[] = {0.15,0.6,0.3,0.6,0.3,0.05,1.2,1.2,3};
    for (int i = 0; i < 9; ++i) {
        if (*ms[i]) h.queue.enqueue(ms[i]);
        for (double t = 0; t < gaps[i]; t += 0.1) {
            h.clock.runFor(0.1);
            fprintf(stderr, "t=%.2f step %s cd=%d shadow=%d q[%s] cur[%s] disp=%zu\n", h.clock.now(), ms[i], h.director.state.EmberisInTheForeground, h.director.state.shadowAnimationPlaying, h.queue.contents().c_str(), h.relay->currentMessage().c_str(), h.recorder.dispatched.size());
        }
    }
}
}
