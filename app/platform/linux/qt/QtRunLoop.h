#pragma once
// The main thread's RunLoop on Qt's event loop. Waits run a nested QEventLoop, so timers,
// the framework's effects (GLib sources on the same context) and the windows stay alive.
#include "RunLoop.h"

#include <QElapsedTimer>
#include <QObject>

namespace et {

class QtRunLoop : public RunLoop {
  public:
    QtRunLoop();
    double now() const override;
    void runFor(double seconds) override;
    void after(double seconds, std::function<void()> fn) override;

    // Whether the main thread is inside runFor now (an animation or a calibration waits).
    bool waiting() const { return depth_ > 0; }

  private:
    QElapsedTimer clock_;
    QObject context_; // owns the pending one-shot timers
    int depth_ = 0;
};

} // namespace et
