// The command line: what is understood, what is refused, and the real binary's answers.
#include "ChildProcess.h"
#include "CommandLine.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

TEST(CommandLineTest, OptionsAndTheirFiles) {
    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    EXPECT_TRUE(parseCommandLine({"--version"}).version);
    EXPECT_TRUE(parseCommandLine({"--debug"}).debug);
    auto ex = parseCommandLine({"--export-profiles", "/tmp/a b.keycolormap"});
    EXPECT_EQ(ex.exportProfiles, "/tmp/a b.keycolormap");
    EXPECT_TRUE(ex.headless());
    EXPECT_EQ(parseCommandLine({"--import-profiles=x.keycolormap"}).importProfiles,
              "x.keycolormap");
    auto qt = parseCommandLine({"-platform", "offscreen", "--debug"});
    EXPECT_TRUE(qt.error.empty());
    EXPECT_EQ(qt.qtArguments, (std::vector<std::string>{"-platform", "offscreen"}));

    EXPECT_FALSE(parseCommandLine({"--export-profiles"}).error.empty()) << "file missing";
    EXPECT_FALSE(parseCommandLine({"--import-profiles="}).error.empty()) << "file empty";
    EXPECT_FALSE(parseCommandLine({"--frobnicate"}).error.empty());
    EXPECT_FALSE(
        parseCommandLine({"--export-profiles", "a", "--import-profiles", "b"}).error.empty());
}

std::string runApp(const std::vector<std::string>& args, std::optional<int>& status) {
    std::vector<std::string> argv = {EMBER_TALON};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess app(argv, /*quiet=*/true);
    std::string out;
    while (auto line = app.readLine(10))
        out += *line + "\n";
    status = app.wait(10);
    return out;
}

TEST(CommandLineTest, BinaryAnswersHelpAndVersionWithoutADisplay) {
    std::optional<int> status;
    const std::string help = runApp({"--help"}, status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(help.find("--export-profiles FILE"), std::string::npos);
    EXPECT_NE(help.find("--debug"), std::string::npos);

    const std::string version = runApp({"--version"}, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(version.rfind("Ember Talon ", 0), 0u) << version;
    EXPECT_NE(version.find("CorvaneLED 1.2.0"), std::string::npos) << version;

    runApp({"--no-such-option"}, status);
    EXPECT_EQ(status, 2);
}

} // namespace
} // namespace et::test
