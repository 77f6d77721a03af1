// The log view, help and about.
#include "AppInfo.h"
#include "ShellHarness.h"
#include "TextViewLog.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <gtest/gtest.h>

#include <thread>

namespace et::test {
namespace {

TEST(LogViewTest, LinesFollowEachOtherAndReplaceASelection) {
    QPlainTextEdit view;
    TextViewLog log(&view);
    log.appendLine("first");
    log.appendLine("\nsecond");
    EXPECT_EQ(view.toPlainText(), "first\n\nsecond\n");

    // The user selects "first"; the next line takes its place.
    QTextCursor cursor(view.document());
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    log.appendLine("third");
    EXPECT_EQ(view.toPlainText(), "third\n\n\nsecond\n");
    log.appendLine("fourth");
    EXPECT_EQ(view.toPlainText(), "third\nfourth\n\n\nsecond\n");
}

TEST(LogViewTest, LinesFromAnotherThreadArriveOnTheMainThread) {
    ShellHarness h;
    h.make();
    std::thread([&] { h.app->log().appendLine("from the capture thread"); }).join();
    EXPECT_EQ(h.logText(), "");
    h.spin(0.05);
    EXPECT_EQ(h.logText(), "from the capture thread\n");
}

TEST(InfoWindowsTest, AboutShowsVersionRightsAndLink) {
    ShellHarness h;
    AppDelegate& app = h.start();
    app.mainWindow.menu.aboutMenuItem->trigger();
    EXPECT_TRUE(app.aboutWindow.isVisible());
    EXPECT_EQ(app.aboutWindow.aboutVersionLabel->text().toStdString(),
              std::string("Version ") + build::kVersion + " (" + build::kBuild + ")");
    EXPECT_EQ(app.aboutWindow.aboutCopyLabel->text().toStdString(), app::kRightsNotice);
    EXPECT_EQ(app.aboutWindow.aboutLinkLabel->text().toStdString(), app::kProductPage);

    app.AboutLinkClicked();
    app.mainWindow.menu.openDownloadsPage->trigger();
    EXPECT_EQ(h.openedUrls, (std::vector<std::string>{app::kProductPage, app::kDownloadsPage}));
    EXPECT_EQ(h.logText().find("http"), std::string::npos) << "nothing is logged";
}

TEST(InfoWindowsTest, HelpShowsTheGuideAndResetsTheCalibrationConfirmation) {
    ShellHarness h;
    AppDelegate& app = h.start();
    const QString guide = app.helpWindow.helpTextView->toPlainText();
    for (const char* topic : {"Installing the Talonxmit add-on", "Calibrating",
                              "Colors and profiles", "Troubleshooting"})
        EXPECT_TRUE(guide.contains(topic, Qt::CaseInsensitive)) << topic;

    // Calibrate asks, help in between makes it ask again.
    app.calibration.calibrateScreen();
    EXPECT_FALSE(app.calibration.confirmCalibrate);
    app.mainWindow.menu.helpMenuItem->trigger();
    EXPECT_TRUE(app.helpWindow.isVisible());
    EXPECT_TRUE(app.calibration.confirmCalibrate);

    app.helpWindow.close();
    app.calibration.confirmCalibrate = false;
    app.mainWindow.helpButton->click();
    EXPECT_TRUE(app.calibration.confirmCalibrate);
    h.spin(0.05); // the button shows the window asynchronously
    EXPECT_TRUE(app.helpWindow.isVisible());
}

TEST(InfoWindowsTest, MissingGuideLeavesANote) {
    ShellHarness h;
    AppDelegate& app = h.make();
    app.helpWindow.loadHelpText(":/no/such/document.html");
    EXPECT_TRUE(app.helpWindow.helpTextView->toPlainText().contains("missing"));
}

} // namespace
} // namespace et::test
