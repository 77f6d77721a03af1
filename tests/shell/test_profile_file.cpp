// The profile file from the File menu (panels answered by the test) and from the command
// line, through the real settings file.
#include "ChildProcess.h"
#include "ProfileFile.h"
#include "QSettingsDefaults.h"
#include "ShellHarness.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace et::test {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        char pattern[] = "/tmp/et-profiles-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path); }
};

struct ProfileFileTest : ::testing::Test {
    TempDir dir;
    ShellHarness h;
    std::optional<std::string> savePath, openPath;
    std::optional<std::string> documents;
    int warnings = 0;
    AppDelegate* app = nullptr;

    void SetUp() override {
        documents = dir.path.string();
        ProfileFilePanels panels;
        panels.documentsFolder = [this] { return documents; };
        panels.save = [this](const std::string& folder, const std::string& name) {
            EXPECT_EQ(folder, dir.path.string());
            EXPECT_EQ(name, "Ember Talon Color Profiles");
            return savePath;
        };
        panels.open = [this](const std::string&) { return openPath; };
        panels.importWarning = [this] { ++warnings; };
        h.platform.profileFilePanels = panels;
        app = &h.start();
    }
};

TEST_F(ProfileFileTest, ExportThenImportRestoresEditedProfiles) {
    const std::string file = (dir.path / "backup.keycolormap").string();
    // Profile 1: Esc in color D, blink time 2.5.
    app->colorProgrammer.setColorsBtn();
    app->colorProgrammerWindow.colorButtonGroup->button(4)->click();
    app->colorProgrammerWindow.keyboardCanvas->paintAt({50, 230});
    app->colorProgrammerWindow.blinkTimeTextbox->setText("2.5");
    app->colorProgrammerWindow.okButton->click();

    savePath = file;
    EXPECT_EQ(app->profileFile.ExportPreferencesMI(), 0);
    EXPECT_EQ(fs::file_size(file), 5608u);
    EXPECT_EQ(h.logLines().back(), "Color profiles exported.");

    // Change everything, then import the backup.
    h.defaults.setIntArray("savedKeyToColorMap1", std::vector<int64_t>(529, kColorL));
    h.defaults.setDouble("blinkTimePref", 4.0);
    openPath = file;
    EXPECT_EQ(app->profileFile.ImportPreferencesMI(), 0);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(h.logLines().back(), "Color profiles imported.");
    EXPECT_EQ((*h.defaults.getIntArray("savedKeyToColorMap1"))[1], kColorD);
    // Reloaded: the blink time, the working profile and the editor.
    EXPECT_EQ(app->director.cooldowns.blinkTime, 2.5);
    EXPECT_EQ(app->colorProgrammerWindow.blinkTimeTextbox->text(), "2.5");
    EXPECT_EQ(app->frames.keyToColorMap[1], kColorD);
    EXPECT_EQ(app->canvas.keysToColors[1], kColorD);
    EXPECT_FALSE(app->profiles.profileTouched);
}

TEST_F(ProfileFileTest, CancelledPanelsMissingFolderAndBadFilesReportTheirStatus) {
    EXPECT_EQ(app->profileFile.ExportPreferencesMI(), 3);
    EXPECT_EQ(h.logLines().back(), "Export cancelled.");

    documents.reset();
    EXPECT_EQ(app->profileFile.ExportPreferencesMI(), 2);
    EXPECT_EQ(h.logLines().back(), "Unable to access your Documents folder.");

    documents = dir.path.string();
    savePath = (dir.path / "no/such/folder/x.keycolormap").string();
    EXPECT_EQ(app->profileFile.ExportPreferencesMI(), 4);
    EXPECT_EQ(h.logLines().back(), "Error: Could not save the file.");

    openPath = (dir.path / "missing.keycolormap").string();
    EXPECT_EQ(app->profileFile.ImportPreferencesMI(), 2);
    EXPECT_EQ(h.logLines().back(), "Error: Unable to access that file or folder.");

    // Not a profile file: nothing changes, nothing is reloaded.
    const fs::path junk = dir.path / "junk.keycolormap";
    std::ofstream(junk) << "this is not a profile file at all";
    h.defaults.setDouble("blinkTimePref", 3.0);
    openPath = junk.string();
    EXPECT_EQ(app->profileFile.ImportPreferencesMI(), 1);
    EXPECT_EQ(h.logLines().back(),
              "Error: File does not contain valid Color Presets for this version of Ember Talon.");
    EXPECT_EQ(h.defaults.getDouble("blinkTimePref"), 3.0);
    EXPECT_EQ(app->director.cooldowns.blinkTime, 1.0);
}

// The binary, headless, against a settings file of its own.
struct HeadlessTest : ::testing::Test {
    TempDir dir;
    std::optional<int> run(const std::vector<std::string>& args, std::string* out = nullptr) {
        std::vector<std::string> argv = {"/usr/bin/env",
                                         "XDG_CONFIG_HOME=" + (dir.path / "config").string(),
                                         "QT_QPA_PLATFORM=", "DISPLAY=", EMBER_TALON};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess app(argv, /*quiet=*/true);
        std::string text;
        while (auto line = app.readLine(20))
            text += *line + "\n";
        if (out) *out = text;
        return app.wait(20);
    }
    fs::path settings() const { return dir.path / "config/EmberTalon/EmberTalon.conf"; }
};

TEST_F(HeadlessTest, ExportThenImportRoundTripsThroughTheSettingsFileAndFailuresExitNonZero) {
    EXPECT_EQ(run({"--import-profiles", (dir.path / "missing").string()}), 1);
    const fs::path junk = dir.path / "junk";
    std::ofstream(junk) << "junk";
    EXPECT_EQ(run({"--import-profiles", junk.string()}), 1);
    EXPECT_FALSE(fs::exists(settings()) &&
                 QSettingsDefaults(settings().string()).contains("savedKeyToColorMap1"));
    EXPECT_EQ(run({"--export-profiles", (dir.path / "no/such/dir/x").string()}), 1);

    const std::string file = (dir.path / "profiles.keycolormap").string();
    {
        QSettingsDefaults defaults(settings().string());
        defaults.setIntArray("savedKeyToColorMap4", std::vector<int64_t>(529, kColorJ));
        defaults.setColor("colorAColor4", {0.25, 0.5, 0.75, 1});
        defaults.setBool("useActionBarCooldowns4", true);
        defaults.setDouble("blinkTimePref", 0.5);
    }
    std::string out;
    EXPECT_EQ(run({"--export-profiles", file}, &out), 0);
    EXPECT_EQ(out, "Color profiles exported.\n");
    EXPECT_EQ(fs::file_size(file), 5608u);

    fs::remove(settings());
    EXPECT_EQ(run({"--import-profiles=" + file}, &out), 0);
    EXPECT_EQ(out, "Color profiles imported.\n");
    QSettingsDefaults defaults(settings().string());
    auto map = defaults.getIntArray("savedKeyToColorMap4");
    ASSERT_TRUE(map);
    EXPECT_EQ((*map)[1], kColorJ);
    EXPECT_EQ(defaults.getColor("colorAColor4"), (Color{0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(defaults.getBool("useActionBarCooldowns4"), true);
    EXPECT_EQ(defaults.getBool("useActionBarCooldowns3"), false);
    EXPECT_EQ(defaults.getDouble("blinkTimePref"), 0.5);
}

} // namespace
} // namespace et::test
