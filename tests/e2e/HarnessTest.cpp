// The harness on its own: a failure here points at the test equipment, not the application.
#include "Desktop.h"
#include "Programs.h"

#include <CorvaneLED.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace et::e2e {
namespace {

std::string shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[256];
        while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe))
            out.append(chunk, n);
        if (::pclose(pipe) != 0) out += "\n(exit status non-zero)";
    }
    return out;
}

TEST(Harness, DesktopIsPrivateAndItsPiecesAnswer) {
    const ProgramPaths programs = ProgramPaths::fromBuild();
    std::string folder;
    {
        Desktop desktop;
        ASSERT_TRUE(desktop.ok()) << desktop.error();
        folder = desktop.folder();
        EXPECT_EQ(std::getenv("DISPLAY"), desktop.display());
        EXPECT_EQ(std::getenv("XDG_DATA_HOME"), desktop.dataHome());
        EXPECT_EQ(std::getenv("XDG_CONFIG_HOME"), desktop.configHome());

        // Both buses are ours and answer.
        for (const char* bus : {"--session", "--system"}) {
            const std::string names =
                shell(std::string("dbus-send ") + bus +
                      " --dest=org.freedesktop.DBus --print-reply /org/freedesktop/DBus "
                      "org.freedesktop.DBus.ListNames 2>&1");
            EXPECT_NE(names.find("org.freedesktop.DBus"), std::string::npos) << bus << names;
        }
        EXPECT_NE(std::string(std::getenv("DBUS_SYSTEM_BUS_ADDRESS")).find(folder),
                  std::string::npos);

        // The window stage says which window is in front.
        const uint32_t game = desktop.windows().game();
        desktop.windows().activate(game);
        char id[32];
        std::snprintf(id, sizeof id, "0x%x", game);
        EXPECT_NE(shell("xprop -root _NET_ACTIVE_WINDOW").find(id), std::string::npos);
        const std::string wmClass = shell("xprop -id " + std::string(id) + " WM_CLASS");
        EXPECT_NE(wmClass.find("\"emberfall.exe\", \"emberfall.exe\""), std::string::npos)
            << wmClass;

        // The host simulator records what a client sends, across a crash and a restart.
        HostSim host(programs.hostSim, desktop.socketPath());
        ASSERT_TRUE(host.start());
        ASSERT_TRUE(CorvLedInit());
        CorvLedSetLighting(10, 20, 30);
        ASSERT_TRUE(host.waitFor([](const HostRecord& r) { return r.is("SetLighting"); }, 10.0));
        host.kill();
        CorvLedShutdown();
        ASSERT_TRUE(host.start());
        ASSERT_TRUE(CorvLedInit());
        CorvLedSetLighting(40, 50, 60);
        ASSERT_TRUE(host.waitUntil(
            [](const auto& records) {
                return !records.empty() && records.back().is("SetLighting") &&
                       records.back().r == 40;
            },
            10.0));
        CorvLedShutdown();
        const auto records = host.records();
        ASSERT_GE(records.size(), 6u);
        EXPECT_EQ(records[0].cmd, "Init");
        EXPECT_EQ(records[1].cmd, "SaveCurrentLighting");
        EXPECT_EQ(records[2].r, 10);
        EXPECT_EQ(records[2].b, 30);

        // The painter carries out commands and reports back.
        Strip strip(programs.talonStrip, desktop.display(), 8);
        ASSERT_TRUE(strip.ok());
        EXPECT_TRUE(strip.run("hold 20\nsend A\necho sent"));
        EXPECT_GT(strip.echoedAt("sent"), 0.0);
    }
    // Nothing of the desktop is left behind, and the environment is as it was.
    EXPECT_FALSE(std::filesystem::exists(folder));
    const char* data = std::getenv("XDG_DATA_HOME");
    EXPECT_TRUE(data == nullptr || std::string(data).find(folder) == std::string::npos);
}

TEST(HostRecords, LinesOfTheHostAreReadBack) {
    auto bitmap =
        parseHostLine(R"({"t":1.500000,"cmd":"SetLightingWithBitmap","bitmap":"00ff7f"})", 2.0);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->hostTime, 1.5);
    EXPECT_EQ(bitmap->at, 2.0);
    EXPECT_EQ(bitmap->bitmap, (std::vector<uint8_t>{0x00, 0xff, 0x7f}));
    auto key = parseHostLine(
        R"({"t":0.1,"cmd":"SetLightingForKeyWithKeyName","key":1048561,"r":100,"g":0,"b":-5})", 0);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->isKey(0xFFFF1));
    EXPECT_EQ(key->r, 100);
    EXPECT_EQ(key->b, -5);
    EXPECT_FALSE(parseHostLine("corvane-host-sim: listening", 0));
    EXPECT_FALSE(parseHostLine(R"({"t":0.1,"cmd":"SetLightingWithBitmap","bitmap":"0g"})", 0));
    EXPECT_FALSE(parseHostLine(R"({"t":0.1,"cm)", 0));
}

} // namespace
} // namespace et::e2e
