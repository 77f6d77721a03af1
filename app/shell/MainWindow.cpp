#include "MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace et {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Ember Talon");
    setObjectName("mainWindow");

    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);

    auto* header = new QHBoxLayout;
    imageView = new QLabel;
    imageView->setPixmap(QIcon(":/icons/ember-talon.svg").pixmap(56, 56));
    auto* title = new QLabel("<b style='font-size:17pt'>Ember Talon</b><br>"
                             "<span>Your Corvane Talon keyboard, lit by Emberfall.</span>");
    lightingLine = new QLabel;
    lightingLine->setObjectName("lightingLine");
    auto* titles = new QVBoxLayout;
    titles->addWidget(title);
    titles->addWidget(lightingLine);
    header->addWidget(imageView);
    header->addLayout(titles, 1);
    outer->addLayout(header);

    auto* middle = new QHBoxLayout;
    myTextScroll = new QPlainTextEdit;
    myTextScroll->setObjectName("myTextScroll");
    myTextScroll->setReadOnly(true);
    // Read-only still lets the user select text, and insertions go to the insertion point.
    myTextScroll->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    myTextScroll->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    myTextScroll->setMinimumSize(460, 260);
    middle->addWidget(myTextScroll, 1);
    middle->addWidget(buildButtons());
    outer->addLayout(middle, 1);
    outer->addWidget(buildSwitches());

    setCentralWidget(central);
    buildMenus();
    resize(720, 520);
}

QWidget* MainWindow::buildButtons() {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    auto add = [&](QPushButton*& button, const char* text, const char* name) {
        button = new QPushButton(text);
        button->setObjectName(name);
        column->addWidget(button);
    };
    add(calibrateButton, "Calibrate", "calibrateButton");
    add(setColorsBtn, "Set Colors…", "setColorsBtn");
    add(testButton, "Test Lights", "testButton");
    add(resetButton, "Reset", "resetButton");
    column->addSpacing(12);
    column->addWidget(new QLabel("Launch:"));
    add(launchEmberBtn, "Emberfall", "launchEmberBtn");
    add(launchEmberClassicBtn, "Emberfall Classic", "launchEmberClassicBtn");
    add(RPLaunchBtn, "Ravenport", "RPLaunchBtn");
    column->addStretch(1);
    add(helpButton, "Help", "myBtn");
    return box;
}

QWidget* MainWindow::buildSwitches() {
    auto* box = new QGroupBox("Lighting");
    auto* grid = new QGridLayout(box);
    auto add = [&](QCheckBox*& check, const char* text, const char* name, int row, int col) {
        check = new QCheckBox(text);
        check->setObjectName(name);
        grid->addWidget(check, row, col);
    };
    add(controlAllLightsCheckbox, "Control all lights", "controlAllLightsCheckbox", 0, 0);
    add(singleColorModeBtn, "Single color mode", "singleColorModeBtn", 0, 1);
    add(autoChatProfileCheckbox, "Profile 2 while chatting or away from the game",
        "autoChatProfileCheckbox", 1, 0);
    add(combatChatAlertCheckbox, "Warn when chatting in combat", "combatChatAlertCheckbox", 1, 1);
    controlAllLightsCheckbox->setChecked(true);
    return box;
}

void MainWindow::buildMenus() {
    auto make = [this](QMenu* m, QAction*& action, const QString& text, const char* name,
                       QKeySequence shortcut = {}) {
        action = m->addAction(text);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) action->setShortcut(shortcut);
        return action;
    };

    QMenu* file = menuBar()->addMenu("&File");
    make(file, menu.ExportPreferencesMI, "Export Color Profiles…", "ExportPreferencesMI");
    make(file, menu.ImportPreferencesMI, "Import Color Profiles…", "ImportPreferencesMI");
    file->addSeparator();
    make(file, menu.quit, "Quit Ember Talon", "quit", QKeySequence::Quit);
    menu.quit->setMenuRole(QAction::QuitRole);

    QMenu* lights = menuBar()->addMenu("&Keyboard");
    make(lights, menu.calibrateMI, "Calibrate", "calibrateMI", QKeySequence("Ctrl+L"));
    make(lights, menu.testLightsMI, "Test Lights", "testLightsMI", QKeySequence("Ctrl+T"));
    make(lights, menu.resetLightsMI, "Reset Lights", "resetLightsMI", QKeySequence("Ctrl+R"));
    lights->addSeparator();
    make(lights, menu.setColorsMI, "Set Colors…", "setColorsMI", QKeySequence("Ctrl+K"));
    make(lights, menu.openWindowToMapKeys, "Map Action Bar Keys…", "openWindowToMapKeys");
    lights->addSeparator();
    make(lights, menu.debugMenuItem, "Debug Mode", "debugMenuItem");
    menu.debugMenuItem->setCheckable(true);

    QMenu* launch = menuBar()->addMenu("&Launch");
    make(launch, menu.launchEmberMI, "Launch Emberfall", "launchEmberMI");
    make(launch, menu.launchClassicMI, "Launch Emberfall Classic", "launchClassicMI");
    make(launch, menu.launchRPortMI, "Launch Ravenport", "launchRPortMI");
    launch->addSeparator();
    make(launch, menu.handleLauncherOptionsMI, "Launch Options…", "handleLauncherOptionsMI");
    make(launch, menu.editGameNamesMI, "Edit Game Names…", "editGameNamesMI");
    launch->addSeparator();
    QMenu* autorun = launch->addMenu("Autolaunch at Start");
    // Check marks are set item by item as the settings say, so no exclusive group here.
    make(autorun, menu.autorunNoneMI, "None", "autorunNoneMI");
    make(autorun, menu.autorunRPortMI, "Ravenport", "autorunRPortMI");
    make(autorun, menu.autorunEmberMI, "Emberfall", "autorunEmberMI");
    make(autorun, menu.autorunClassicMI, "Emberfall Classic", "autorunClassicMI");
    for (QAction* a : autorun->actions())
        a->setCheckable(true);

    QMenu* help = menuBar()->addMenu("&Help");
    make(help, menu.helpMenuItem, "Ember Talon Help", "helpMenuItem", QKeySequence::HelpContents);
    make(help, menu.openDownloadsPage, "Downloads Page", "openDownloadsPage");
    help->addSeparator();
    make(help, menu.aboutMenuItem, "About Ember Talon", "aboutMenuItem");
    menu.aboutMenuItem->setMenuRole(QAction::AboutRole);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    Q_EMIT closing();
    event->accept();
}

} // namespace et
