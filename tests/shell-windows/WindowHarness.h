#pragma once
// Driving the color programmer and key-mapping windows as a user would: a started
// application with the color programmer open on profile 1, pointer events on the canvas in
// its own bottom-left coordinates, scripted answers for the modal dialogs, and the keyboard
// as the recorded framework calls left it.
#include "ColorPainter.h"
#include "ColorProgrammerWindow.h"
#include "KeyList.h"
#include "KeyboardFrames.h"
#include "ShellHarness.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointF>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <tuple>

class QDialog;

namespace et::test {

// The center of a key's rectangle, in the canvas's own coordinates.
QPointF keyCenter(int32_t keyId);
// A pointer event at `viewPoint`; a click is a press and a release.
void mouseOnCanvas(ColorPainter& canvas, QEvent::Type type, QPointF viewPoint,
                   Qt::MouseButtons buttons);
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
    ModalScript& then(Answer answer) {
        answers_.push_back(std::move(answer));
        return *this;
    }
    int shown = 0;      // modal dialogs seen
    int unexpected = 0; // seen with no answer left

  private:
    void poll();
    std::deque<Answer> answers_;
    QDialog* handled_ = nullptr;
    class QTimer* timer_;
};

class ColorProgrammerFixture : public ::testing::Test {
  protected:
    // Settings stored here before SetUp runs are what start-up finds.
    virtual void storeSettings(MemoryDefaults&) {}
    void SetUp() override {
        storeSettings(h.defaults);
        app = &h.start();
        app->mainWindow.setColorsBtn->click();
        h.spin(0.05);
        ASSERT_TRUE(window().isVisible());
    }

    ColorProgrammerWindow& window() { return app->colorProgrammerWindow; }
    ColorPainter& canvas() { return *window().keyboardCanvas; }
    CanvasModel& model() { return app->canvas; }
    bool touched() const { return app->profiles.profileTouched; }
    int mapped(int32_t keyId) { return model().keysToColors.at(static_cast<size_t>(keyId)); }
    void selectPaintButton(int tag) { window().colorButtonGroup->button(tag)->click(); }
    void paintKey(int32_t keyId) { clickCanvas(canvas(), keyCenter(keyId)); }
    static Rgb percent(const Color& c) {
        return {c.redPercent(), c.greenPercent(), c.bluePercent()};
    }

    ShellHarness h;
    AppDelegate* app = nullptr;
};

} // namespace et::test
