#include "QtRunLoop.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>

namespace et {

namespace {
int toMilliseconds(double seconds) {
    if (!(seconds > 0.0)) return 0;
    return static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2.0e9));
}
} // namespace

QtRunLoop::QtRunLoop() {
    clock_.start();
}

double QtRunLoop::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

void QtRunLoop::runFor(double seconds) {
    if (terminating_) return;
    const double deadline = now() + seconds;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A quit request ends every nested loop early; keep waiting unless we are terminating,
    // so callers get the pause they asked for.
    while (!terminating_) {
        const int left = toMilliseconds(deadline - now());
        if (left <= 0) break;
        timer.start(left);
        loop.exec();
    }
}

void QtRunLoop::after(double seconds, std::function<void()> fn) {
    QTimer::singleShot(toMilliseconds(seconds), Qt::PreciseTimer, &context_,
                       [fn = std::move(fn)] { fn(); });
}

} // namespace et
