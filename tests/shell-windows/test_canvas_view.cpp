// What the canvas shows and sends on its own, through the event loop: the fill, the redraws
// that painting and the wells schedule, the color panel, the cooldown preview, and a Cancel
// that comes before the canvas had a chance to redraw.
#include "CanvasLayout.h"
#include "ColorProgrammerFixture.h"
#include "ColorTable.h"

#include <QApplication>
#include <QColorDialog>
#include <QImage>

namespace et::test {
namespace {

using CanvasViewTest = ColorProgrammerFixture;

QColor pixelAt(ColorPainter& canvas, QPointF viewPoint) {
    return canvas.grab().toImage().pixelColor(canvas.toWidgetPoint(viewPoint).toPoint());
}

TEST_F(CanvasViewTest, KeysAreFilledAtThreeQuartersOpacityAndNothingElseIsDrawn) {
    selectPaintButton(4); // D, red
    // The keys at the top, bottom and right edges: a wrong flip of the y axis misses them.
    for (int32_t id : {517, kTalonBadgeId, 284})
        paintKey(id);
    EXPECT_EQ(mapped(517), kColorD);
    EXPECT_EQ(mapped(kTalonBadgeId), kColorD);
    EXPECT_EQ(mapped(284), kColorD);

    const QColor badge = pixelAt(canvas(), {149, 5});
    EXPECT_NEAR(badge.red(), 255, 2);
    EXPECT_NEAR(badge.green(), 0, 2);
    EXPECT_NEAR(badge.alpha(), 191, 2);
    const QColor esc = pixelAt(canvas(), keyCenter(1)); // color B, yellow
    EXPECT_NEAR(esc.red(), 255, 2);
    EXPECT_NEAR(esc.green(), 255, 2);
    EXPECT_NEAR(esc.alpha(), 191, 2);
    EXPECT_EQ(pixelAt(canvas(), {40, 230}).alpha(), 0) << "between two keys";
    EXPECT_EQ(pixelAt(canvas(), {600, 130}).alpha(), 0) << "above the arrow keys";
}

TEST_F(CanvasViewTest, PaintingAndWellsRedrawTheCanvasAndTheKeyboardByThemselves) {
    selectPaintButton(4);
    size_t mark = h.lighting.calls.size();
    paintKey(512); // P1
    h.spin(0.05);
    auto keys = lastKeyColors(h.lighting, mark);
    ASSERT_EQ(keys.size(), 115u) << "a painted key redraws, and every redraw lights every key";
    EXPECT_EQ(keys.at(0xFFF1), Rgb(100, 0, 0));

    const Color teal{0.2, 0.4, 0.6, 1.0};
    mark = h.lighting.calls.size();
    window().well(2)->chooseColor(teal); // colorB
    h.spin(0.05);
    keys = lastKeyColors(h.lighting, mark);
    ASSERT_EQ(keys.size(), 115u);
    for (int32_t id : canvasKeyIds())
        if (mapped(id) == kColorB) {
            EXPECT_EQ(keys.at(keyNameForId(id)), Rgb(20, 40, 60)) << id;
        }
    const QColor esc = pixelAt(canvas(), keyCenter(1));
    EXPECT_NEAR(esc.red(), 51, 2);
    EXPECT_NEAR(esc.blue(), 153, 2);
    const QImage swatch = window().colorButtonGroup->button(2)->icon().pixmap(8).toImage();
    EXPECT_EQ(swatch.pixelColor(4, 4), QColor(51, 102, 153)) << "paint button B follows its well";
}

TEST_F(CanvasViewTest, TheColorPanelShowsItsChoiceLiveAndItsCancelTakesItBack) {
    ColorWell* wellL = window().well(12);
    const Color before = model().keyColorSet[kColorL];
    ModalScript script;
    script.then([&](QDialog& d) {
        auto* panel = qobject_cast<QColorDialog*>(&d);
        ASSERT_NE(panel, nullptr);
        panel->setCurrentColor(QColor(255, 0, 0));
        EXPECT_EQ(model().keyColorSet[kColorL], (Color{1, 0, 0, 1})) << "live while choosing";
        d.reject();
    });
    script.then([&](QDialog& d) {
        auto* panel = qobject_cast<QColorDialog*>(&d);
        ASSERT_NE(panel, nullptr);
        panel->setCurrentColor(QColor(0, 0, 255));
        d.accept();
    });
    wellL->click();
    EXPECT_EQ(model().keyColorSet[kColorL], before);
    EXPECT_EQ(wellL->color(), before);
    wellL->click();
    EXPECT_EQ(model().keyColorSet[kColorL], (Color{0, 0, 1, 1}));
    EXPECT_EQ(wellL->color(), (Color{0, 0, 1, 1}));
    EXPECT_EQ(script.shown, 2);
    EXPECT_EQ(script.unexpected, 0);
}

TEST_F(CanvasViewTest, ThePreviewShowsTheBoundKeysInTheCooldownColorForASecond) {
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
    keys = lastKeyColors(h.lighting);
    EXPECT_EQ(keys.at(2), percent(model().keyColorSet[kColorE]));
}

TEST_F(CanvasViewTest, CancelRightAfterPaintingLeavesTheStoredProfileOnTheKeyboard) {
    selectPaintButton(4);
    paintKey(512);
    const size_t mark = h.lighting.calls.size();
    window().cancelButton->click(); // before the canvas redrew the stroke
    h.spin(0.05);
    ASSERT_LT(mark, h.lighting.calls.size());
    EXPECT_EQ(h.lighting.calls[mark], "setLightingFromBitmap");
    const auto keys = lastKeyColors(h.lighting, mark);
    EXPECT_EQ(keys.size(), 11u) << "only the keys without a bitmap cell follow the bitmap";
    EXPECT_EQ(keys.at(0xFFF1), Rgb(40, 30, 40)) << "P1 in its stored color H";
}

} // namespace
} // namespace et::test
