#pragma once
// Driving the color programmer and key-mapping windows as a user would: a started
// application with the color programmer open on profile 1, pointer events on the canvas in
// its own bottom-left coordinates, scripted answers for the modal dialogs, and the keyboard
// as the recorded framework calls left it.
#include "CanvasLayout.h"
#include "ColorPainter.h"
#include "ColorProgrammerWindow.h"
#include "KeyColor.h"
#include "KeyList.h"
#include "KeyboardFrames.h"
#include "ShellHarness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPointF>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <sstream>

namespace et::test {

using Rgb = PercentRgb;

// The center of a key's rectangle, in the canvas's own coordinates.
inline QPointF keyCenter(int32_t keyId) {
    for (const KeyRect& r : canvasKeyRects())
        if (r.id == keyId) return {r.x + r.width / 2.0, r.y + r.height / 2.0};
    ADD_FAILURE() << "no rectangle for key " << keyId;
    return {-100, -100};
}

// A pointer event at `viewPoint`; a click is a press and a release.
inline void mouseOnCanvas(ColorPainter& canvas, QEvent::Type type, QPointF viewPoint,
                          Qt::MouseButtons buttons) {
    const QPointF local = canvas.toWidgetPoint(viewPoint);
    QMouseEvent event(type, local, canvas.mapToGlobal(local), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&canvas, &event);
}

inline void clickCanvas(ColorPainter& canvas, QPointF viewPoint) {
    mouseOnCanvas(canvas, QEvent::MouseButtonPress, viewPoint, Qt::LeftButton);
    mouseOnCanvas(canvas, QEvent::MouseButtonRelease, viewPoint, Qt::NoButton);
}

// The user picks item `index` of a combo box.
inline void choose(QComboBox* menu, int index) {
    menu->setCurrentIndex(index);
    Q_EMIT menu->activated(index);
}

// What every key shows now: the last color sent to it, by KeyName, counting per-key
// commands only (a bitmap through ShellHarness::lastBitmap).
inline std::map<int32_t, Rgb> lastKeyColors(const RecordingLighting& lighting,
                                            size_t fromCall = 0) {
    std::map<int32_t, Rgb> keys;
    for (size_t i = fromCall; i < lighting.calls.size(); ++i)
        if (const auto& [name, a, bitmap] = lighting.calls[i]; name == "setLightingForKey")
            keys[static_cast<int32_t>(a[0])] = {int(a[1]), int(a[2]), int(a[3])};
    return keys;
}

// Answers the modal dialogs that open while it lives, one answer each, in order. A modal
// dialog with no answer left is rejected and counted, so a test never hangs on one.
class ModalScript {
  public:
    using Answer = std::function<void(QDialog&)>;
    ModalScript() : timer_(new QTimer) {
        QObject::connect(timer_, &QTimer::timeout, [this] { poll(); });
        timer_->start(5);
    }
    ~ModalScript() { delete timer_; }
    ModalScript& then(Answer answer) {
        answers_.push_back(std::move(answer));
        return *this;
    }
    int shown = 0;      // modal dialogs seen
    int unexpected = 0; // seen with no answer left

  private:
    void poll() {
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
    std::deque<Answer> answers_;
    QDialog* handled_ = nullptr;
    QTimer* timer_;
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
