#include "ColorPainter.h"

#include "CanvasLayout.h"
#include "KeyList.h"
#include "KeyboardFrames.h"

#include <QMouseEvent>
#include <QPainter>

namespace et {

ColorPainter::ColorPainter(CanvasModel& model, Lighting& lighting, const bool& singleColorMode,
                           QWidget* parent)
    : QWidget(parent), model_(model), lighting_(lighting), singleColorMode_(singleColorMode) {
    setObjectName("keyboardCanvas");
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::CrossCursor);
}

QPointF ColorPainter::toViewPoint(QPointF p) const {
    return {p.x(), kHeight - p.y()};
}

QPointF ColorPainter::toWidgetPoint(QPointF p) const {
    return {p.x(), kHeight - p.y()};
}

QRectF ColorPainter::widgetRect(int x, int y, int width, int height) const {
    return QRectF(x, kHeight - y - height, width, height);
}

Color ColorPainter::drawnColor(int32_t keyId) const {
    if (model_.usingActionbarCooldowns && model_.dimmedKeys.count(keyId))
        return model_.keyColorSet[kCooldownColor];
    if (singleColorMode_) return model_.keyColorSet[kColorA];
    return KeyboardFrames::mappedColor(model_.keyColorSet, model_.keysToColors, keyId);
}

void ColorPainter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const KeyRect& key : canvasKeyRects()) {
        const Color c = drawnColor(key.id);
        painter.fillRect(widgetRect(key.x, key.y, key.width, key.height),
                         QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                                          static_cast<float>(c.blue),
                                          static_cast<float>(kFillAlpha)));
        // Every redraw, even of one key, puts all keys on the keyboard: the preview never
        // lags behind the drawing.
        lighting_.setLightingForKey(keyNameForId(key.id), c.redPercent(), c.greenPercent(),
                                    c.bluePercent());
    }
}

void ColorPainter::paintAt(QPointF viewPoint) {
    if (auto key = canvasKeyAt(viewPoint.x(), viewPoint.y())) {
        if (*key >= 0) {
            auto index = static_cast<size_t>(*key);
            if (model_.keysToColors.size() <= index) model_.keysToColors.resize(index + 1, kColorA);
            model_.keysToColors[index] = model_.paintColor;
        }
        for (const KeyRect& r : canvasKeyRects())
            if (r.id == *key) update(widgetRect(r.x, r.y, r.width, r.height).toAlignedRect());
    }
    if (onTouched) onTouched();
}

void ColorPainter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) paintAt(toViewPoint(event->position()));
}

void ColorPainter::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) paintAt(toViewPoint(event->position()));
}

} // namespace et
