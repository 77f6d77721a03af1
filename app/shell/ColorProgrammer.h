#pragma once
// The color programmer's actions: opening it, painting colors and wells, OK and Cancel,
// the profile menu with its alert and copy dialog, the cooldown controls, and the lighting
// switches of the main window that redraw the canvas (single-color mode, control all
// lights). The profile model does the work; this class reads the windows and answers them.
#include "Calibration.h"
#include "ColorProfiles.h"
#include "ColorProgrammerWindow.h"
#include "KeyboardFrames.h"
#include "LightingDirector.h"
#include "MainWindow.h"
#include "ProfileDialogs.h"

namespace et {

struct ColorProgrammerParts {
    ColorProgrammerWindow& window;
    MainWindow& mainWindow;
    ProfileChangeAlert& alert;
    CopyProfileDialog& copyDialog;
    KeyboardFrames& frames;
    ColorProfiles& profiles;
    CanvasModel& canvas;
    LightingDirector& director;
    Calibration& calibration;
    Defaults& defaults;
};

class ColorProgrammer {
  public:
    explicit ColorProgrammer(ColorProgrammerParts parts);

    void setColorsBtn();
    void paintingColorPicker();
    void colorWellDropped(ColorWell* well);
    void colorOK();
    void colorCancel();
    void profileSelectPopup(int index);

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

    ColorProgrammerParts p_;
};

} // namespace et
