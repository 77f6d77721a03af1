#include "ColorWell.h"

#include <QColorDialog>
#include <QPainter>
#include <QStyleOptionButton>

namespace et {

QColor toQColor(const Color& c) {
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                            static_cast<float>(c.blue));
}

Color fromQColor(const QColor& c) {
    const QColor rgb = c.toRgb();
    return {rgb.redF(), rgb.greenF(), rgb.blueF(), 1.0};
}

ColorWell::ColorWell(int tag, const QString& name, QWidget* parent)
    : QPushButton(parent), tag_(tag) {
    setObjectName(name);
    setFixedSize(44, 26);
    setToolTip("Click to choose this color");
    connect(this, &QPushButton::clicked, this, [this] { openDialog(); });
}

void ColorWell::setColor(const Color& color) {
    color_ = color;
    update();
}

void ColorWell::chooseColor(const Color& color) {
    setColor(color);
    Q_EMIT colorDropped(this);
}

void ColorWell::openDialog() {
    const Color before = color_;
    QColorDialog dialog(toQColor(color_), this);
    dialog.setObjectName("colorPanel");
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    connect(&dialog, &QColorDialog::currentColorChanged, this,
            [this](const QColor& c) { chooseColor(fromQColor(c)); });
    if (dialog.exec() == QDialog::Accepted) {
        chooseColor(fromQColor(dialog.selectedColor()));
    } else if (!(color_ == before)) {
        chooseColor(before);
    }
}

void ColorWell::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(6, 5, -6, -5);
    painter.fillRect(swatch, toQColor(color_));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

} // namespace et
