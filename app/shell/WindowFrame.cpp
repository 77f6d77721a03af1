#include "WindowFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <sstream>

namespace et {

std::string frameToString(const QRect& frame) {
    std::ostringstream out;
    out << frame.x() << ' ' << frame.y() << ' ' << frame.width() << ' ' << frame.height();
    return out.str();
}

std::optional<QRect> frameFromString(const std::string& text) {
    std::istringstream in(text);
    long x = 0, y = 0, w = 0, h = 0;
    if (!(in >> x >> y >> w >> h)) return std::nullopt;
    std::string rest;
    if (in >> rest) return std::nullopt;
    constexpr long kLimit = 100000;
    if (w <= 0 || h <= 0 || w > kLimit || h > kLimit || x < -kLimit || x > kLimit || y < -kLimit ||
        y > kLimit)
        return std::nullopt;
    return QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                 static_cast<int>(h));
}

void saveWindowFrame(const QWidget& window, Defaults& defaults, const std::string& name) {
    defaults.setString(name, frameToString(window.geometry()));
    defaults.sync();
}

bool restoreWindowFrame(QWidget& window, const Defaults& defaults, const std::string& name) {
    auto text = defaults.getString(name);
    if (!text) return false;
    auto frame = frameFromString(*text);
    if (!frame) return false;
    // A frame saved on a monitor that is gone would open the window out of reach.
    bool visible = false;
    for (QScreen* screen : QGuiApplication::screens())
        visible = visible || screen->availableGeometry().intersects(*frame);
    if (!visible) {
        window.resize(frame->size());
        return false;
    }
    window.setGeometry(*frame);
    return true;
}

} // namespace et
