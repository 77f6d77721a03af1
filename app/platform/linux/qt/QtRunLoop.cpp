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
    const double deadline = now() + seconds;
    ++depth_;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    while (true) {
        const int left = toMilliseconds(deadline - now());
        if (left <= 0) break;
        timer.start(left);
        // Returns at once once the application has been told to exit; the wait then ends.
        if (loop.exec() != 0) break;
    }
    --depth_;
}

void QtRunLoop::after(double seconds, std::function<void()> fn) {
    QTimer::singleShot(toMilliseconds(seconds), Qt::PreciseTimer, &context_,
                       [fn = std::move(fn)] { fn(); });
}

} // namespace et
