#pragma once
// Turns SIGTERM and SIGINT into a Qt signal on the main thread, so that a terminal's
// Ctrl+C or a session's kill runs the same orderly shutdown as the Quit menu item.
#include <QObject>

class QSocketNotifier;

namespace et {

class SignalBridge : public QObject {
    Q_OBJECT
  public:
    explicit SignalBridge(QObject* parent = nullptr);
    ~SignalBridge() override;
    // Whether the handlers are installed (one bridge per process).
    bool installed() const { return notifier_ != nullptr; }

  Q_SIGNALS:
    void quitRequested(int signalNumber);

  private:
    void readSignal();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace et
