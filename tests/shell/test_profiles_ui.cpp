// The profile menu with its change alert and copy dialog, and the key-mapping window.
#include "ShellHarness.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace et::test {
namespace {

// Runs `answer` on the dialog as soon as it runs modally.
void whenModal(QDialog& dialog, std::function<void()> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &dialog, answer] {
        if (!dialog.isVisible()) return;
        poll->stop();
        poll->deleteLater();
        answer();
    });
    poll->start(5);
}

struct ProfileUiTest : ::testing::Test {
    ShellHarness h;
    AppDelegate* app = nullptr;
    void SetUp() override {
        app = &h.start();
        app->colorProgrammer.setColorsBtn();
        h.spin(0.02);
    }
    QComboBox& popup() { return *app->colorProgrammerWindow.currentProfilePopup; }
    // The user picks item `index` of the profile menu.
    void choose(int index) {
        popup().setCurrentIndex(index);
        Q_EMIT popup().activated(index);
    }
    void paintEsc() { app->colorProgrammerWindow.keyboardCanvas->paintAt({50, 230}); }
    int escColor() { return app->canvas.keysToColors.at(1); }
};

TEST_F(ProfileUiTest, MenuHasNineProfilesASeparatorAndTheCopyCommand) {
    ASSERT_EQ(popup().count(), 11);
    EXPECT_EQ(popup().itemText(0), "Profile 1");
    EXPECT_EQ(popup().itemText(8), "Profile 9");
    EXPECT_EQ(popup().itemData(9, Qt::AccessibleDescriptionRole).toString(), "separator");
    EXPECT_EQ(popup().currentIndex(), 0);
}

TEST_F(ProfileUiTest, ChoosingTheActiveProfileDoesNothingEvenWithEdits) {
    app->colorProgrammerWindow.colorButtonGroup->button(4)->click();
    paintEsc();
    choose(0);
    EXPECT_FALSE(app->profileChangeAlert.isVisible());
    EXPECT_EQ(escColor(), kColorD);
    EXPECT_TRUE(app->profiles.profileTouched);
}

TEST_F(ProfileUiTest, CancellingTheAlertKeepsTheEditsAndPutsThePopupBack) {
    app->colorProgrammerWindow.colorButtonGroup->button(4)->click();
    paintEsc();
    whenModal(app->profileChangeAlert, [&] { app->profileChangeAlert.cancelButton->click(); });
    choose(2);
    EXPECT_EQ(popup().currentIndex(), 0);
    EXPECT_EQ(app->profiles.activeColorProfile, 1);
    EXPECT_EQ(escColor(), kColorD);
    EXPECT_TRUE(app->profiles.profileTouched);
}

TEST_F(ProfileUiTest, SavingOrDroppingTheEditsSwitchesProfile) {
    app->colorProgrammerWindow.colorButtonGroup->button(4)->click();
    paintEsc();
    whenModal(app->profileChangeAlert, [&] { app->profileChangeAlert.saveButton->click(); });
    choose(2);
    EXPECT_EQ(app->profiles.activeColorProfile, 3);
    EXPECT_EQ(app->director.state.activeColorProfile, 3) << "one profile in use for everyone";
    EXPECT_EQ((*h.defaults.getIntArray("savedKeyToColorMap1"))[1], kColorD);
    EXPECT_EQ(escColor(), kColorB) << "profile 3 is fresh";
    EXPECT_FALSE(app->profiles.profileTouched);

    paintEsc();
    whenModal(app->profileChangeAlert, [&] { app->profileChangeAlert.dropButton->click(); });
    choose(0);
    EXPECT_EQ(app->profiles.activeColorProfile, 1);
    EXPECT_FALSE(h.defaults.contains("savedKeyToColorMap3"));
    EXPECT_EQ(escColor(), kColorD) << "profile 1 as saved";
}

TEST_F(ProfileUiTest, OkSavesTheProfileOnScreenWhateverTheGameSwitchedTo) {
    for (const char* game : {"1", "R", "E"}) {
        SCOPED_TRACE(game);
        app->director.state.autoToggleProfile2 = std::string(game) == "E";
        app->director.evaluateMessage("3");
        app->colorProgrammer.setColorsBtn();
        app->colorProgrammerWindow.colorButtonGroup->button(4)->click();
        paintEsc();
        app->director.evaluateMessage(game); // while the player still edits
        app->colorProgrammer.colorOK();
        ASSERT_TRUE(h.defaults.getIntArray("savedKeyToColorMap3"));
        EXPECT_EQ((*h.defaults.getIntArray("savedKeyToColorMap3"))[1], kColorD);
        EXPECT_FALSE(h.defaults.contains("savedKeyToColorMap1"));
        EXPECT_FALSE(h.defaults.contains("savedKeyToColorMap2"));
        h.defaults.remove("savedKeyToColorMap3");
    }
}

