// Launching by name, the names window, autorun, and the log of a launch that failed.
#include "HelperLauncher.h"
#include "LauncherControl.h"
#include "QtRunLoop.h"
#include "RecordingLog.h"
#include "ShellHarness.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>

#include <map>

namespace et::test {
namespace {

class ScriptedLauncherUi : public LauncherUi {
  public:
    std::map<AutorunItem, bool> checked;
    std::vector<std::string> sheets;
    bool alt = false;
    int optionRuns = 0;
    ApplicationNames edited{"Ember X", "Classic X", "Port X"};

    std::string autorunTitle(AutorunItem item) const override {
        return std::map<AutorunItem, std::string>{{AutorunItem::None, "None"},
                                                  {AutorunItem::RPort, "Ravenport"},
                                                  {AutorunItem::Ember, "Emberfall"},
                                                  {AutorunItem::Classic, "Emberfall Classic"}}
            .at(item);
    }
    void setAutorunChecked(AutorunItem item, bool on) override { checked[item] = on; }
    void showAutorunSheet(const std::string& text) override { sheets.push_back(text); }
    ApplicationNames runLaunchOptions(const ApplicationNames&) override {
        ++optionRuns;
        return edited;
    }
    bool optionKeyHeld() const override { return alt; }
    void showNames(const ApplicationNames&) override {}
};

struct LauncherTest : ::testing::Test {
    RecordingLauncher launcher;
    MemoryDefaults defaults;
    ScriptedLauncherUi ui;
    RecordingLog log;
    LauncherControl control{launcher, defaults, log, ui};
};

TEST_F(LauncherTest, LaunchesByStoredNameUnlessAltOpensTheNamesWindowAndAutorunKeepsItsName) {
    defaults.setString("RPAppName", "Raven Launcher");
    control.loadApplicationNames();
    control.autorunEmber();
    control.launchEmber();
    control.launchClassic();
    control.launchRPort();
    EXPECT_EQ(launcher.activated,
              (std::vector<std::string>{"Emberfall", "Emberfall Classic", "Raven Launcher"}));
    EXPECT_TRUE(log.lines().empty()) << "launching reports nothing";
    EXPECT_TRUE(ui.checked[AutorunItem::Ember] && !ui.checked[AutorunItem::None]);

    ui.alt = true;
    control.launchEmber();
    EXPECT_EQ(launcher.activated.size(), 3u) << "Alt opens the names window instead";
    EXPECT_EQ(defaults.getString("EmberAppName"), "Ember X");
    EXPECT_EQ(defaults.getString("EmberClassicAppName"), "Classic X");
    EXPECT_EQ(defaults.getString("RPAppName"), "Port X");
    EXPECT_EQ(defaults.getString("AutorunName"), "Emberfall") << "a rename keeps autorun's";
    // At start-up a name launches without consulting Alt, and says so.
    control.autorunAtStartup();
    EXPECT_EQ(launcher.activated.back(), "Emberfall");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Launching Emberfall"});
    EXPECT_EQ(ui.optionRuns, 1);
    ui.alt = false;
    control.launchRPort();
    EXPECT_EQ(launcher.activated.back(), "Port X");

    // "None" and empty launch nothing and mark the none item beside the stored title.
    control.autorunNone();
    EXPECT_EQ(ui.sheets.back(), "No app will automatically launch.");
    for (const char* stored : {"None", ""}) {
        ui.checked.clear();
        defaults.setString("AutorunMenuName", "Ravenport");
        defaults.setString("AutorunName", stored);
        control.autorunAtStartup();
        EXPECT_TRUE(ui.checked[AutorunItem::None] && ui.checked[AutorunItem::RPort]) << stored;
    }
    EXPECT_EQ(launcher.activated.size(), 5u);
}

// A launch that cannot be done says why, after the description's own line, whether the
// name matches nothing or the helper is missing; a launcher outliving the log stays quiet.
TEST_F(LauncherTest, ALaunchThatFailsIsLoggedWithTheHelpersReason) {
    struct Case {
        std::string helper, expected;
    } cases[] = {
        {ACTIVATE_HELPER,
         "Unable to launch No Such Game: no window, desktop entry or program named \"No Such "
         "Game\""},
        {"", "Unable to launch No Such Game: the launch helper ember-talon-activate is not "
             "installed"},
        {"/nonexistent/ember-talon-activate",
         "Unable to launch No Such Game: cannot run the launch helper "
         "/nonexistent/ember-talon-activate: "},
    };
    QtRunLoop runLoop;
    for (const Case& c : cases) {
        HelperLauncher helper(c.helper);
        LauncherControl real{helper, defaults, log, ui};
        log.clear();
        defaults.setString("AutorunName", "No Such Game");
        real.autorunAtStartup();
        for (int i = 0; i < 500 && log.lines().size() < 2; ++i)
            runLoop.runFor(0.02);
        ASSERT_EQ(log.lines().size(), 2u) << c.helper;
        EXPECT_EQ(log.lines()[0], "Launching No Such Game");
        EXPECT_EQ(log.lines()[1].substr(0, c.expected.size()), c.expected) << c.helper;
    }

    auto gone = std::make_unique<LauncherControl>(launcher, defaults, log, ui);
    gone->launchEmber();
    gone.reset();
    launcher.failures.back()("too late");
    EXPECT_EQ(log.lines().size(), 2u);
}

// Through the real windows: the autorun menu, its sheet and the launch options window.
TEST(LauncherWindowsTest, MenuItemsSheetAndNamesWindow) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.mainWindow.menu.autorunRPortMI->trigger();
    EXPECT_TRUE(app.mainWindow.menu.autorunRPortMI->isChecked());
    EXPECT_EQ(h.defaults.getString("AutorunName"), "Ravenport");
    auto* sheet = app.mainWindow.findChild<QMessageBox*>("autorunSheet");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->informativeText(),
              "Each time Ember Talon opens, it will automatically launch\nRavenport");
    sheet->close();

    // The names window runs modally; type a name and press OK.
    QTimer::singleShot(0, [&] {
        app.launchOptionWindow.EmberAppNameField->setText("My Ember");
        app.launchOptionWindow.okButton->click();
    });
    app.mainWindow.menu.editGameNamesMI->trigger();
    EXPECT_EQ(h.defaults.getString("EmberAppName"), "My Ember");
    app.mainWindow.launchEmberBtn->click();
    EXPECT_EQ(h.launcher.activated, std::vector<std::string>{"My Ember"});
}

} // namespace
} // namespace et::test
