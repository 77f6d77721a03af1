#pragma once
// The launcher's view of the windows: the autorun menu items, the autorun sheet, the
// launch options window and the keyboard's Alt key.
#include "LauncherControl.h"

class QAction;

namespace et {

class LaunchOptionsWindow;
class MainWindow;

class LauncherWindows : public LauncherUi {
  public:
    LauncherWindows(MainWindow& mainWindow, LaunchOptionsWindow& launchOptions);

    std::string autorunTitle(AutorunItem item) const override;
    void setAutorunChecked(AutorunItem item, bool checked) override;
    void showAutorunSheet(const std::string& informativeText) override;
    ApplicationNames runLaunchOptions(const ApplicationNames& names) override;
    bool optionKeyHeld() const override;
    void showNames(const ApplicationNames& names) override;

  private:
    QAction* item(AutorunItem which) const;

    MainWindow& mainWindow_;
    LaunchOptionsWindow& launchOptions_;
};

} // namespace et
