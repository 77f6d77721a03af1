// The profile menu and the key-mapping window as far as they show the profile: a switch
// reaches every control of the color programmer, the copy command and the separator leave
// the profile alone when they should, and the key menus show stored bindings.
#include "ColorProgrammerFixture.h"
#include "KeyMappingWindow.h"
#include "ProfileDialogs.h"
#include "ProfileStore.h"

#include <QStandardItemModel>

namespace et::test {
namespace {

const Color kOlive{0.5, 0.5, 0.0, 1.0};

QAbstractButton* alertButton(QDialog& d, int answer) {
    auto* alert = qobject_cast<ProfileChangeAlert*>(&d);
    if (!alert) {
        ADD_FAILURE() << "expected the profile change alert, got " << d.objectName().toStdString();
        return nullptr;
    }
    return answer == ProfileChangeAlert::kSave   ? alert->saveButton
           : answer == ProfileChangeAlert::kDrop ? alert->dropButton
                                                 : alert->cancelButton;
}

class ProfileWindowsTest : public ColorProgrammerFixture {
  protected:
    void storeSettings(MemoryDefaults& d) override {
        // Profile 2: olive color A, Esc in color L, cooldowns shown.
        d.setColor(ProfileStore::keyFor("colorAColor", 2), kOlive);
        KeyMap map = ProfileStore::defaultKeyToColorMap();
        map[1] = kColorL;
        d.setIntArray(ProfileStore::keyFor(kKeyMapStem, 2),
                      std::vector<int64_t>(map.begin(), map.end()));
        d.setBool(ProfileStore::keyFor(kCooldownFlagStem, 2), true);
        // Stored key bindings, one edited by hand.
        d.setInt("key105", 522);
        d.setInt("key612", 0);
        d.setInt("key501", 57);
        d.setInt("key102", 9999);
    }
    QComboBox* popup() { return window().currentProfilePopup; }
    int active() const { return app->profiles.activeColorProfile; }
};

TEST_F(ProfileWindowsTest, ASwitchShowsTheNewProfileInEveryControl) {
    selectPaintButton(4);
    paintKey(1);
    ModalScript script;
    script.click([](QDialog& d) { return alertButton(d, ProfileChangeAlert::kSave); });
    choose(popup(), 1);
    EXPECT_EQ(active(), 2);
    EXPECT_EQ(mapped(1), kColorL);
    EXPECT_EQ(model().keyColorSet[kColorA], kOlive);
    EXPECT_EQ(window().well(1)->color(), kOlive) << "well A";
    const QColor swatchA =
        window().colorButtonGroup->button(1)->icon().pixmap(8).toImage().pixelColor(4, 4);
    EXPECT_NEAR(swatchA.red(), 128, 1) << "paint button A";
    EXPECT_EQ(swatchA.blue(), 0) << "paint button A";
    EXPECT_TRUE(window().actionBarEffectCheckbox->isChecked());
    EXPECT_TRUE(model().usingActionbarCooldowns);
    EXPECT_EQ(model().paintColor, kColorD) << "the selected paint button stays";

    choose(popup(), 0);
    EXPECT_EQ(script.shown, 1) << "no edits, no alert";
    EXPECT_EQ(mapped(1), kColorD) << "profile 1 as saved from the alert";
    EXPECT_FALSE(window().actionBarEffectCheckbox->isChecked());
}

TEST_F(ProfileWindowsTest, NeitherTheSeparatorNorACancelledAlertChangesTheProfile) {
    auto* items = qobject_cast<QStandardItemModel*>(popup()->model());
    ASSERT_NE(items, nullptr);
    EXPECT_FALSE(items->item(9)->flags() & Qt::ItemIsEnabled);
    choose(popup(), 9); // cannot happen from the menu; names no profile
    EXPECT_EQ(active(), 1);
    EXPECT_EQ(popup()->currentIndex(), 0);

    // With edits, the copy command asks first; cancelling opens no copy dialog.
    paintKey(1);
    ModalScript script;
    script.click([](QDialog& d) { return alertButton(d, ProfileChangeAlert::kCancel); });
    choose(popup(), ColorProgrammerWindow::kCopyItem);
    h.spin(0.02);
    EXPECT_EQ(script.shown, 1);
    EXPECT_EQ(script.unexpected, 0);
    EXPECT_EQ(popup()->currentIndex(), 0);
    EXPECT_EQ(active(), 1);
    EXPECT_TRUE(touched());
}

TEST_F(ProfileWindowsTest, KeyMenusShowStoredBindingsAfterTheAlertSavedTheColors) {
    selectPaintButton(4);
    paintKey(1);
    ModalScript script;
    script.click([](QDialog& d) { return alertButton(d, ProfileChangeAlert::kSave); });
    app->mainWindow.menu.openWindowToMapKeys->trigger();
    h.spin(0.02);
    ASSERT_TRUE(app->actionKeySetterWindow.isVisible());
    EXPECT_FALSE(window().isVisible());
    EXPECT_FALSE(touched());
    EXPECT_EQ(storedMap(1)[1], kColorD);

    auto shown = [&](int menu) {
        return app->actionKeySetterWindow.menu(menu)->currentText().toStdString();
    };
    EXPECT_EQ(shown(105), "Talon Badge ©");
    EXPECT_EQ(shown(612), "  No Key");
    EXPECT_EQ(shown(501), "Spacebar ©");
    EXPECT_EQ(shown(102), "  No Key") << "a key that does not exist";
    EXPECT_EQ(shown(101), " 1") << "not stored: the default";
}

// Before the color programmer was ever opened, the main window's lighting switches compose
// the active profile from the canvas: it must hold profile 1 as stored, not a black
// placeholder.
TEST(LightingSwitchesTest, BeforeTheColorProgrammerOpensTheyShowTheStoredProfile) {
    ShellHarness h;
    KeyMap stored = ProfileStore::defaultKeyToColorMap();
    stored[1] = kColorL;
    h.defaults.setIntArray(ProfileStore::keyFor(kKeyMapStem, 1),
                           std::vector<int64_t>(stored.begin(), stored.end()));
    h.defaults.setColor(ProfileStore::keyFor("colorAColor", 1), kOlive);
    AppDelegate& app = h.start();
    ColorSet colors;
    app.profileStore.loadProfileColors(colors, 1);
    const LightingBitmap expected = KeyboardFrames::composeBitmap(colors, stored);

    MainWindow& w = app.mainWindow;
    // Single-color mode on and off again: the way back shows the profile.
    for (auto* button : {w.controlAllLightsCheckbox, w.singleColorModeBtn, w.singleColorModeBtn}) {
        h.lighting.lastBitmap.clear();
        button->click();
        h.spin(0.02);
        if (w.singleColorModeBtn->isChecked()) continue;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), h.lighting.lastBitmap.begin(),
                               h.lighting.lastBitmap.end()))
            << button->text().toStdString();
    }
    EXPECT_FALSE(app.colorProgrammerWindow.isVisible());
}

} // namespace
} // namespace et::test
