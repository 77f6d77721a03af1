#pragma once
// The color programmer's actions: opening it, painting colors and wells, OK and Cancel,
// the profile menu with its alert and copy dialog, the cooldown controls, and the lighting
// switches of the main window that redraw the canvas (single-color mode, control all
// lights). The profile model does the work; this class reads the windows and answers them.
#include "ColorProfiles.h"
#include "ColorProgrammerWindow.h"
#include "CooldownDisplay.h"
#include "Defaults.h"
#include "KeyboardFrames.h"
#include "ProfileDialogs.h"

namespace et {

// The rest of the application as the color programmer reaches it.
class ProgrammerSurroundings {
  public:
    virtual ~ProgrammerSurroundings() = default;
    // The main window's single-color switch.
    virtual bool singleColorModeChosen() = 0;
    // The main window's switches that act on the colors, usable once colors are applied.
    virtual void enableColorSwitches() = 0;
    // The chat-profile switch as the director keeps it.
    virtual bool autoToggleProfile() = 0;
    // The next calibration asks first.
    virtual void confirmCalibrate() = 0;
};

class ColorProgrammer {
  public:
    ColorProgrammer(ColorProgrammerWindow& window, ProfileChangeAlert& alert,
                    CopyProfileDialog& copyDialog, ColorProfiles& profiles, KeyboardFrames& frames,
                    CanvasModel& canvas, CooldownDisplay& cooldowns, Defaults& defaults,
                    ProgrammerSurroundings& surroundings);

    void setColorsBtn();
    void paintingColorPicker();
    void colorWellDropped(ColorWell* well);
    void colorOK();
    void colorCancel();
    void profileSelectPopup(int index);
    // Before the key mapping opens: the unsaved-colors alert, then the active profile on
    // the canvas and the window closed. False when the user cancels.
    bool closeForKeyMapping();

    // The wells (and paint buttons) show the working colors; the paint color follows the
    // selected paint button.
    void showProfileInEditor();
    // The canvas takes the working profile, unsaved edits gone.
    void showWorkingProfileInEditor();

    void applyCanvasColors();
    void singleColorModeCheck();

    void cooldownCheck();
    void blinkTimeChanged();
    void revealCooldownColors();
    // The blink-time field shows the blink time.
    void showBlinkTime();

  private:
    void copyProfile();

    ColorProgrammerWindow& window_;
    ProfileChangeAlert& alert_;
    CopyProfileDialog& copyDialog_;
    ColorProfiles& profiles_;
    KeyboardFrames& frames_;
    CanvasModel& canvas_;
    CooldownDisplay& cooldowns_;
    Defaults& defaults_;
    ProgrammerSurroundings& surroundings_;
};

} // namespace et
