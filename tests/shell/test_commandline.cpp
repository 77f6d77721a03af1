// The command line: what is understood and refused, and the real binary's answers, its
// headless export and import against a settings file of its own among them.
#include "ChildProcess.h"
#include "ColorTable.h"
#include "CommandLine.h"
#include "QSettingsDefaults.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace et::test {
namespace {

namespace fs = std::filesystem;

TEST(CommandLineTest, OptionsAndTheirFiles) {
    EXPECT_TRUE(parseCommandLine({"--debug"}).debug);
    auto ex = parseCommandLine({"--export-profiles", "/tmp/a b.keycolormap"});
    EXPECT_EQ(ex.exportProfiles, "/tmp/a b.keycolormap");
    EXPECT_TRUE(ex.headless());
    EXPECT_EQ(parseCommandLine({"--import-profiles=x.keycolormap"}).importProfiles,
              "x.keycolormap");
    auto qt = parseCommandLine({"-platform", "offscreen", "--debug"});
    EXPECT_EQ(qt.qtArguments, (std::vector<std::string>{"-platform", "offscreen"}));
    for (const auto& refused : std::vector<std::vector<std::string>>{
             {"--export-profiles"},
             {"--import-profiles="},
             {"--frobnicate"},
             {"--export-profiles", "a", "--import-profiles", "b"}})
        EXPECT_FALSE(parseCommandLine(refused).error.empty()) << refused[0];
}

// The binary without a display, against a settings file of its own.
struct BinaryTest : ::testing::Test {
    QTemporaryDir dir;
    fs::path path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    fs::path settings() const { return path("config/EmberTalon/EmberTalon.conf"); }
    std::optional<int> run(const std::vector<std::string>& args, std::string* out = nullptr) {
        std::vector<std::string> argv = {"/usr/bin/env",
                                         "XDG_CONFIG_HOME=" + path("config").string(),
                                         "QT_QPA_PLATFORM=", "DISPLAY=", EMBER_TALON};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildProcess app(argv, /*quiet=*/true);
        std::string text;
        while (auto line = app.readLine(20))
            text += *line + "\n";
        if (out) *out = text;
        return app.wait(20);
    }
};

// --version is checked on the installed program (InstallCheck.cmake).
TEST_F(BinaryTest, ExportThenImportRoundTripsThroughTheSettingsFileAndFailuresExitNonZero) {
    std::string out;
    EXPECT_EQ(run({"--help"}, &out), 0);
    EXPECT_NE(out.find("--export-profiles FILE"), std::string::npos);
    EXPECT_EQ(run({"--no-such-option"}), 2);
    EXPECT_EQ(run({"--import-profiles", path("missing")}), 1);
    std::ofstream(path("junk")) << "junk";
    EXPECT_EQ(run({"--import-profiles", path("junk")}), 1);
    EXPECT_FALSE(fs::exists(settings()) &&
                 QSettingsDefaults(settings()).contains("savedKeyToColorMap1"));
    EXPECT_EQ(run({"--export-profiles", path("no/such/dir/x")}), 1);

    const std::string file = path("profiles.keycolormap");
    {
        QSettingsDefaults defaults(settings());
        defaults.setIntArray("savedKeyToColorMap4", std::vector<int64_t>(529, kColorJ));
        defaults.setColor("colorAColor4", {0.25, 0.5, 0.75, 1});
        defaults.setBool("useActionBarCooldowns4", true);
        defaults.setDouble("blinkTimePref", 0.5);
    }
    EXPECT_EQ(run({"--export-profiles", file}, &out), 0);
    EXPECT_EQ(out, "Color profiles exported.\n");
    EXPECT_EQ(fs::file_size(file), 5608u);

    fs::remove(settings());
    EXPECT_EQ(run({"--import-profiles=" + file}, &out), 0);
    EXPECT_EQ(out, "Color profiles imported.\n");
    QSettingsDefaults defaults(settings());
    ASSERT_TRUE(defaults.getIntArray("savedKeyToColorMap4"));
    EXPECT_EQ((*defaults.getIntArray("savedKeyToColorMap4"))[1], kColorJ);
    EXPECT_EQ(defaults.getColor("colorAColor4"), (Color{0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(defaults.getBool("useActionBarCooldowns4"), true);
    EXPECT_EQ(defaults.getDouble("blinkTimePref"), 0.5);
}

} // namespace
} // namespace et::test
