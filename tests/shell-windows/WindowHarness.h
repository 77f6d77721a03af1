#pragma once
// Driving the color programmer and key-mapping windows as a user would: pointer events on
// the canvas in its own bottom-left coordinates, scripted answers for the modal dialogs,
// and the keyboard as the recorded framework calls left it.
#include "ShellHarness.h"

#include <QPointF>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <tuple>

class QAbstractButton;
class QComboBox;
class QDialog;
class QWidget;

namespace et {
class ColorPainter;
}

namespace et::test {

// The center of a key's rectangle, in the canvas's own coordinates.
QPointF keyCenter(int32_t keyId);

// A press (and release) of the left button at `viewPoint`.
void clickCanvas(ColorPainter& canvas, QPointF viewPoint);

// The user picks item `index` of a combo box.
void choose(QComboBox* menu, int index);

using Rgb = std::tuple<int, int, int>;
// What every key shows now: the last color sent to it, by KeyName, counting per-key
// commands only (a bitmap is checked through RecordingLighting::lastBitmap).
std::map<int32_t, Rgb> lastKeyColors(const RecordingLighting& lighting, size_t fromCall = 0);

// Answers the modal dialogs that open while it lives, one answer each, in order. A modal
// dialog with no answer left is rejected and counted, so a test never hangs on one.
class ModalScript {
  public:
    using Answer = std::function<void(QDialog&)>;
    ModalScript();
    ~ModalScript();
    ModalScript& then(Answer answer);
    // Clicks the button that `pick` chooses from the dialog.
    ModalScript& click(std::function<QAbstractButton*(QDialog&)> pick);

    int shown = 0;      // modal dialogs seen
    int unexpected = 0; // seen with no answer left

  private:
    void poll();
    std::deque<Answer> answers_;
    QDialog* handled_ = nullptr;
    class QTimer* timer_;
};

} // namespace et::test
