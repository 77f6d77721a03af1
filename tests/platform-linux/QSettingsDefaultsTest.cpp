// The INI settings store: values survive a restart exactly, the file stays readable and
// editable by hand, damaged lines read as missing, and a file that cannot be written
// never takes the values in memory with it.
#include "QSettingsDefaults.h"

#include <QDir>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>

using namespace et;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Optional;

namespace {

std::string readFile(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text) {
    QDir().mkpath(QString::fromStdString(path).section('/', 0, -2));
    std::ofstream(path) << text;
}

struct QSettingsDefaultsTest : ::testing::Test {
    QTemporaryDir dir;
    std::string path() const { return dir.path().toStdString() + "/EmberTalon/EmberTalon.conf"; }
};

TEST_F(QSettingsDefaultsTest, EveryTypeSurvivesARestartExactlyInAPlainTextFile) {
    const Color color{0.1, 1.0 / 3.0, 0.123456789012345678, 1.0};
    {
        QSettingsDefaults d(path());
        d.setBool("singleColorMode", true);
        d.setInt("key101", 522);
        d.setDouble("blinkTimePref", 0.30000000000000004);
        d.setString("gameName", "Emberfall, classic @home");
        d.setIntArray("savedKeyToColorMap1", {0, 12, 4, 5});
        d.setIntArray("empty", {});
        d.setColor("colorAColor1", color);
        d.setColor("colorBColor1", {0.5, 0.25, 1.0, 1.0});
    }
    const std::string text = readFile(path());
    EXPECT_THAT(text, HasSubstr("colorBColor1=0.5 0.25 1 1\n"));
    EXPECT_THAT(text, HasSubstr("savedKeyToColorMap1=0 12 4 5\n"));
    // No temporary or lock files are left beside it.
    EXPECT_EQ(QDir(dir.path() + "/EmberTalon").entryList(QDir::Files | QDir::Hidden),
              QStringList{"EmberTalon.conf"});

    QSettingsDefaults d(path());
    EXPECT_THAT(d.getBool("singleColorMode"), Optional(true));
    EXPECT_THAT(d.getInt("key101"), Optional(522));
    EXPECT_THAT(d.getDouble("blinkTimePref"), Optional(0.30000000000000004));
    EXPECT_THAT(d.getString("gameName"), Optional(std::string("Emberfall, classic @home")));
    EXPECT_THAT(d.getIntArray("savedKeyToColorMap1"),
                Optional(ElementsAre(Optional(0), Optional(12), Optional(4), Optional(5))));
    EXPECT_THAT(d.getIntArray("empty"), Optional(::testing::IsEmpty()));
    EXPECT_THAT(d.getColor("colorAColor1"), Optional(color));
    EXPECT_FALSE(d.getInt("key102"));
    EXPECT_FALSE(d.hadUnreadableLines());
    d.remove("key101");
    d.remove("");
    EXPECT_FALSE(d.contains("key101"));
    EXPECT_TRUE(d.contains("singleColorMode")) << "removing an empty key must not clear all";
}

// A damaged hand edit once hid later write failures and made ok() false although the
// file was still written.
TEST_F(QSettingsDefaultsTest, HandEditedAndDamagedLinesReadAsMissingAndTheFileStaysWritable) {
    // A comma-separated value is a list to QSettings; it reads as the same color.
    writeFile(path(),
              "[General]\ncolorBColor1=0.2, 0.4, 0.6\nkey101=abc\nthis line is not a setting\n"
              "scanWidth=1e300\nscanOffset=-1e300\n");
    QSettingsDefaults d(path());
    EXPECT_THAT(d.getColor("colorBColor1"), Optional(Color{0.2, 0.4, 0.6, 1.0}));
    // Numbers beyond a float's range are held to its ends.
    EXPECT_THAT(d.getFloat("scanWidth"), Optional(std::numeric_limits<float>::max()));
    EXPECT_THAT(d.getFloat("scanOffset"), Optional(-std::numeric_limits<float>::max()));
    EXPECT_FALSE(d.getInt("key101"));
    EXPECT_TRUE(d.contains("key101"));
    EXPECT_TRUE(d.hadUnreadableLines());

    // The file still takes new values; only the line that was no setting is left out.
    d.setInt("key102", 7);
    d.sync();
    EXPECT_TRUE(d.ok());
    const std::string text = readFile(path());
    EXPECT_THAT(text, HasSubstr("key102=7\n"));
    EXPECT_THAT(text, HasSubstr("colorBColor1="));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("not a setting")));
}

TEST_F(QSettingsDefaultsTest, UnwritableLocationKeepsValuesInMemoryAndSaysSoOnce) {
    const std::string blocker = dir.path().toStdString() + "/not-a-folder";
    writeFile(blocker, "x");
    QSettingsDefaults d(blocker + "/EmberTalon.conf");
    std::vector<std::string> reports;
    d.reportWriteFailures([&](const std::string& line) { reports.push_back(line); });
    d.setInt("key101", 3);
    d.sync();
    d.setInt("key102", 4);
    d.sync();
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(reports, std::vector<std::string>{"Settings could not be saved to " + blocker +
                                                "/EmberTalon.conf; changes last until quit."});
    EXPECT_THAT(d.getInt("key101"), Optional(3));
    EXPECT_EQ(readFile(blocker), "x");
}

} // namespace
