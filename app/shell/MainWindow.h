#pragma once
// The main window: the log view, the switches and the buttons, and the menu bar. It only
// lays them out; the application delegate connects them.
#include <QMainWindow>

class QAction;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace et {

// Every menu command, by the name of the action it triggers.
struct MenuActions {
    QAction* aboutMenuItem = nullptr;
    QAction* openDownloadsPage = nullptr;
    QAction* quit = nullptr;
    QAction* ExportPreferencesMI = nullptr;
    QAction* ImportPreferencesMI = nullptr;
    QAction* calibrateMI = nullptr;
    QAction* resetLightsMI = nullptr;
    QAction* testLightsMI = nullptr;
    QAction* setColorsMI = nullptr;
    QAction* openWindowToMapKeys = nullptr;
    QAction* debugMenuItem = nullptr;
    QAction* launchEmberMI = nullptr;
    QAction* launchClassicMI = nullptr;
    QAction* launchRPortMI = nullptr;
    QAction* handleLauncherOptionsMI = nullptr;
    QAction* editGameNamesMI = nullptr;
    QAction* autorunNoneMI = nullptr;
    QAction* autorunRPortMI = nullptr;
    QAction* autorunEmberMI = nullptr;
    QAction* autorunClassicMI = nullptr;
    QAction* helpMenuItem = nullptr;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);

    MenuActions menu;

    QLabel* imageView = nullptr;
    // Where the lighting goes, as the host software last said.
    QLabel* lightingLine = nullptr;
    QPlainTextEdit* myTextScroll = nullptr;
    QCheckBox* controlAllLightsCheckbox = nullptr;
    QCheckBox* singleColorModeBtn = nullptr;
    QCheckBox* autoChatProfileCheckbox = nullptr;
    QCheckBox* combatChatAlertCheckbox = nullptr;
    QPushButton* calibrateButton = nullptr;
    QPushButton* setColorsBtn = nullptr;
    QPushButton* testButton = nullptr;
    QPushButton* resetButton = nullptr;
    QPushButton* helpButton = nullptr;
    QPushButton* launchEmberBtn = nullptr;
    QPushButton* launchEmberClassicBtn = nullptr;
    QPushButton* RPLaunchBtn = nullptr;

  Q_SIGNALS:
    // windowShouldClose: always closes; the delegate closes the auxiliary windows first.
    void closing();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus();
    QWidget* buildButtons();
    QWidget* buildSwitches();
};

} // namespace et
