// The log view, about, help, and the guide naming controls that exist.
#include "AppInfo.h"
#include "ShellHarness.h"

#include <gtest/gtest.h>
#include "TextViewLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextBrowser>

#include <set>
#include <thread>

namespace et::test {
namespace {

TEST(LogViewTest, LinesFollowEachOtherAndArriveOnTheMainThread) {
    QPlainTextEdit view;
    TextViewLog log(&view);
    log.appendLine("first");
    log.appendLine("\nsecond");
    EXPECT_EQ(view.toPlainText(), "first\n\nsecond\n");

    ShellHarness h;
    h.make();
    std::thread([&] { h.app->log().appendLine("from the capture thread"); }).join();
    EXPECT_EQ(h.logText(), "");
    EXPECT_TRUE(h.waitFor([&] { return h.logText() == "from the capture thread\n"; }));
}

TEST(InfoWindowsTest, AboutAndHelpShowTheirTextAndHelpResetsTheCalibrationConfirmation) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.mainWindow.menu.aboutMenuItem->trigger();
    EXPECT_TRUE(app.aboutWindow.isVisible());
    EXPECT_EQ(app.aboutWindow.aboutVersionLabel->text().toStdString(),
              std::string("Version ") + build::kVersion + " (" + build::kBuild + ")");
    app.mainWindow.menu.openDownloadsPage->trigger();
    EXPECT_EQ(h.openedUrls, std::vector<std::string>{app::kDownloadsPage});

    EXPECT_TRUE(app.helpWindow.helpTextView->toPlainText().contains("Troubleshooting"));
    // Calibrate asks (and lets a refused screen cast be asked for again), help in between
    // makes it ask again.
    app.mainWindow.calibrateButton->click();
    EXPECT_FALSE(app.calibration.confirmCalibrate);
    EXPECT_EQ(h.calibrationsStarted, 1);
    app.mainWindow.helpButton->click();
    EXPECT_TRUE(app.calibration.confirmCalibrate);
    EXPECT_TRUE(h.waitFor([&] { return app.helpWindow.isVisible(); })) << "shown asynchronously";
}

// The user guide sends the player to buttons and menus by name: each name it marks, and
// each Menu ▸ Item path it writes, must be found in the windows as they are built.
TEST(HelpTextTest, EveryControlItNamesExists) {
    ShellHarness h;
    h.start();
    h.app->keyMapping.openWindowToMapKeys(); // fills the key menus
    std::set<QString> names;
    auto plain = [](QString text) { return text.remove('&').trimmed(); };
    for (QWidget* w : QApplication::allWidgets()) {
        if (auto* button = qobject_cast<QAbstractButton*>(w)) names.insert(plain(button->text()));
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i)
                names.insert(plain(combo->itemText(i)));
    }
    std::function<void(QMenu*, const QString&)> walk = [&](QMenu* menu, const QString& path) {
        names.insert(plain(menu->title()));
        for (QAction* a : menu->actions()) {
            if (a->menu()) walk(a->menu(), path + plain(a->menu()->title()) + " ▸ ");
            names.insert(plain(a->text()));
            names.insert(path + plain(a->text()));
        }
    };
    for (QAction* top : h.app->mainWindow.menuBar()->actions())
        if (top->menu()) walk(top->menu(), plain(top->menu()->title()) + " ▸ ");

    QFile file(":/help/HelpText.html");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    const QRegularExpression marked(R"(<([bi]) class="ui">([^<]+)</\1>)");
    const QRegularExpression menuPath(R"([A-Z]\w* ▸ [A-Z]\w*(?: [A-Z]\w*)*…?)");
    int checked = 0;
    for (const auto* pattern : {&marked, &menuPath}) {
        for (const auto& m : pattern->globalMatch(html)) {
            const QString name = m.lastCapturedIndex() == 2 ? m.captured(2) : m.captured(0);
            EXPECT_TRUE(names.count(name.simplified())) << name.toStdString();
            ++checked;
        }
    }
    EXPECT_GE(checked, 15) << "the guide names the controls it explains";
}

} // namespace
} // namespace et::test
