// The main window's lighting line: what it says for each answer of the host, and that it
// follows a change within a few seconds.
#include "ShellHarness.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace et::test {
namespace {

TEST(LightingLineTest, SaysWhereTheLightingGoesAndFollowsTheHost) {
    using Reach = HostReport::Reach;
    auto reached = [](Reach reach) {
        HostReport r;
        r.reach = reach;
        return r;
    };
    HostReport openrgb = reached(Reach::Answered);
    openrgb.openrgb = openrgb.openrgbConnected = true;
    openrgb.openrgbLine = "OpenRGB 0.9";
    openrgb.lit = {"Debug Keyboard ISO"};
    HostReport two = openrgb, none = openrgb, alone = openrgb, down = openrgb, both = openrgb,
               virtualOnly = reached(Reach::Answered);
    two.lit = {"Full 104 key ", "Keypad", "K2"};
    none.lit = {};
    alone.lit = {}, alone.leftAlone = {"EVision"};
    down.openrgbConnected = false;
    both.virtualKeyboard = virtualOnly.virtualKeyboard = true;
    const struct {
        HostReport report;
        const char* line;
    } rows[] = {
        {openrgb, "Lighting: Debug Keyboard ISO through OpenRGB 0.9"},
        {reached(Reach::NoHost), "Lighting: the host software is not running"},
        {down, "Lighting: OpenRGB is not running"},
        {two, "Lighting: Full 104 key, Keypad and K2 through OpenRGB 0.9"},
        {both, "Lighting: Debug Keyboard ISO through OpenRGB 0.9"},
        {none, "Lighting: OpenRGB 0.9 has no keyboard to light"},
        {alone, "Lighting: OpenRGB 0.9 has no keyboard to light (EVision left alone)"},
        {virtualOnly, "Lighting: the host software's virtual keyboard only"},
        {reached(Reach::NoStatus), "Lighting: through the host software (it is too old to tell more)"},
        {reached(Reach::NotAnswering), "Lighting: the host software does not answer"},
    };
    ShellHarness h;
    h.start();
    EXPECT_EQ(h.app->mainWindow.lightingLine->text().toStdString(),
              "Lighting: asking the host software");
    for (const auto& row : rows) {
        h.hostStatus.report = row.report;
        EXPECT_TRUE(h.waitFor(
            [&] { return h.app->mainWindow.lightingLine->text().toStdString() == row.line; }, 3))
            << row.line << " <> " << h.app->mainWindow.lightingLine->text().toStdString();
    }
}

} // namespace
} // namespace et::test
