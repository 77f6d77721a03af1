#pragma once
// A started application with the color programmer open on profile 1.
#include "ColorPainter.h"
#include "ColorProgrammerWindow.h"
#include "KeyList.h"
#include "KeyboardFrames.h"
#include "WindowHarness.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace et::test {

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

    // The profile as stored under its number.
    KeyMap storedMap(int profile) {
        KeyMap map(1, kColorA);
        app->profileStore.loadKeyToColorMap(map, profile);
        return map;
    }

    static Rgb percent(const Color& c) {
        return {c.redPercent(), c.greenPercent(), c.bluePercent()};
    }

    ShellHarness h;
    AppDelegate* app = nullptr;
};

} // namespace et::test