TEST_F(ProfileUiTest, CopyProposesTheNextProfileAndCopiesOnConfirm) {
    // From profile 9 the dialog proposes 1, and Copy is off while both menus agree.
    choose(8);
    ASSERT_EQ(app->profiles.activeColorProfile, 9);
    CopyProfileDialog& dialog = app->copyProfileDialog;
    whenModal(dialog, [&] {
        EXPECT_EQ(dialog.fromProfileMenu->currentIndex(), 8);
        EXPECT_EQ(dialog.toProfileMenu->currentIndex(), 0);
        EXPECT_TRUE(dialog.copyProfileCopyBtn->isEnabled());
        dialog.toProfileMenu->setCurrentIndex(8);
        EXPECT_FALSE(dialog.copyProfileCopyBtn->isEnabled());
        dialog.cancelButton->click();
    });
    choose(ColorProgrammerWindow::kCopyItem);
    EXPECT_EQ(popup().currentIndex(), 8) << "the popup goes back to the active profile";
    EXPECT_EQ(app->profiles.activeColorProfile, 9);

    // Profile 2 with a cooldown flag and an edit, copied onto 5.
    choose(1);
    app->colorProgrammerWindow.actionBarEffectCheckbox->click();
    app->colorProgrammerWindow.colorButtonGroup->button(4)->click();
    paintEsc();
    app->colorProgrammerWindow.okButton->click();
    app->colorProgrammer.setColorsBtn();
    whenModal(dialog, [&] {
        dialog.toProfileMenu->setCurrentIndex(4);
        dialog.copyProfileCopyBtn->click();
    });
    choose(ColorProgrammerWindow::kCopyItem);
    EXPECT_EQ(app->profiles.activeColorProfile, 5);
    EXPECT_EQ(popup().currentIndex(), 4);
    EXPECT_EQ(h.defaults.getIntArray("savedKeyToColorMap5"),
              h.defaults.getIntArray("savedKeyToColorMap2"));
    EXPECT_EQ(h.defaults.getBool("useActionBarCooldowns5"), true);
    EXPECT_EQ(escColor(), kColorD);
}

struct KeyMappingTest : ProfileUiTest {
    QComboBox& menu(int n) { return *app->actionKeySetterWindow.menu(n); }
    void open() {
        app->keyMapping.openWindowToMapKeys();
        ASSERT_TRUE(app->actionKeySetterWindow.isVisible());
    }
};

TEST_F(KeyMappingTest, MenusListEveryKeyAndShowTheDefaults) {
    EXPECT_EQ(app->keyMapping.keyMenusArray.size(), 30u);
    open();
    EXPECT_FALSE(app->colorProgrammerWindow.isVisible()) << "the color programmer steps aside";
    for (QComboBox* m : app->keyMapping.keyMenusArray) {
        ASSERT_EQ(m->count(), 116);
        EXPECT_EQ(m->itemText(0), "  No Key");
        EXPECT_EQ(m->itemText(115), "~");
    }
    const char* barA[] = {" 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8", " 9", " 0", "-", "="};
    const char* barB[] = {"F 1", "F 2", "F 3", "F 4",      "  No Key", "F 5",
                          "F 6", "F 7", "F 8", "  No Key", "F 9",      "F10"};
    for (int slot = 1; slot <= 12; ++slot) {
        EXPECT_EQ(menu(100 + slot).currentText(), barA[slot - 1]) << slot;
        EXPECT_EQ(menu(600 + slot).currentText(), barB[slot - 1]) << slot;
    }
    for (int slot = 1; slot <= 6; ++slot)
        EXPECT_EQ(menu(500 + slot).currentText(), "  No Key");
}

TEST_F(KeyMappingTest, OkStoresTheChoiceAndCancelRestoresTheSnapshot) {
    open();
    QComboBox& slot12 = menu(112);
    const int badge = slot12.findText("Talon Badge ©");
    ASSERT_GE(badge, 0);
    slot12.setCurrentIndex(badge);
    Q_EMIT slot12.activated(badge);
    EXPECT_EQ(app->barMaps.barMapA.slot(12), 522) << "takes effect at once";
    app->actionKeySetterWindow.okButton->click();
    EXPECT_FALSE(app->actionKeySetterWindow.isVisible());
    EXPECT_EQ(h.defaults.getInt("key112"), 522);

    open();
    const int esc = menu(501).findText("Esc");
    menu(501).setCurrentIndex(esc);
    Q_EMIT menu(501).activated(esc);
    EXPECT_EQ(app->barMaps.barMapC.slot(1), 1);
    app->actionKeySetterWindow.cancelButton->click();
    EXPECT_EQ(app->barMaps.barMapC.slot(1), 0);
    EXPECT_EQ(app->barMaps.barMapA.slot(12), 522);
    EXPECT_EQ(h.defaults.getInt("key501"), 0) << "as the first OK stored it";
}

TEST_F(KeyMappingTest, UnsavedColorsAskFirstAndCancelKeepsTheColorProgrammerOpen) {
    paintEsc();
    whenModal(app->profileChangeAlert, [&] { app->profileChangeAlert.cancelButton->click(); });
    app->keyMapping.openWindowToMapKeys();
    EXPECT_FALSE(app->actionKeySetterWindow.isVisible());
    EXPECT_TRUE(app->colorProgrammerWindow.isVisible());
    EXPECT_TRUE(app->profiles.profileTouched);

    whenModal(app->profileChangeAlert, [&] { app->profileChangeAlert.dropButton->click(); });
    app->keyMapping.openWindowToMapKeys();
    EXPECT_TRUE(app->actionKeySetterWindow.isVisible());
    EXPECT_FALSE(app->profiles.profileTouched);
    EXPECT_EQ(escColor(), kColorB) << "the edit was dropped";
}

TEST_F(KeyMappingTest, AHandEditedSlotStillOpensTheWindow) {
    ShellHarness edited;
    edited.defaults.setInt("key105", 9999);
    edited.defaults.setInt("key106", -4);
    AppDelegate& a = edited.start();
    a.keyMapping.openWindowToMapKeys();
    EXPECT_TRUE(a.actionKeySetterWindow.isVisible());
    EXPECT_EQ(a.actionKeySetterWindow.menu(105)->currentText(), "  No Key");
}

} // namespace
} // namespace et::test
