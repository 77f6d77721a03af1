#pragma once
// A color well: a button showing one of the profile's thirteen colors; clicking it opens
// the color dialog, whose choice shows live and which Cancel takes back.
#include "Color.h"

#include <QPushButton>

namespace et {

QColor toQColor(const Color& c);
Color fromQColor(const QColor& c);

class ColorWell : public QPushButton {
    Q_OBJECT
  public:
    ColorWell(int tag, const QString& name, QWidget* parent = nullptr);

    int tag() const { return tag_; }
    const Color& color() const { return color_; }
    // Shows `color` without telling anyone (filling the wells from a profile).
    void setColor(const Color& color);
    // A new color from the user: shown and announced.
    void chooseColor(const Color& color);

  Q_SIGNALS:
    // colorWellDropped:
    void colorDropped(ColorWell* well);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void openDialog();
    int tag_;
    Color color_ = Color::black();
};

} // namespace et
