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

ColorProgrammer::ColorProgrammer(ColorProgrammerWindow& window, ProfileChangeAlert& alert,
                                 CopyProfileDialog& copyDialog, ColorProfiles& profiles,
                                 KeyboardFrames& frames, CanvasModel& canvas,
                                 CooldownDisplay& cooldowns, Defaults& defaults,
                                 ProgrammerSurroundings& surroundings)
    : window_(window), alert_(alert), copyDialog_(copyDialog), profiles_(profiles), frames_(frames),
      canvas_(canvas), cooldowns_(cooldowns), defaults_(defaults), surroundings_(surroundings) {}

void ColorProgrammer::setColorsBtn() {
    const int active = profiles_.activeColorProfile;
    frames_.loadColorProfile(active);
    canvas_.keyColorSet = frames_.keyboardColorSet;
    canvas_.keysToColors = frames_.keyToColorMap;
    profiles_.canvasProfile = active;
    showProfileInEditor();
    window_.actionBarEffectCheckbox->setChecked(frames_.useSpellCooldowns[0]);
    applyCanvasColors();
    window_.currentProfilePopup->setCurrentIndex(active - 1);
    if (frames_.useSingleColorMode) singleColorModeCheck();
    QTimer::singleShot(0, &window_, [w = &window_] {
        w->show();
        w->raise();
        w->activateWindow();
    });
    surroundings_.confirmCalibrate();
}

void ColorProgrammer::showProfileInEditor() {
    for (int tag = 0; tag <= 12; ++tag)
        window_.well(tag)->setColor(
            frames_.keyboardColorSet[static_cast<size_t>(colorWellColorIndex(tag))]);
    window_.refreshPaintButtons();
    paintingColorPicker();
}

void ColorProgrammer::showWorkingProfileInEditor() {
    profiles_.showWorkingProfileInCanvas();
    window_.actionBarEffectCheckbox->setChecked(frames_.useSpellCooldowns[0]);
    window_.keyboardCanvas->update();
}

void ColorProgrammer::paintingColorPicker() {
    canvas_.paintColor = paintButtonColorIndex(window_.colorButtonGroup->checkedId());
}

void ColorProgrammer::colorWellDropped(ColorWell* well) {
    const int index = colorWellColorIndex(well->tag());
    canvas_.keyColorSet[static_cast<size_t>(index)] = well->color();
    window_.refreshPaintButtons();
    window_.keyboardCanvas->update();
    profiles_.profileTouched = true;
}

void ColorProgrammer::colorOK() {
    profiles_.saveColorProfile(profiles_.canvasProfile);
    window_.hide();
    profiles_.profileTouched = false;
    blinkTimeChanged();
}

void ColorProgrammer::colorCancel() {
    const int active = profiles_.activeColorProfile;
    frames_.loadColorProfile(active);
    frames_.showColorProfile(active);
    if (frames_.useSingleColorMode) frames_.setAllKeys(frames_.keyboardColorSet[kColorA]);
    window_.hide();
    profiles_.profileTouched = false;
}

void ColorProgrammer::profileSelectPopup(int index) {
    const int choice = index + 1;
    if (choice == profiles_.activeColorProfile) return;
    if (profiles_.profileTouched) {
        const int answer = alert_.run(profiles_.activeColorProfile);
        if (answer == ProfileChangeAlert::kSave) {
            profiles_.saveColorProfile(profiles_.canvasProfile);
        } else if (answer != ProfileChangeAlert::kDrop) {
            window_.currentProfilePopup->setCurrentIndex(profiles_.activeColorProfile - 1);
            return;
        }
    }
    if (index == ColorProgrammerWindow::kCopyItem) {
        copyProfile();
        return;
    }
    // Only the nine profile items remain; anything else is put back.
    if (!profiles_.switchToProfile(choice)) {
        window_.currentProfilePopup->setCurrentIndex(profiles_.activeColorProfile - 1);
        return;
    }
    showProfileInEditor();
    showWorkingProfileInEditor();
}

