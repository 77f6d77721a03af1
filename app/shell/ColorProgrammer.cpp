#include "ColorProgrammer.h"

#include "SettingsKeys.h"

#include "TextFormat.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace et {

ColorProgrammer::ColorProgrammer(ColorProgrammerParts parts) : p_(parts) {}

void ColorProgrammer::setColorsBtn() {
    const int active = p_.profiles.activeColorProfile;
    p_.frames.loadColorProfile(active);
    p_.canvas.keyColorSet = p_.frames.keyboardColorSet;
    p_.canvas.keysToColors = p_.frames.keyToColorMap;
    p_.profiles.canvasProfile = active;
    showProfileInEditor();
    p_.window.actionBarEffectCheckbox->setChecked(p_.frames.useSpellCooldowns[0]);
    applyCanvasColors();
    p_.window.currentProfilePopup->setCurrentIndex(active - 1);
    if (p_.frames.useSingleColorMode) singleColorModeCheck();
    QTimer::singleShot(0, &p_.window, [w = &p_.window] {
        w->show();
        w->raise();
        w->activateWindow();
    });
    p_.calibration.confirmCalibrate = true;
}

void ColorProgrammer::showProfileInEditor() {
    for (int tag = 0; tag <= 12; ++tag)
        p_.window.well(tag)->setColor(
            p_.frames.keyboardColorSet[static_cast<size_t>(colorWellColorIndex(tag))]);
    p_.window.refreshPaintButtons();
    paintingColorPicker();
}

void ColorProgrammer::showWorkingProfileInEditor() {
    p_.profiles.showWorkingProfileInCanvas();
    p_.window.actionBarEffectCheckbox->setChecked(p_.frames.useSpellCooldowns[0]);
    p_.window.keyboardCanvas->update();
}

void ColorProgrammer::paintingColorPicker() {
    p_.canvas.paintColor = paintButtonColorIndex(p_.window.colorButtonGroup->checkedId());
}

void ColorProgrammer::colorWellDropped(ColorWell* well) {
    const int index = colorWellColorIndex(well->tag());
    p_.canvas.keyColorSet[static_cast<size_t>(index)] = well->color();
    p_.window.refreshPaintButtons();
    p_.window.keyboardCanvas->update();
    p_.profiles.profileTouched = true;
}

void ColorProgrammer::colorOK() {
    p_.profiles.saveColorProfile(p_.profiles.canvasProfile);
    p_.window.hide();
    p_.profiles.profileTouched = false;
    blinkTimeChanged();
}

void ColorProgrammer::colorCancel() {
    const int active = p_.profiles.activeColorProfile;
    p_.frames.loadColorProfile(active);
    p_.frames.showColorProfile(active);
    if (p_.frames.useSingleColorMode) p_.frames.setAllKeys(p_.frames.keyboardColorSet[kColorA]);
    p_.window.hide();
    p_.profiles.profileTouched = false;
}

void ColorProgrammer::profileSelectPopup(int index) {
    const int choice = index + 1;
    ColorProfiles& profiles = p_.profiles;
    if (choice == profiles.activeColorProfile) return;
    if (profiles.profileTouched) {
        const int answer = p_.alert.run(profiles.activeColorProfile);
        if (answer == ProfileChangeAlert::kSave) {
            profiles.saveColorProfile(profiles.canvasProfile);
        } else if (answer != ProfileChangeAlert::kDrop) {
            p_.window.currentProfilePopup->setCurrentIndex(profiles.activeColorProfile - 1);
            return;
        }
    }
    if (index == ColorProgrammerWindow::kCopyItem) {
        copyProfile();
        return;
    }
    // Only the nine profile items remain; anything else is put back.
    if (!profiles.switchToProfile(choice)) {
        p_.window.currentProfilePopup->setCurrentIndex(profiles.activeColorProfile - 1);
        return;
    }
    showProfileInEditor();
    showWorkingProfileInEditor();
}

void ColorProgrammer::copyProfile() {
    ColorProfiles& profiles = p_.profiles;
    const int active = profiles.activeColorProfile;
    const int answer = p_.copyDialog.run(active - 1, ColorProfiles::proposedCopyTarget(active) - 1);
    bool copied = false;
    if (answer == 1) {
        copied = profiles.copyColorProfile(p_.copyDialog.fromProfileMenu->currentIndex() + 1,
                                           p_.copyDialog.toProfileMenu->currentIndex() + 1);
    }
    p_.window.currentProfilePopup->setCurrentIndex(profiles.activeColorProfile - 1);
    if (!copied) return;
    showProfileInEditor();
    showWorkingProfileInEditor();
}

void ColorProgrammer::applyCanvasColors() {
    const int active = p_.profiles.activeColorProfile;
    const int edited = p_.profiles.canvasProfile;
    if (edited >= 1 && edited <= kProfileCount)
        p_.frames.keyboardColorBitmap[static_cast<size_t>(edited)] =
            KeyboardFrames::composeBitmap(p_.canvas.keyColorSet, p_.canvas.keysToColors);
    if (!p_.frames.useSingleColorMode && edited == active) p_.frames.showColorProfile(active);
    p_.mainWindow.autoChatProfileCheckbox->setEnabled(true);
    p_.mainWindow.singleColorModeBtn->setEnabled(true);
    p_.defaults.setBool(settings::kAutoToggleProfile, p_.director.state.autoToggleProfile2);
    p_.defaults.setBool(settings::kSingleColorMode, p_.frames.useSingleColorMode);
    p_.defaults.sync();
}

void ColorProgrammer::singleColorModeCheck() {
    QCheckBox* cooldowns = p_.window.actionBarEffectCheckbox;
    if (!p_.mainWindow.singleColorModeBtn->isChecked()) {
        p_.frames.useSingleColorMode = false;
        cooldowns->setEnabled(true);
        p_.window.cooldownPreviewBtn->setEnabled(true);
    } else {
        p_.frames.useSingleColorMode = true;
        cooldowns->setChecked(false);
        cooldowns->setEnabled(false);
        p_.window.cooldownPreviewBtn->setEnabled(false);
        cooldownCheck();
    }
    applyCanvasColors();
    p_.window.keyboardCanvas->update();
    p_.defaults.setBool(settings::kSingleColorMode, p_.frames.useSingleColorMode);
    p_.defaults.sync();
}

void ColorProgrammer::cooldownCheck() {
    p_.director.cooldowns.cooldownCheck(p_.window.actionBarEffectCheckbox->isChecked());
    p_.defaults.sync();
}

void ColorProgrammer::blinkTimeChanged() {
    p_.director.cooldowns.blinkTimeChanged(p_.window.blinkTimeTextbox->text().toStdString());
    showBlinkTime();
    p_.defaults.sync();
}

void ColorProgrammer::showBlinkTime() {
    p_.window.blinkTimeTextbox->setText(
        QString::fromStdString(shortestDecimal(p_.director.cooldowns.blinkTime)));
}

void ColorProgrammer::revealCooldownColors() {
    p_.director.cooldowns.revealCooldownColors();
}

} // namespace et
