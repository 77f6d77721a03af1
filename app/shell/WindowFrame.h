#pragma once
// The main window's frame in the settings under one name, as "x y width height".
#include "Defaults.h"

#include <QRect>
#include <optional>
#include <string>

class QWidget;

namespace et {

std::string frameToString(const QRect& frame);
// Empty for text that is not four integers with a positive size.
std::optional<QRect> frameFromString(const std::string& text);

void saveWindowFrame(const QWidget& window, Defaults& defaults, const std::string& name);
// Applies a stored frame that still fits on some screen; otherwise the window keeps its
// size and placement. Returns whether a stored frame was applied.
bool restoreWindowFrame(QWidget& window, const Defaults& defaults, const std::string& name);

} // namespace et
