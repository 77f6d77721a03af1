// The command line: what is understood, what is refused, and the real binary's answers.
#include "ChildProcess.h"
#include "CommandLine.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

TEST(CommandLineTest, OptionsAndTheirFiles) {
    EXPECT_TRUE(parseCommandLine({"--debug"}).debug);
    auto ex = parseCommandLine({"--export-profiles", "/tmp/a b.keycolormap"});
    EXPECT_EQ(ex.exportProfiles, "/tmp/a b.keycolormap");
    EXPECT_TRUE(ex.headless());
    EXPECT_EQ(parseCommandLine({"--import-profiles=x.keycolormap"}).importProfiles,
              "x.keycolormap");
    auto qt = parseCommandLine({"-platform", "offscreen", "--debug"});
    EXPECT_TRUE(qt.error.empty());
    EXPECT_EQ(qt.qtArguments, (std::vector<std::string>{"-platform", "offscreen"}));

    for (const auto& refused : std::vector<std::vector<std::string>>{
             {"--export-profiles"},
             {"--import-profiles="},
             {"--frobnicate"},
             {"--export-profiles", "a", "--import-profiles", "b"}})
        EXPECT_FALSE(parseCommandLine(refused).error.empty()) << refused[0];
}

TEST(CommandLineTest, BinaryAnswersHelpAndVersionWithoutADisplay) {
    auto run = [](const std::string& option, std::optional<int>& status) {
        ChildProcess app({EMBER_TALON, option}, /*quiet=*/true);
        std::string out;
        while (auto line = app.readLine(10))
            out += *line + "\n";
        status = app.wait(10);
        return out;
    };
    std::optional<int> status;
    const std::string help = run("--help", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(help.find("--export-profiles FILE"), std::string::npos);
    const std::string version = run("--version", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(version.rfind("Ember Talon ", 0), 0u) << version;
    EXPECT_NE(version.find("CorvaneLED 1.2.0"), std::string::npos) << version;
    run("--no-such-option", status);
    EXPECT_EQ(status, 2);
}

} // namespace
} // namespace et::test
