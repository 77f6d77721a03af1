#include "LinkedDirector.h"
#include <gtest/gtest.h>
namespace et::test {
TEST(Scratch, X) {
    LinkedDirector h;
    const char* ms[] = {"C","``","j","","`@","``","#reset"};
    double gaps[] = {0.6,1.2,0.15,0.15,0.3,0.05,0.6};
    for (int i = 0; i < 7; ++i) {
        if (std::string(ms[i]) == "#reset") h.director.resetClicked(); else if (*ms[i]) h.queue.enqueue(ms[i]);
        for (double t = 0; t < gaps[i]; t += 0.05) {
            h.clock.runFor(0.05);
            auto a = h.keyboard.keyColor(0x39), b = h.keyboard.keyColor(0x02);
            fprintf(stderr, "t=%.2f step %s space %d,%d,%d(p%d) one %d,%d,%d(p%d) q[%s] cur[%s] disp=%zu dim=%zu\n", h.clock.now(), ms[i], a.red,a.green,a.blue,(int)h.keyboard.pulse(0x39).has_value(), b.red,b.green,b.blue,(int)h.keyboard.pulse(0x02).has_value(),h.queue.contents().c_str(), h.relay->currentMessage().c_str(), h.recorder.dispatched.size(), h.frames.dimmedKeys.size());
        }
    }
}
}
