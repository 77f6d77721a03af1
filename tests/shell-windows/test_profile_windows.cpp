// The profile menu with its change alert and copy dialog, and the key-mapping window, as
// far as they show the profile: a switch reaches every control of the color programmer,
// OK saves the profile on screen, the key menus show stored bindings; and the main
// window's lighting switches before the color programmer ever opened.
#include "KeyMappingWindow.h"
#include "ProfileDialogs.h"
#include "ProfileStore.h"
#include "WindowHarness.h"

#include <QStandardItemModel>

namespace et::test {
namespace {

const Color kOlive{0.5, 0.5, 0.0, 1.0};

// Answers the profile change alert with `answer` (ProfileChangeAlert::kSave, …).
ModalScript::Answer alert(int answer) {
    return [answer](QDialog& d) {
        auto* alert = qobject_cast<ProfileChangeAlert*>(&d);
        ASSERT_NE(alert, nullptr) << "expected the profile change alert";
        (answer == ProfileChangeAlert::kSave   ? alert->saveButton
         : answer == ProfileChangeAlert::kDrop ? alert->dropButton
                                               : alert->cancelButton)
            ->click();
    };
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
        d.setInt("key102", 9999);
    }
    QComboBox* popup() { return window().currentProfilePopup; }
    int active() const { return app->profiles.activeColorProfile; }
    std::optional<std::vector<std::optional<int64_t>>> stored(int profile) {
        return h.defaults.getIntArray("savedKeyToColorMap" + std::to_string(profile));
    }
};

TEST_F(ProfileWindowsTest, ASwitchAsksAboutEditsAndShowsTheNewProfileInEveryControl) {
    ModalScript script;
    choose(popup(), 9); // the separator cannot be chosen and names no profile
    auto* items = qobject_cast<QStandardItemModel*>(popup()->model());
    EXPECT_FALSE(items->item(9)->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(popup()->count(), 11) << "nine profiles, a separator, the copy item";
    EXPECT_EQ(popup()->itemText(8), "Profile 9");
    selectPaintButton(4);
    paintKey(1);
    choose(popup(), 0); // the active profile: nothing happens, even with edits
    EXPECT_EQ(active(), 1);
    EXPECT_EQ(popup()->currentIndex(), 0);
    EXPECT_TRUE(touched());
    EXPECT_EQ(script.shown, 0);

    script.then(alert(ProfileChangeAlert::kCancel)).then(alert(ProfileChangeAlert::kSave));
    choose(popup(), 1);
    EXPECT_EQ(popup()->currentIndex(), 0) << "cancelled: the popup goes back";
    EXPECT_EQ(mapped(1), kColorD) << "and the edits stay";
    choose(popup(), 1);
    EXPECT_EQ(active(), 2);
    EXPECT_EQ(app->director.state.activeColorProfile, 2) << "one profile in use for everyone";
    EXPECT_EQ((*stored(1))[1], kColorD);
    EXPECT_FALSE(touched());
    EXPECT_EQ(mapped(1), kColorL);
    EXPECT_EQ(window().well(1)->color(), kOlive) << "well A";
    EXPECT_TRUE(window().actionBarEffectCheckbox->isChecked());
    EXPECT_EQ(model().paintColor, kColorD) << "the selected paint button stays";

    paintKey(1);
    script.then(alert(ProfileChangeAlert::kDrop));
    choose(popup(), 0);
    EXPECT_EQ(active(), 1);
    EXPECT_EQ((*stored(2))[1], kColorL) << "the edit was dropped";
    EXPECT_EQ(mapped(1), kColorD) << "profile 1 as saved from the alert";
    EXPECT_FALSE(window().actionBarEffectCheckbox->isChecked());
    EXPECT_EQ(script.shown, 3);
    EXPECT_EQ(script.unexpected, 0);
}

// The game may switch the profile while the player edits: OK saves the one on screen.
TEST_F(ProfileWindowsTest, OkSavesTheProfileOnScreenWhateverTheGameSwitchedTo) {
    for (const char* game : {"1", "R", "E"}) {
        SCOPED_TRACE(game);
        app->director.state.autoToggleProfile2 = std::string(game) == "E";
        app->director.evaluateMessage("3");
        app->colorProgrammer.setColorsBtn();
        selectPaintButton(4);
        paintKey(1);
        app->director.evaluateMessage(game);
        app->colorProgrammer.colorOK();
        ASSERT_TRUE(stored(3));
        EXPECT_EQ((*stored(3))[1], kColorD);
        EXPECT_FALSE(stored(1));
        h.defaults.remove("savedKeyToColorMap3");
    }
}

TEST_F(ProfileWindowsTest, CopyProposesTheNextProfileAndCopiesOnConfirm) {
    CopyProfileDialog& dialog = app->copyProfileDialog;
    ModalScript script;
    // From profile 9 the dialog proposes 1; a cancelled copy changes nothing.
    script.then([&](QDialog&) {
        EXPECT_EQ(dialog.fromProfileMenu->currentIndex(), 8);
        EXPECT_EQ(dialog.toProfileMenu->currentIndex(), 0);
        dialog.cancelButton->click();
    });
    choose(popup(), 8);
    ASSERT_EQ(active(), 9);
    choose(popup(), ColorProgrammerWindow::kCopyItem);
    EXPECT_EQ(popup()->currentIndex(), 8) << "the popup goes back to the active profile";
    EXPECT_EQ(active(), 9);

    // Profile 2 with its cooldown flag and an edit, copied onto 5.
    choose(popup(), 1);
    selectPaintButton(4);
    paintKey(1);
    window().okButton->click();
    app->colorProgrammer.setColorsBtn();
    script.then([&](QDialog&) {
        dialog.toProfileMenu->setCurrentIndex(4);
        dialog.copyProfileCopyBtn->click();
    });
    choose(popup(), ColorProgrammerWindow::kCopyItem);
    EXPECT_EQ(active(), 5);
    EXPECT_EQ(popup()->currentIndex(), 4);
    EXPECT_EQ(stored(5), stored(2));
    EXPECT_EQ(h.defaults.getBool("useActionBarCooldowns5"), true);
    EXPECT_EQ(mapped(1), kColorD);
    EXPECT_EQ(script.unexpected, 0);
}

TEST_F(ProfileWindowsTest, KeyMenusShowBindingsOkStoresAndCancelRestores) {
    selectPaintButton(4);
    paintKey(1);
    ModalScript script;
    script.then(alert(ProfileChangeAlert::kCancel)).then(alert(ProfileChangeAlert::kSave));
    app->mainWindow.menu.openWindowToMapKeys->trigger();
    EXPECT_FALSE(app->actionKeySetterWindow.isVisible()) << "unsaved colors ask first";
    EXPECT_TRUE(window().isVisible());
    app->mainWindow.menu.openWindowToMapKeys->trigger();
    h.spin(0.02);
    ASSERT_TRUE(app->actionKeySetterWindow.isVisible());
    EXPECT_FALSE(window().isVisible()) << "the color programmer steps aside";
    EXPECT_FALSE(touched());
    EXPECT_EQ((*stored(1))[1], kColorD);

    auto menu = [&](int n) { return app->actionKeySetterWindow.menu(n); };
    EXPECT_EQ(app->keyMapping.keyMenusArray.size(), 30u);
    EXPECT_EQ(menu(101)->count(), 116) << "no key and every key";
    const std::map<int, std::string> shown = {
        {105, "Talon Badge ©"}, {612, "  No Key"}, {102, "  No Key"}, {101, " 1"}};
    for (const auto& [n, text] : shown)
        EXPECT_EQ(menu(n)->currentText().toStdString(), text) << n;

    const int badge = menu(112)->findText("Talon Badge ©");
    choose(menu(112), badge);
    EXPECT_EQ(app->barMaps.barMapA.slot(12), 522) << "takes effect at once";
    app->actionKeySetterWindow.okButton->click();
    EXPECT_FALSE(app->actionKeySetterWindow.isVisible());
    EXPECT_EQ(h.defaults.getInt("key112"), 522);

    app->keyMapping.openWindowToMapKeys();
    choose(menu(503), menu(503)->findText("Esc"));
    EXPECT_EQ(app->barMaps.barMapC.slot(3), 1);
    app->actionKeySetterWindow.cancelButton->click();
    EXPECT_EQ(app->barMaps.barMapC.slot(3), 0);
    EXPECT_EQ(app->barMaps.barMapA.slot(12), 522);
    EXPECT_EQ(h.defaults.getInt("key503"), 0) << "as the first OK stored it";
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
        h.lighting.clear();
        button->click();
        h.spin(0.02);
        if (w.singleColorModeBtn->isChecked()) continue;
        EXPECT_TRUE(h.lastBitmap() == std::vector<unsigned char>(expected.begin(), expected.end()))
            << button->text().toStdString();
    }
    EXPECT_FALSE(app.colorProgrammerWindow.isVisible());

    // Profile 1 edited on the canvas: a switch shows the edit.
    app.colorProgrammer.setColorsBtn();
    app.colorProgrammerWindow.colorButtonGroup->button(4)->click();
    clickCanvas(*app.colorProgrammerWindow.keyboardCanvas, keyCenter(1));
    stored[1] = kColorD;
    const LightingBitmap edited = KeyboardFrames::composeBitmap(colors, stored);
    w.controlAllLightsCheckbox->click();
    EXPECT_TRUE(h.lastBitmap() == std::vector<unsigned char>(edited.begin(), edited.end()));
}

} // namespace
} // namespace et::test
