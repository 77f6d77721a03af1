// The profile file from the File menu, the panels answered by the test: each outcome logged
// with its status, and an import that reloads every place the profiles show.
#include "ProfileFile.h"
#include "ShellHarness.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace et::test {
namespace {

TEST(ProfileFileMenuTest, ExportAndImportReportEachOutcomeAndAnImportReloadsTheProfiles) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    std::optional<std::string> savePath, openPath;
    int warnings = 0;
    ShellHarness h;
    ProfileFilePanels panels;
    panels.documentsFolder = [&] { return std::optional(folder); };
    panels.save = [&](const std::string& in, const std::string& name) {
        EXPECT_EQ(in, folder);
        EXPECT_EQ(name, "Ember Talon Color Profiles");
        return savePath;
    };
    panels.open = [&](const std::string&) { return openPath; };
    panels.importWarning = [&] { ++warnings; };
    h.platform.profileFilePanels = panels;
    AppDelegate& app = h.start();
    ProfileFileMenu& menu = app.profileFile;
    auto outcome = [&](int status) { return std::pair(status, h.logLines().back()); };
    using Outcome = std::pair<int, std::string>;

    EXPECT_EQ(outcome(menu.ExportPreferencesMI()), Outcome(3, "Export cancelled."));
    EXPECT_EQ(outcome(menu.ImportPreferencesMI()), Outcome(3, "Import cancelled."));
    savePath = folder + "/no/such/folder/x.keycolormap";
    EXPECT_EQ(outcome(menu.ExportPreferencesMI()), Outcome(4, "Error: Could not save the file."));

    // Profile 1: Esc in color D, blink time 2.5; exported.
    app.colorProgrammer.setColorsBtn();
    app.colorProgrammerWindow.colorButtonGroup->button(4)->click();
    app.colorProgrammerWindow.keyboardCanvas->paintAt({50, 230});
    app.colorProgrammerWindow.blinkTimeTextbox->setText("2.5");
    app.colorProgrammerWindow.okButton->click();
    savePath = folder + "/backup.keycolormap";
    EXPECT_EQ(outcome(menu.ExportPreferencesMI()), Outcome(0, "Color profiles exported."));
    EXPECT_EQ(std::filesystem::file_size(*savePath), 5608u);

    // Change everything; files that are missing or no profile file change nothing.
    h.defaults.setIntArray("savedKeyToColorMap1", std::vector<int64_t>(529, kColorL));
    h.defaults.setDouble("blinkTimePref", 4.0);
    openPath = folder + "/missing.keycolormap";
    EXPECT_EQ(outcome(menu.ImportPreferencesMI()),
              Outcome(2, "Error: Unable to access that file or folder."));
    openPath = folder + "/junk.keycolormap";
    std::ofstream(*openPath) << "this is not a profile file at all";
    EXPECT_EQ(outcome(menu.ImportPreferencesMI()),
              Outcome(1, "Error: File does not contain valid Color Presets for this version of "
                         "Ember Talon."));
    EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), 4.0);
    EXPECT_EQ(app.director.cooldowns.blinkTime, 2.5) << "nothing was reloaded";

    // The backup: stored, and reloaded into the blink time, the working profile and editor.
    openPath = savePath;
    EXPECT_EQ(outcome(menu.ImportPreferencesMI()), Outcome(0, "Color profiles imported."));
    EXPECT_EQ(warnings, 4) << "each import warns first";
    EXPECT_EQ((*h.defaults.getIntArray("savedKeyToColorMap1"))[1], kColorD);
    EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), 2.5);
    EXPECT_EQ(app.colorProgrammerWindow.blinkTimeTextbox->text(), "2.5");
    EXPECT_EQ(app.frames.keyToColorMap[1], kColorD);
    EXPECT_EQ(app.canvas.keysToColors[1], kColorD);
    EXPECT_FALSE(app.profiles.profileTouched);
}

} // namespace
} // namespace et::test
