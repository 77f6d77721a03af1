// The main window's lighting line: what it says for each answer of the host, and that it
// follows a change within a few seconds.
#include "ShellHarness.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace et::test {
namespace {

HostReport report(HostReport::Reach reach, bool openrgb = false, bool connected = false,
                  std::vector<std::string> lit = {}, std::vector<std::string> alone = {}) {
    return {reach, true, openrgb, connected, "OpenRGB 0.9", std::move(lit), std::move(alone)};
}

TEST(LightingLineTest, SaysWhereTheLightingGoesAndFollowsTheHost) {
    using enum HostReport::Reach;
    const std::pair<HostReport, std::string> rows[] = {
        {report(Answered, true, true, {"Debug Keyboard ISO"}),
         "Debug Keyboard ISO through OpenRGB 0.9"},
        {report(NoHost), "the host software is not running"},
        {report(Answered, true, false, {"K2"}), "OpenRGB is not running"},
        {report(Answered, true, true, {"Full 104 key ", "Pad", "K2"}),
         "Full 104 key, Pad and K2 through OpenRGB 0.9"},
        {report(Answered, true, true), "OpenRGB 0.9 has no keyboard to light"},
        {report(Answered, true, true, {}, {"EVision"}),
         "OpenRGB 0.9 has no keyboard to light (EVision left alone)"},
        {report(Answered), "the host software's virtual keyboard only"},
        {report(NoStatus), "through the host software (it is too old to tell more)"},
        {report(NotAnswering), "the host software does not answer"},
    };
    ShellHarness h;
    h.start();
    auto shown = [&] { return h.app->mainWindow.lightingLine->text().toStdString(); };
    EXPECT_EQ(shown(), "Lighting: asking the host software");
    for (const auto& [answer, line] : rows) {
        h.hostStatus.report = answer;
        EXPECT_TRUE(h.waitFor([&] { return shown() == "Lighting: " + line; }, 3)) << shown();
    }
}

} // namespace
} // namespace et::test
