#pragma once
// MainThread on Qt: posted work runs from the main thread's event loop, in posting order.
// Create it on the main thread; post() may then be called from any thread.
#include "MainThread.h"

#include <QObject>

namespace et {

class QtMainThread : public MainThread {
  public:
    void post(std::function<void()> fn) override;

  private:
    QObject receiver_; // lives on the thread that created it: the main thread
};

} // namespace et
