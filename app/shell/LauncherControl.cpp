#include "LauncherControl.h"

namespace et {

LauncherControl::LauncherControl(Launcher& launcher, Defaults& defaults, Log& log, LauncherUi& ui)
    : launcher_(launcher), defaults_(defaults), log_(log), ui_(ui) {}

void LauncherControl::loadApplicationNames() {
    if (auto v = defaults_.getString("EmberAppName")) names.EmberAppName = *v;
    if (auto v = defaults_.getString("EmberClassicAppName")) names.EmberClassicAppName = *v;
    if (auto v = defaults_.getString("RPAppName")) names.RPAppName = *v;
    ui_.showNames(names);
}

void LauncherControl::autorunAtStartup() {
    const auto menuName = defaults_.getString("AutorunMenuName");
    for (AutorunItem item : kAutorunItems)
        ui_.setAutorunChecked(item, menuName && *menuName == ui_.autorunTitle(item));

    const auto name = defaults_.getString("AutorunName");
    if (!name) {
        ui_.setAutorunChecked(AutorunItem::None, true);
    } else if (!name->empty() && *name != "None") {
        activate(*name);
        log_.appendLine("Launching " + *name);
    } else {
        ui_.setAutorunChecked(AutorunItem::None, true);
    }
}

void LauncherControl::launchNamedApplication(const std::string& name) {
    if (ui_.optionKeyHeld()) {
        editApplicationNames();
        return;
    }
    activate(name);
}

void LauncherControl::activate(const std::string& name) {
    launcher_.activate(name, [this, alive = alive_, name](const std::string& reason) {
        if (*alive) log_.appendLine("Unable to launch " + name + ": " + reason);
    });
}

void LauncherControl::editApplicationNames() {
    names = ui_.runLaunchOptions(names);
    defaults_.setString("EmberAppName", names.EmberAppName);
    defaults_.setString("EmberClassicAppName", names.EmberClassicAppName);
    defaults_.setString("RPAppName", names.RPAppName);
    defaults_.sync();
    ui_.showNames(names);
}

void LauncherControl::setAutorun(AutorunItem chosen, const std::string& name) {
    for (AutorunItem item : kAutorunItems) {
        const bool isChosen = item == chosen;
        ui_.setAutorunChecked(item, isChosen);
        if (isChosen) {
            defaults_.setString("AutorunMenuName", ui_.autorunTitle(item));
            defaults_.setString("AutorunName", name);
        }
    }
    defaults_.sync();
    ui_.showAutorunSheet(
        name.empty() ? std::string("No app will automatically launch.")
                     : "Each time Ember Talon opens, it will automatically launch\n" + name);
}

} // namespace et
