#include "WindowHarness.h"

#include "CanvasLayout.h"

#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QTimer>

#include <sstream>

namespace et::test {

QPointF keyCenter(int32_t keyId) {
    for (const KeyRect& r : canvasKeyRects())
        if (r.id == keyId) return {r.x + r.width / 2.0, r.y + r.height / 2.0};
    ADD_FAILURE() << "no rectangle for key " << keyId;
    return {-100, -100};
}

void mouseOnCanvas(ColorPainter& canvas, QEvent::Type type, QPointF viewPoint,
                   Qt::MouseButtons buttons) {
    const QPointF local = canvas.toWidgetPoint(viewPoint);
    QMouseEvent event(type, local, canvas.mapToGlobal(local), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&canvas, &event);
}

void clickCanvas(ColorPainter& canvas, QPointF viewPoint) {
    mouseOnCanvas(canvas, QEvent::MouseButtonPress, viewPoint, Qt::LeftButton);
    mouseOnCanvas(canvas, QEvent::MouseButtonRelease, viewPoint, Qt::NoButton);
}

void choose(QComboBox* menu, int index) {
    menu->setCurrentIndex(index);
    Q_EMIT menu->activated(index);
}

std::map<int32_t, Rgb> lastKeyColors(const RecordingLighting& lighting, size_t fromCall) {
    std::map<int32_t, Rgb> keys;
    for (size_t i = fromCall; i < lighting.calls.size(); ++i) {
        std::istringstream in(lighting.calls[i]);
        std::string name;
        int32_t key = 0;
        int r = 0, g = 0, b = 0;
        if (in >> name >> key >> r >> g >> b && name == "setLightingForKey") keys[key] = {r, g, b};
    }
    return keys;
}

ModalScript::ModalScript() : timer_(new QTimer) {
    QObject::connect(timer_, &QTimer::timeout, [this] { poll(); });
    timer_->start(5);
}

ModalScript::~ModalScript() {
    delete timer_;
}

void ModalScript::poll() {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible() || dialog == handled_) return;
    handled_ = dialog;
    ++shown;
    // The same dialog object may open again later: forget it once this answer ends it.
    QObject::connect(
        dialog, &QDialog::finished, timer_, [this] { handled_ = nullptr; },
        Qt::SingleShotConnection);
    if (answers_.empty()) {
        ++unexpected;
        dialog->reject();
        return;
    }
    Answer answer = std::move(answers_.front());
    answers_.pop_front();
    answer(*dialog);
}

} // namespace et::test