void ColorProgrammer::copyProfile() {
    const int active = profiles_.activeColorProfile;
    const int answer = copyDialog_.run(active - 1, ColorProfiles::proposedCopyTarget(active) - 1);
    bool copied = false;
    if (answer == 1) {
        copied = profiles_.copyColorProfile(copyDialog_.fromProfileMenu->currentIndex() + 1,
                                            copyDialog_.toProfileMenu->currentIndex() + 1);
    }
    window_.currentProfilePopup->setCurrentIndex(profiles_.activeColorProfile - 1);
    if (!copied) return;
    showProfileInEditor();
    showWorkingProfileInEditor();
}

bool ColorProgrammer::closeForKeyMapping() {
    const int active = profiles_.activeColorProfile;
    bool cancelled = false;
    if (profiles_.profileTouched) {
        const int answer = alert_.run(active);
        if (answer == ProfileChangeAlert::kSave) {
            profiles_.saveColorProfile(active);
            frames_.loadColorProfile(active);
        } else if (answer == ProfileChangeAlert::kDrop) {
            frames_.loadColorProfile(active);
        } else {
            cancelled = true;
        }
    } else {
        frames_.loadColorProfile(active);
    }
    alert_.hide();
    if (cancelled) return false;
    canvas_.keyColorSet = frames_.keyboardColorSet;
    canvas_.keysToColors = frames_.keyToColorMap;
    window_.actionBarEffectCheckbox->setChecked(frames_.useSpellCooldowns[0]);
    profiles_.profileTouched = false;
    window_.hide();
    return true;
}

void ColorProgrammer::applyCanvasColors() {
    const int active = profiles_.activeColorProfile;
    const int edited = profiles_.canvasProfile;
    if (edited >= 1 && edited <= kProfileCount)
        frames_.keyboardColorBitmap[static_cast<size_t>(edited)] =
            KeyboardFrames::composeBitmap(canvas_.keyColorSet, canvas_.keysToColors);
    if (!frames_.useSingleColorMode && edited == active) frames_.showColorProfile(active);
    surroundings_.enableColorSwitches();
    defaults_.setBool(settings::kAutoToggleProfile, surroundings_.autoToggleProfile());
    defaults_.setBool(settings::kSingleColorMode, frames_.useSingleColorMode);
    defaults_.sync();
}

void ColorProgrammer::singleColorModeCheck() {
    QCheckBox* cooldowns = window_.actionBarEffectCheckbox;
    if (!surroundings_.singleColorModeChosen()) {
        frames_.useSingleColorMode = false;
        cooldowns->setEnabled(true);
        window_.cooldownPreviewBtn->setEnabled(true);
    } else {
        frames_.useSingleColorMode = true;
        cooldowns->setChecked(false);
        cooldowns->setEnabled(false);
        window_.cooldownPreviewBtn->setEnabled(false);
        cooldownCheck();
    }
    applyCanvasColors();
    window_.keyboardCanvas->update();
    defaults_.setBool(settings::kSingleColorMode, frames_.useSingleColorMode);
    defaults_.sync();
}

void ColorProgrammer::cooldownCheck() {
    cooldowns_.cooldownCheck(window_.actionBarEffectCheckbox->isChecked());
    defaults_.sync();
}

void ColorProgrammer::blinkTimeChanged() {
    cooldowns_.blinkTimeChanged(window_.blinkTimeTextbox->text().toStdString());
    showBlinkTime();
    defaults_.sync();
}

void ColorProgrammer::showBlinkTime() {
    window_.blinkTimeTextbox->setText(
        QString::fromStdString(shortestDecimal(cooldowns_.blinkTime)));
}

void ColorProgrammer::revealCooldownColors() {
    cooldowns_.revealCooldownColors();
}

} // namespace et
