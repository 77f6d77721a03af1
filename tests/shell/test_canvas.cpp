// The color programmer's canvas: painting by press and drag, the paint buttons, the wells,
// single-color drawing, the live keyboard preview and Cancel.
#include "KeyList.h"
#include "ShellHarness.h"

#include "CanvasLayout.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

#include <set>

namespace et::test {
namespace {

constexpr int32_t kEsc = 1, kQ = 16, kW = 17, kE = 18, kR = 19;

struct CanvasTest : ::testing::Test {
    ShellHarness h;
    AppDelegate* app = nullptr;
    void SetUp() override {
        app = &h.start();
        app->colorProgrammer.setColorsBtn();
        h.spin(0.02);
    }
    ColorPainter& painter() { return *app->colorProgrammerWindow.keyboardCanvas; }
    int keyColor(int32_t id) { return app->canvas.keysToColors.at(static_cast<size_t>(id)); }
    // Redraws the canvas now and returns the key commands it sent.
    std::vector<std::string> redraw() {
        h.lighting.calls.clear();
        painter().repaint();
        return h.lighting.matching("setLightingForKey");
    }
    void mouse(QEvent::Type type, QPointF viewPoint, Qt::MouseButtons buttons) {
        const QPointF at = painter().toWidgetPoint(viewPoint);
        QMouseEvent event(type, at, painter().mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&painter(), &event);
    }
    static std::string keyCall(int32_t id, const Color& c) {
        return "setLightingForKey " + std::to_string(keyNameForId(id)) + " " +
               std::to_string(c.redPercent()) + " " + std::to_string(c.greenPercent()) + " " +
               std::to_string(c.bluePercent());
    }
};

TEST_F(CanvasTest, PressPaintsTheKeyUnderThePointerAndAlwaysTouchesTheProfile) {
    app->colorProgrammerWindow.colorButtonGroup->button(4)->click(); // D
    EXPECT_EQ(app->canvas.paintColor, kColorD);
    ASSERT_FALSE(app->profiles.profileTouched);

    mouse(QEvent::MouseButtonPress, {40, 230}, Qt::LeftButton); // between the crest and Esc
    EXPECT_TRUE(app->profiles.profileTouched);
    EXPECT_EQ(keyColor(kEsc), kColorB);

    mouse(QEvent::MouseButtonPress, {50, 230}, Qt::LeftButton);
    EXPECT_EQ(keyColor(kEsc), kColorD);
}

TEST_F(CanvasTest, DragPaintsEveryKeyItCrosses) {
    app->colorProgrammerWindow.colorButtonGroup->button(9)->click(); // I
    EXPECT_EQ(app->canvas.paintColor, kColorI);
    mouse(QEvent::MouseButtonPress, {100, 160}, Qt::LeftButton);
    for (double x = 102; x <= 180; x += 4)
        mouse(QEvent::MouseMove, {x, 160}, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {180, 160}, Qt::NoButton);
    EXPECT_EQ(keyColor(kQ), kColorI);
    EXPECT_EQ(keyColor(kW), kColorI);
    EXPECT_EQ(keyColor(kE), kColorI);
    EXPECT_EQ(keyColor(kR), kColorE) << "R lies beyond the drag";

    // Moving without the button held paints nothing.
    app->colorProgrammerWindow.colorButtonGroup->button(12)->click(); // L
    EXPECT_EQ(app->canvas.paintColor, kColorL);
    mouse(QEvent::MouseMove, {200, 160}, Qt::NoButton);
    EXPECT_EQ(keyColor(kR), kColorE);
}

TEST_F(CanvasTest, EveryRedrawLightsAll115KeysInTheirDrawnColors) {
    auto calls = redraw();
    ASSERT_EQ(calls.size(), 115u);
    std::set<std::string> keys;
    for (const auto& c : calls)
        keys.insert(c.substr(0, c.find(' ', 18)));
    EXPECT_EQ(keys.size(), 115u);
    // Esc wears B, P5 (sent as 0xFFF5) H, the badge (0xFFFF2) H.
    const ColorSet defaults = defaultColorSet();
    EXPECT_NE(std::find(calls.begin(), calls.end(), keyCall(kEsc, defaults[kColorB])), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), keyCall(516, defaults[kColorH])), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), keyCall(522, defaults[kColorH])), calls.end());
}

