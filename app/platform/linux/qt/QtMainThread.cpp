#include "QtMainThread.h"

#include <QMetaObject>

namespace et {

void QtMainThread::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        &receiver_, [fn = std::move(fn)] { fn(); }, Qt::QueuedConnection);
}

} // namespace et
