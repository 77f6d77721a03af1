#pragma once
// The keyboard drawing of the color programmer: every key a rectangle filled with its
// color, and every redraw also lights the real keyboard key by key, so the keyboard shows
// the edit as it happens. A press or a drag paints the key under the pointer.
//
// Rectangles are in the view's own coordinates, origin at the bottom left (the profile
// library's canvas layout); the widget flips them onto Qt's top-left origin.
#include "CanvasModel.h"
#include "Lighting.h"

#include <QPointF>
#include <QWidget>

#include <functional>

namespace et {

class ColorPainter : public QWidget {
    Q_OBJECT
  public:
    // `singleColorMode` is read at every redraw.
    ColorPainter(CanvasModel& model, Lighting& lighting, const bool& singleColorMode,
                 QWidget* parent = nullptr);

    // profileTouched := true; called for every press and drag, on a key or not.
    std::function<void()> onTouched;

    // The painting step of a press or a drag, at a point in view coordinates.
    void paintAt(QPointF viewPoint);
    QPointF toViewPoint(QPointF widgetPoint) const;
    QPointF toWidgetPoint(QPointF viewPoint) const;
    // The color a key is drawn and lit in now.
    Color drawnColor(int32_t keyId) const;

    // Wide and high enough for every rectangle (x 5–784, y 4–285) and a small margin.
    static constexpr int kWidth = 790;
    static constexpr int kHeight = 290;
    static constexpr double kFillAlpha = 0.75;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QRectF widgetRect(int x, int y, int width, int height) const;

    CanvasModel& model_;
    Lighting& lighting_;
    const bool& singleColorMode_;
};

} // namespace et
