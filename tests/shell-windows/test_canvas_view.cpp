// The color programmer's canvas: painting by press and drag, what it draws and sends on its
// own through the event loop (the fill, the redraws that painting and the wells schedule),
// single-color mode, the cooldown preview, Cancel and OK.
#include "CanvasLayout.h"
#include "ColorTable.h"
#include "WindowHarness.h"

#include <QImage>

namespace et::test {
namespace {

using CanvasViewTest = ColorProgrammerFixture;

constexpr int32_t kEsc = 1, kQ = 16, kW = 17, kE = 18, kR = 19;

QColor pixelAt(ColorPainter& canvas, QPointF viewPoint) {
    return canvas.grab().toImage().pixelColor(canvas.toWidgetPoint(viewPoint).toPoint());
}

TEST_F(CanvasViewTest, PressAndDragPaintTheKeysUnderThePointerFilledAtThreeQuarters) {
    selectPaintButton(4); // D, red
    mouseOnCanvas(canvas(), QEvent::MouseButtonPress, {40, 230}, Qt::LeftButton);
    EXPECT_TRUE(touched()) << "a press between the crest and Esc still touches the profile";
    EXPECT_EQ(mapped(kEsc), kColorB);
    // The keys at the top, bottom and right edges: a wrong flip of the y axis misses them.
    for (int32_t id : {517, kTalonBadgeId, 284}) {
        paintKey(id);
        EXPECT_EQ(mapped(id), kColorD) << id;
    }

    selectPaintButton(9); // I
    mouseOnCanvas(canvas(), QEvent::MouseButtonPress, {100, 160}, Qt::LeftButton);
    for (double x = 102; x <= 180; x += 4)
        mouseOnCanvas(canvas(), QEvent::MouseMove, {x, 160}, Qt::LeftButton);
    mouseOnCanvas(canvas(), QEvent::MouseButtonRelease, {180, 160}, Qt::NoButton);
    for (int32_t id : {kQ, kW, kE})
        EXPECT_EQ(mapped(id), kColorI) << id;
    EXPECT_EQ(mapped(kR), kColorE) << "R lies beyond the drag";
    mouseOnCanvas(canvas(), QEvent::MouseMove, {200, 160}, Qt::NoButton);
    EXPECT_EQ(mapped(kR), kColorE) << "moving without the button held paints nothing";

    const QColor esc = pixelAt(canvas(), keyCenter(kEsc)); // color B, yellow
    EXPECT_NEAR(esc.green(), 255, 2);
    EXPECT_NEAR(esc.alpha(), 191, 2);
    EXPECT_EQ(pixelAt(canvas(), {600, 130}).alpha(), 0) << "above the arrow keys";
}

TEST_F(CanvasViewTest, PaintingAndWellsRedrawTheCanvasAndTheKeyboardByThemselves) {
    selectPaintButton(4);
    size_t mark = h.lighting.calls.size();
    paintKey(512); // P1
    h.spin(0.05);
    auto keys = lastKeyColors(h.lighting, mark);
    ASSERT_EQ(keys.size(), 115u) << "a painted key redraws, and every redraw lights every key";
    EXPECT_EQ(keys.at(0xFFF1), (Rgb{100, 0, 0}));

    const Color teal{0.2, 0.4, 0.6, 1.0};
    mark = h.lighting.calls.size();
    window().well(2)->chooseColor(teal); // colorB
    h.spin(0.05);
    keys = lastKeyColors(h.lighting, mark);
    ASSERT_EQ(keys.size(), 115u);
    for (int32_t id : canvasKeyIds())
        EXPECT_TRUE(mapped(id) != kColorB || keys.at(keyNameForId(id)) == (Rgb{20, 40, 60})) << id;
    const QColor esc = pixelAt(canvas(), keyCenter(kEsc));
    EXPECT_NEAR(esc.red(), 51, 2);
    EXPECT_NEAR(esc.blue(), 153, 2);
    const QImage swatch = window().colorButtonGroup->button(2)->icon().pixmap(8).toImage();
    EXPECT_EQ(swatch.pixelColor(4, 4), QColor(51, 102, 153)) << "paint button B follows its well";
}

TEST_F(CanvasViewTest, ThePreviewShowsBoundKeysInTheCooldownColorUnlessSingleColorModeIsOn) {
    window().actionBarEffectCheckbox->click();
    ASSERT_TRUE(model().usingActionbarCooldowns);
    const Rgb cooldown = percent(model().keyColorSet[kCooldownColor]);
    window().cooldownPreviewBtn->click();
    h.spin(0.05);
    auto keys = lastKeyColors(h.lighting);
    EXPECT_EQ(keys.at(2), cooldown) << "key 1, bar A slot 1";
    EXPECT_EQ(keys.at(68), cooldown) << "F10, bar B slot 12";
    EXPECT_NE(keys.at(16), cooldown) << "Q fires no slot";
    EXPECT_NEAR(pixelAt(canvas(), keyCenter(2)).red(), 77, 2) << "drawn in 0.3, 0, 0";
    h.spin(1.2);
    EXPECT_EQ(lastKeyColors(h.lighting).at(2), percent(model().keyColorSet[kColorE]));

    // Single-color mode turns the cooldowns and their controls off.
    app->mainWindow.singleColorModeBtn->click();
    EXPECT_EQ(h.defaults.getBool("singleColorMode"), true);
    EXPECT_FALSE(window().actionBarEffectCheckbox->isEnabled() || model().usingActionbarCooldowns);
    EXPECT_FALSE(window().cooldownPreviewBtn->isEnabled());
}

TEST_F(CanvasViewTest, CancelPutsTheStoredProfileBackAndOkSavesTheEditsWithTheBlinkTime) {
    selectPaintButton(4);
    paintKey(512);
    window().well(8)->chooseColor({1, 1, 1, 1}); // H: P keys, logo, badge
    const size_t mark = h.lighting.calls.size();
    window().cancelButton->click(); // before the canvas redrew the stroke
    h.spin(0.05);
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(touched());
    ASSERT_LT(mark, h.lighting.calls.size());
    EXPECT_EQ(h.lighting.calls[mark].name, "setLightingFromBitmap");
    const LightingBitmap stored =
        KeyboardFrames::composeBitmap(defaultColorSet(), ProfileStore::defaultKeyToColorMap());
    EXPECT_TRUE(h.lastBitmap() == std::vector<unsigned char>(stored.begin(), stored.end()));
    for (const auto& [key, rgb] : lastKeyColors(h.lighting, mark))
        EXPECT_EQ(rgb, (Rgb{40, 30, 40})) << key << ": the P keys, logo and badge in stored H";
    EXPECT_FALSE(h.defaults.contains("savedKeyToColorMap1")) << "nothing was saved";

    app->mainWindow.setColorsBtn->click();
    selectPaintButton(4);
    paintKey(kEsc);
    window().blinkTimeTextbox->setText("0");
    window().okButton->click();
    EXPECT_FALSE(touched());
    auto saved = h.defaults.getIntArray("savedKeyToColorMap1");
    ASSERT_TRUE(saved);
    EXPECT_EQ((*saved)[kEsc], kColorD);
    EXPECT_EQ(window().blinkTimeTextbox->text(), "0.01");
    EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), 0.01);
}

} // namespace
} // namespace et::test
