#pragma once
// The profile operations of the color programmer: which profile is active, saving the
// canvas's edits as a profile, switching and copying profiles, and handing the working
// profile to the canvas. Windows, alerts and menus stay in the shell; this class does
// what their answers decide.
#include "CanvasModel.h"
#include "KeyboardFrames.h"
#include "ProfileStore.h"

namespace et {

class ColorProfiles {
  public:
    // `activeProfile` is the one profile number the game's messages and the color
    // programmer both change (the director's); this object keeps a reference to it.
    ColorProfiles(KeyboardFrames& frames, ProfileStore& store, CanvasModel& canvas,
                  int& activeProfile);

    // The profile shown on the keyboard and edited in the color programmer (1–9).
    int& activeColorProfile;
    // The canvas holds edits that are not saved.
    bool profileTouched = false;
    // The profile whose colors the canvas holds. Its edits are saved there even when the
    // game switched the active profile while the color programmer was open.
    int canvasProfile = 1;

    // Stores the canvas's colors, map and the working cooldown flag as profile `profile`
    // and rebuilds that profile's bitmap from the canvas. The working set and map stay as
    // they were loaded. Profiles outside 1–9 are ignored.
    void saveColorProfile(int profile);

    // Canvas copies := the working profile (independent copies). Start-up calls it once the
    // profiles are loaded: "Control all lights" and single-color mode compose the active
    // profile from the canvas, which must never be its placeholder of one black color.
    void holdWorkingProfileInCanvas();

    // holdWorkingProfileInCanvas; in single-color mode the whole keyboard takes color A;
    // the edits count as saved.
    void showWorkingProfileInCanvas();

    // The profile menu chose `profile`: load it and make it active, then show it in the
    // canvas. False (nothing done) when it is already active or not a profile number.
    bool switchToProfile(int profile);

    // The copy dialog was confirmed: stores profile `from`'s colors, map and cooldown flag
    // as profile `to`, which becomes the active profile, is loaded and shown in the canvas.
    // Returns false and does nothing unless both are profile numbers.
    bool copyColorProfile(int from, int to);

    // The copy target the dialog proposes: the profile after `active`, 1 after 9.
    static int proposedCopyTarget(int active) { return active % kProfileCount + 1; }

    // After a successful import: every profile reloaded, the active one working and shown
    // in the canvas.
    void reloadAfterImport();

  private:
    KeyboardFrames& frames_;
    ProfileStore& store_;
    CanvasModel& canvas_;
};

} // namespace et