TEST_F(CanvasTest, AWellRecolorsEveryKeyOfItsIndexOnCanvasAndKeyboard) {
    const Color violet{0.5, 0.25, 1.0, 1.0};
    ColorWell* colorB = app->colorProgrammerWindow.well(2);
    ASSERT_EQ(colorB->objectName(), "colorB");
    colorB->chooseColor(violet);
    EXPECT_TRUE(app->profiles.profileTouched);
    EXPECT_EQ(app->canvas.keyColorSet[kColorB], violet);
    const auto calls = redraw();
    int violetKeys = 0;
    for (int32_t id : canvasKeyIds()) {
        if (keyColor(id) != kColorB) continue;
        ++violetKeys;
        EXPECT_NE(std::find(calls.begin(), calls.end(), keyCall(id, violet)), calls.end()) << id;
    }
    EXPECT_EQ(violetKeys, 16); // Esc, Tab, shifts, controls, alts, slash, Enter, Backspace, …

    // The cooldown well (tag outside 1–12) sets color 1.
    app->colorProgrammerWindow.keyCoolColor->chooseColor(violet);
    EXPECT_EQ(app->canvas.keyColorSet[kCooldownColor], violet);
}

TEST_F(CanvasTest, SingleColorModeDrawsEveryKeyInColorA) {
    app->mainWindow.singleColorModeBtn->click();
    EXPECT_TRUE(app->frames.useSingleColorMode);
    EXPECT_EQ(h.defaults.getBool("singleColorMode"), true);
    const Color a = app->canvas.keyColorSet[kColorA];
    const auto calls = redraw();
    ASSERT_EQ(calls.size(), 115u);
    for (int32_t id : canvasKeyIds())
        EXPECT_NE(std::find(calls.begin(), calls.end(), keyCall(id, a)), calls.end()) << id;
    // The cooldown controls are off while single-color mode is on.
    EXPECT_FALSE(app->colorProgrammerWindow.actionBarEffectCheckbox->isEnabled());
    EXPECT_FALSE(app->colorProgrammerWindow.cooldownPreviewBtn->isEnabled());
}

TEST_F(CanvasTest, CancelPutsTheStoredProfileBackOnTheKeyboard) {
    mouse(QEvent::MouseButtonPress, {50, 230}, Qt::LeftButton);
    app->colorProgrammerWindow.well(8)->chooseColor({1, 1, 1, 1}); // H: P keys, logo, badge
    redraw();
    h.lighting.calls.clear();
    app->colorProgrammerWindow.cancelButton->click();
    EXPECT_FALSE(app->colorProgrammerWindow.isVisible());
    EXPECT_FALSE(app->profiles.profileTouched);

    const auto& calls = h.lighting.calls;
    ASSERT_GE(calls.size(), 12u);
    EXPECT_EQ(calls[0], "setLightingFromBitmap");
    const LightingBitmap stored =
        KeyboardFrames::composeBitmap(defaultColorSet(), ProfileStore::defaultKeyToColorMap());
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), h.lighting.lastBitmap.begin()));
    const Color h8 = defaultColorSet()[kColorH];
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(calls[static_cast<size_t>(1 + i)], keyCall(512 + i, h8)) << i;
    // Nothing was saved.
    EXPECT_FALSE(h.defaults.contains("savedKeyToColorMap1"));
}

TEST_F(CanvasTest, OkSavesTheEditsAsTheActiveProfileAndAppliesTheBlinkTime) {
    app->colorProgrammerWindow.colorButtonGroup->button(4)->click();
    mouse(QEvent::MouseButtonPress, {50, 230}, Qt::LeftButton);
    app->colorProgrammerWindow.blinkTimeTextbox->setText("0");
    app->colorProgrammerWindow.okButton->click();
    EXPECT_FALSE(app->profiles.profileTouched);
    auto stored = h.defaults.getIntArray("savedKeyToColorMap1");
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)[kEsc], kColorD);
    EXPECT_EQ(app->colorProgrammerWindow.blinkTimeTextbox->text(), "0.01");
    EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), 0.01);
}

} // namespace
} // namespace et::test
