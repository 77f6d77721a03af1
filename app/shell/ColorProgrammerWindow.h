#pragma once
// The color programmer window: the keyboard drawing, the twelve paint buttons, the
// thirteen color wells, the profile menu, the cooldown controls, and OK and Cancel. It only
// lays them out; ColorProgrammer acts on them.
#include "CanvasModel.h"
#include "ColorPainter.h"
#include "ColorWell.h"
#include "Lighting.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace et {

class ColorProgrammerWindow : public QWidget {
    Q_OBJECT
  public:
    ColorProgrammerWindow(CanvasModel& model, Lighting& lighting, const bool& singleColorMode,
                          QWidget* parent = nullptr);

    ColorPainter* keyboardCanvas = nullptr;
    // Paint buttons, their ids the tags 1–12 (A–H, I, J, K, L).
    QButtonGroup* colorButtonGroup = nullptr;
    // The wells by tag: 1–12 the paint colors, 0 (keyCoolColor) the on-cooldown color.
    std::array<ColorWell*, 13> wells{};
    ColorWell* keyCoolColor = nullptr;
    QComboBox* currentProfilePopup = nullptr;
    QCheckBox* actionBarEffectCheckbox = nullptr;
    QLineEdit* blinkTimeTextbox = nullptr;
    QPushButton* cooldownPreviewBtn = nullptr;
    QPushButton* mapKeysButton = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

    ColorWell* well(int tag) const { return tag >= 0 && tag <= 12 ? wells[tag] : nullptr; }
    // The paint buttons show the colors of their wells.
    void refreshPaintButtons();

    // Items 0–8 are profiles 1–9, item 9 a separator, item 10 the copy command.
    static constexpr int kCopyItem = 10;
    // The letter of the paint button or well with `tag`.
    static QString letterForTag(int tag);

  private:
    QWidget* buildPalette();
    QWidget* buildCooldownRow();
    QWidget* buildBottomRow();
};

} // namespace et
