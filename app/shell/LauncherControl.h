#pragma once
// Bringing the game, its classic edition or its launcher to the front by name, on request
// or once at start-up (autorun), and the three editable names.
#include "Defaults.h"
#include "Launcher.h"
#include "Log.h"

#include <memory>
#include <string>

namespace et {

enum class AutorunItem { None, RPort, Ember, Classic };
inline constexpr AutorunItem kAutorunItems[] = {AutorunItem::None, AutorunItem::RPort,
                                                AutorunItem::Ember, AutorunItem::Classic};

struct ApplicationNames {
    std::string EmberAppName = "Emberfall";
    std::string EmberClassicAppName = "Emberfall Classic";
    std::string RPAppName = "Ravenport";
};

// What the launcher needs from the windows.
class LauncherUi {
  public:
    virtual ~LauncherUi() = default;
    virtual std::string autorunTitle(AutorunItem item) const = 0;
    virtual void setAutorunChecked(AutorunItem item, bool checked) = 0;
    // The "Autolaunch Setting" sheet on the main window; nothing waits for it.
    virtual void showAutorunSheet(const std::string& informativeText) = 0;
    // Runs the launch options window modally with `names` in its fields and returns the
    // fields as they stand when it is closed.
    virtual ApplicationNames runLaunchOptions(const ApplicationNames& names) = 0;
    // The Alt key stands in for the Option key.
    virtual bool optionKeyHeld() const = 0;
    // The three text fields show the names.
    virtual void showNames(const ApplicationNames& names) = 0;
};

class LauncherControl {
  public:
    LauncherControl(Launcher& launcher, Defaults& defaults, Log& log, LauncherUi& ui);
    ~LauncherControl() { *alive_ = false; }
    LauncherControl(const LauncherControl&) = delete;
    LauncherControl& operator=(const LauncherControl&) = delete;

    ApplicationNames names;

    // Start-up: stored names replace the defaults; the window's fields show them.
    void loadApplicationNames();
    // Start-up: check marks from "AutorunMenuName", then start "AutorunName" unless it is
    // absent, empty or "None".
    void autorunAtStartup();

    void launchNamedApplication(const std::string& name);
    void editApplicationNames();
    void setAutorun(AutorunItem item, const std::string& name);

    // The menu items and buttons.
    void launchEmber() { launchNamedApplication(names.EmberAppName); }
    void launchClassic() { launchNamedApplication(names.EmberClassicAppName); }
    void launchRPort() { launchNamedApplication(names.RPAppName); }
    void autorunNone() { setAutorun(AutorunItem::None, ""); }
    void autorunRPort() { setAutorun(AutorunItem::RPort, names.RPAppName); }
    void autorunEmber() { setAutorun(AutorunItem::Ember, names.EmberAppName); }
    void autorunClassic() { setAutorun(AutorunItem::Classic, names.EmberClassicAppName); }

  private:
    // Hands `name` to the launcher; a launch that cannot be done is logged with its reason.
    void activate(const std::string& name);

    Launcher& launcher_;
    Defaults& defaults_;
    Log& log_;
    LauncherUi& ui_;
    // A failure can arrive after this object is gone (the launcher lives on).
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace et
