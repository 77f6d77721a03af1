#pragma once
// The names of the game, its classic edition and its launcher, as the launcher looks them
// up. There is no cancel: whatever the fields hold when the window closes is taken.
#include "LauncherControl.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace et {

class LaunchOptionsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit LaunchOptionsWindow(QWidget* parent = nullptr);

    void showNames(const ApplicationNames& names);
    ApplicationNames fieldNames() const;
    // editApplicationNames: the modal run, ended by OK (launchOptionsOK:) or by closing.
    ApplicationNames run(const ApplicationNames& names);

    QLineEdit* EmberAppNameField = nullptr;
    QLineEdit* EmberClassicAppNameField = nullptr;
    QLineEdit* RPAppNameField = nullptr;
    QPushButton* okButton = nullptr;
};

} // namespace et
