// Frame animations: frames, colors of chosen keys, waits and what each leaves behind.
#include "Animations.h"
#include "DirectorHarness.h"

#include <gtest/gtest.h>

namespace et::test {
namespace {

using Rgb3 = std::array<int, 3>;

constexpr int32_t kEsc = 0x01, kKey1 = 0x02, kKey2 = 0x03, kKey7 = 0x08, kKey8 = 0x09;
constexpr int32_t kQ = 0x10, kE = 0x12, kTab = 0x0F, kF9 = 0x43, kNumLock = 0x45;
constexpr int32_t kInsert = 0x152, kNumPlus = 0x4E, kNumPad7 = 0x47, kNumPad9 = 0x49;
constexpr int32_t kKey3 = 0x04;

const Rgb3 kProfileColor{1, 2, 3};
const Rgb3 kWhite{255, 255, 255};

class AnimationsTest : public ::testing::Test {
  protected:
    AnimationsTest() {
        profile = blankBitmap();
        for (const KeyCell& cell : keyCells())
            paintCell(profile, cell.offset(), 1, 2, 3);
        h.lighting.clear();
    }

    std::vector<std::string> names() const { return h.lighting.names(); }
    std::vector<LightingBitmap> bitmaps() const { return sentBitmaps(h.lighting.calls); }

    DirectorHarness h;
    Animations animations{h.lighting, h.runLoop, h.frames};
    LightingBitmap profile;
};

// The whole-keyboard colors a call list sent, as percentages.
std::vector<Rgb3> wholeColors(const std::vector<LightingCall>& calls) {
    std::vector<Rgb3> out;
    for (const auto& c : calls)
        if (c.name == "setLighting")
            out.push_back({int(c.args[0]), int(c.args[1]), int(c.args[2])});
    return out;
}

TEST_F(AnimationsTest, RowSweepUpEntersWithItsDimEdgeAndNeverLightsRowZero) {
    animations.rowSweep(1, SweepDirection::up, profile, false);

    EXPECT_EQ(h.lighting.calls.front(), (LightingCall{"setTargetDevice", {7}, {}}));
    const auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(6, 80));
    const Rgb3 bright{255, 230, 0}, dim{128, 118, 50};

    // First frame: row 5 dim, nothing else.
    EXPECT_EQ(cellColor(frames[0], 5, 3), dim);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(cellColor(frames[0], row, 0), kProfileColor) << row;
    // Last frame: row 1 bright between two dim rows.
    EXPECT_EQ(cellColor(frames[5], 0, 7), dim);
    EXPECT_EQ(cellColor(frames[5], 1, 7), bright);
    EXPECT_EQ(cellColor(frames[5], 2, 7), dim);
    EXPECT_EQ(cellColor(frames[5], 3, 7), kProfileColor);
    for (size_t f = 0; f < 6; ++f)
        EXPECT_NE(cellColor(frames[f], 0, 0), bright) << f;
    // Cells that belong to no key are painted with their row.
    EXPECT_EQ(cellColor(frames[5], 1, 20), bright);
    EXPECT_EQ(frames.back(), profile);
    EXPECT_EQ(names().back(), "setLightingFromBitmap");
}

TEST_F(AnimationsTest, RowSweepDownVisitsEveryRowBright) {
    animations.rowSweep(3, SweepDirection::down, profile, false);
    const auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 7u);
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(cellColor(frames[p], p, 2), (Rgb3{202, 81, 0})) << p;
        if (p > 0) {
            EXPECT_EQ(cellColor(frames[p], p - 1, 2), (Rgb3{94, 39, 0}));
        }
        if (p < 5) {
            EXPECT_EQ(cellColor(frames[p], p + 1, 2), (Rgb3{94, 39, 0}));
        }
    }
    // Each frame starts from the profile: nothing is left over from the one before.
    EXPECT_EQ(cellColor(frames[3], 0, 2), kProfileColor);
}

TEST_F(AnimationsTest, RowSweepInSingleColorModeFlashesTheWholeKeyboard) {
    h.frames.useSingleColorMode = true;
    animations.rowSweep(1, SweepDirection::down, profile, true);
    const std::vector<LightingCall> expected{
        {"setTargetDevice", {7}, {}},
        {"setTargetDevice", {7}, {}},
        {"setLighting", {0, 0, 0}, {}},
        {"wait", {200}, {}},
        {"setTargetDevice", {7}, {}},
        {"setLighting", {100, 90, 0}, {}},
        {"wait", {100}, {}},
        {"setTargetDevice", {7}, {}},
        {"setLighting", {0, 0, 0}, {}},
        {"wait", {100}, {}},
        {"setTargetDevice", {7}, {}},
        {"setLighting", {100, 90, 0}, {}},
        {"wait", {100}, {}},
    };
    EXPECT_EQ(h.lighting.calls, expected);
}

TEST_F(AnimationsTest, StreamAFlowsOutwardThenIsWipedFromTheTopRow) {
    animations.colorStream(ColorStream::A, profile, false);
    const auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 26u + 6u);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(32, 75));

    // Frame 0: only the center band has a color; the markers leave the rest alone.
    EXPECT_EQ(keyColor(frames[0], kF9), kWhite);
    EXPECT_EQ(keyColor(frames[0], kEsc), kProfileColor);
    EXPECT_EQ(keyColor(frames[0], kQ), kProfileColor);
    // Frame 3: the white has reached the outer bands.
    EXPECT_EQ(keyColor(frames[3], kEsc), kWhite);
    // Frame 4: the red entry is at the center.
    EXPECT_EQ(keyColor(frames[4], kF9), (Rgb3{255, 25, 25}));

    // Closing frame r restores rows 0..r of the profile on the stream's last picture.
    const LightingBitmap& lastStream = frames[25];
    for (int r = 0; r < 6; ++r) {
        const LightingBitmap& f = frames[26 + static_cast<size_t>(r)];
        EXPECT_EQ(cellColor(f, r, 0), kProfileColor);
        if (r < 5) {
            EXPECT_EQ(cellColor(f, r + 1, 0), cellColor(lastStream, r + 1, 0));
        }
    }
    EXPECT_EQ(frames.back(), profile);
    EXPECT_EQ(h.lighting.calls[h.lighting.calls.size() - 13],
              (LightingCall{"setTargetDevice", {7}, {}}));
}

TEST_F(AnimationsTest, StreamFInSingleColorModeShowsItsTwentyFourCenterColors) {
    h.frames.useSingleColorMode = true;
    animations.colorStream(ColorStream::F, profile, true);
    EXPECT_TRUE(bitmaps().empty());
    const auto colors = wholeColors(h.lighting.calls);
    ASSERT_EQ(colors.size(), 24u);
    EXPECT_EQ(colors.front(), (Rgb3{100, 9, 9})); // (255, 25, 25)
    EXPECT_EQ(colors[1], (Rgb3{19, 11, 0}));      // (50, 30, 0)
    EXPECT_EQ(colors.back(), (Rgb3{100, 86, 0})); // (255, 220, 0)
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(24, 65));
    // No closing frames.
    EXPECT_EQ(h.lighting.calls.back(), (LightingCall{"setTargetDevice", {7}, {}}));
}

TEST_F(AnimationsTest, StreamsFAndNCloseWithFourFramesAndARestore) {
    animations.colorStream(ColorStream::F, profile, false);
    auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 24u + 4u + 1u);
    // First closing frame: gold everywhere except the red center band.
    EXPECT_EQ(keyColor(frames[24], kEsc), (Rgb3{255, 220, 0}));
    EXPECT_EQ(keyColor(frames[24], kF9), (Rgb3{255, 25, 25}));
    // Last closing frame: only the outer bands, red, on a fresh copy of the profile.
    EXPECT_EQ(keyColor(frames[27], kEsc), (Rgb3{255, 25, 25}));
    EXPECT_EQ(keyColor(frames[27], kF9), kProfileColor);
    EXPECT_EQ(frames.back(), profile);

    h.lighting.clear();
    animations.colorStream(ColorStream::n, profile, false);
    frames = bitmaps();
    ASSERT_EQ(frames.size(), 15u + 4u + 1u);
    EXPECT_EQ(keyColor(frames[15], kEsc), (Rgb3{90, 148, 255}));
    EXPECT_EQ(keyColor(frames[15], kF9), kWhite);
    EXPECT_EQ(keyColor(frames[18], kEsc), kWhite);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(19, 65));
}

TEST_F(AnimationsTest, StripesPaintTheBoundaryKeyWithTheLaterBand) {
    animations.stripes(profile, false);
    const auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 19u + 1u);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(19, 75));
    // f = −9: only band 0, blue.
    EXPECT_EQ(keyColor(frames[0], kEsc), (Rgb3{0, 0, 255}));
    EXPECT_EQ(keyColor(frames[0], kE), kProfileColor);
    // f = 0: the 2 key sits on bands 0 and 1 and shows the blue of band 1, painted last.
    EXPECT_EQ(keyColor(frames[9], kKey2), (Rgb3{0, 0, 255}));
    EXPECT_EQ(keyColor(frames[9], kKey1), kWhite);
    EXPECT_EQ(frames.back(), profile);
}

TEST_F(AnimationsTest, StripesInSingleColorModeAlternateGreyAndBlue) {
    h.frames.useSingleColorMode = true;
    animations.stripes(profile, true);
    const auto colors = wholeColors(h.lighting.calls);
    const std::vector<Rgb3> expected{{80, 80, 80}, {0, 0, 100},  {80, 80, 80},
                                     {0, 0, 100},  {80, 80, 80}, {0, 0, 100}};
    EXPECT_EQ(colors, expected);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(6, 150));
    EXPECT_TRUE(bitmaps().empty());
}

TEST_F(AnimationsTest, CheckerboardRollsDownAndRestoresInBothModes) {
    animations.checkerboard(profile, false);
    auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 15u + 1u);
    const Rgb3 cyan{0, 255, 255};
    // f = −6: row 0 only, even columns.
    EXPECT_EQ(cellColor(frames[0], 0, 0), cyan);
    EXPECT_EQ(cellColor(frames[0], 0, 1), kProfileColor);
    EXPECT_EQ(cellColor(frames[0], 0, 18), cyan);
    EXPECT_EQ(cellColor(frames[0], 0, 20), cellColor(profile, 0, 20));
    EXPECT_EQ(cellColor(frames[0], 1, 1), kProfileColor);
    // f = 4 (frame 10): rows 1 to 5 on, row 0 off; odd rows on odd columns up to 19.
    EXPECT_EQ(cellColor(frames[10], 0, 0), kProfileColor);
    EXPECT_EQ(cellColor(frames[10], 1, 19), cyan);
    EXPECT_EQ(cellColor(frames[10], 1, 0), kProfileColor);
    EXPECT_EQ(cellColor(frames[10], 5, 1), cyan);
    // f = 8: only row 5.
    EXPECT_EQ(cellColor(frames[14], 4, 0), kProfileColor);
    EXPECT_EQ(cellColor(frames[14], 5, 1), cyan);
    EXPECT_EQ(frames.back(), profile);

    h.lighting.clear();
    h.frames.useSingleColorMode = true;
    animations.checkerboard(profile, true);
    const auto colors = wholeColors(h.lighting.calls);
    ASSERT_EQ(colors.size(), 15u);
    EXPECT_EQ(colors[0], (Rgb3{0, 24, 24})); // (8 − 6) × 31 / 255
    EXPECT_EQ(colors[6], (Rgb3{0, 97, 97})); // f = 0: 248 / 255
    EXPECT_EQ(bitmaps(), std::vector<LightingBitmap>{profile});
}

TEST_F(AnimationsTest, RainbowRowsAppearTopToBottom) {
    animations.rainbow(profile, false);
    auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 10u + 1u);
    EXPECT_EQ(cellColor(frames[0], 0, 4), (Rgb3{255, 0, 0}));
    EXPECT_EQ(cellColor(frames[0], 1, 4), cellColor(profile, 1, 4));
    EXPECT_EQ(cellColor(frames[9], 0, 4), kProfileColor);
    EXPECT_EQ(cellColor(frames[9], 3, 4), kProfileColor);
    EXPECT_EQ(cellColor(frames[9], 4, 4), (Rgb3{0, 90, 255}));
    EXPECT_EQ(cellColor(frames[9], 5, 4), (Rgb3{128, 0, 255}));

    h.lighting.clear();
    h.frames.useSingleColorMode = true;
    animations.rainbow(profile, true);
    const std::vector<Rgb3> expected{{100, 0, 0}, {100, 50, 0},  {100, 100, 0},
                                     {0, 100, 0}, {0, 100, 100}, {50, 0, 50}};
    EXPECT_EQ(wholeColors(h.lighting.calls), expected);
    EXPECT_TRUE(bitmaps().empty());
}

TEST_F(AnimationsTest, FiveColorSweepRunsTheHeadRightAndWithdrawsTheTrail) {
    animations.fiveColorSweep(SweepPalette::N, profile, false);
    const auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 6u + 5u + 1u);
    const Rgb3 head{255, 255, 0}, trail{230, 204, 153};
    EXPECT_EQ(keyColor(frames[0], kE), head);  // band 1 (120–240)
    EXPECT_EQ(keyColor(frames[0], kQ), trail); // band 0
    EXPECT_EQ(keyColor(frames[0], kInsert), kProfileColor);
    // The working copy keeps the trail: in frame 6 all bands are trail, no head left.
    EXPECT_EQ(keyColor(frames[5], kQ), trail);
    EXPECT_EQ(keyColor(frames[5], kNumPlus), trail);
    // Withdrawing: frame j paints bands j..5 on a fresh copy.
    EXPECT_EQ(keyColor(frames[6], kQ), kProfileColor);
    EXPECT_EQ(keyColor(frames[6], kE), trail);
    EXPECT_EQ(keyColor(frames[10], kInsert), kProfileColor);
    EXPECT_EQ(keyColor(frames[10], kNumPlus), trail);
    EXPECT_EQ(frames.back(), profile);

    h.lighting.clear();
    h.frames.useSingleColorMode = true;
    animations.fiveColorSweep(SweepPalette::L, profile, true);
    const std::vector<Rgb3> expected{{20, 50, 50}, {40, 70, 70}, {60, 90, 90}};
    EXPECT_EQ(wholeColors(h.lighting.calls), expected);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(3, 170));
}

TEST_F(AnimationsTest, BannerStaysOnAWhiteFrame) {
    animations.banner(Color::red_());
    ASSERT_GE(h.lighting.calls.size(), 5u);
    EXPECT_EQ(h.lighting.calls[0], (LightingCall{"setTargetDevice", {4}, {}}));
    EXPECT_EQ(h.lighting.calls[1], (LightingCall{"setLighting", {100, 0, 0}, {}}));
    EXPECT_EQ(h.lighting.calls[2], (LightingCall{"setTargetDevice", {7}, {}}));
    EXPECT_EQ(h.lighting.calls[4], (LightingCall{"wait", {1250}, {}}));
    EXPECT_EQ(h.lighting.calls.size(), 5u);
    const LightingBitmap frame = bitmaps().front();
    EXPECT_EQ(cellColor(frame, 0, 5), kWhite);
    EXPECT_EQ(cellColor(frame, 2, 10), (Rgb3{255, 0, 0}));
    EXPECT_EQ(cellColor(frame, 3, 10), (Rgb3{255, 0, 0}));
    EXPECT_EQ(keyColor(frame, kTab), kWhite);                // row 2, band 0
    EXPECT_EQ(keyColor(frame, kNumPad9), kWhite);            // row 2, band 7 (689)
    EXPECT_EQ(keyColor(frame, kNumPad7), (Rgb3{255, 0, 0})); // 623: band 6
    EXPECT_EQ(cellColor(frame, 5, 10), kWhite);
}

TEST_F(AnimationsTest, CenterBurstOpensOutwardOnThePerKeyDevices) {
    animations.centerBurst(profile);
    EXPECT_EQ(h.lighting.calls.front(), (LightingCall{"setTargetDevice", {4}, {}}));
    EXPECT_EQ(h.lighting.calls.back(), (LightingCall{"setTargetDevice", {7}, {}}));
    const auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 4u + 1u);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(4, 65));
    const Rgb3 burst{200, 230, 255};
    EXPECT_EQ(keyColor(frames[0], kKey8), burst); // 270: band 3 starts there
    EXPECT_EQ(keyColor(frames[0], kKey7), kProfileColor);
    EXPECT_EQ(keyColor(frames[3], kEsc), burst);
    EXPECT_EQ(keyColor(frames[3], kKey8), kProfileColor);
    EXPECT_EQ(frames.back(), profile);
}

TEST_F(AnimationsTest, FadeToDarkLeavesOnlyEscLitAndFadeBackLeavesColumnSevenDark) {
    animations.fadeToDark(profile);
    auto frames = bitmaps();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(waits(h.lighting.calls), std::vector<int64_t>(7, 60));
    const Rgb3 black{0, 0, 0};
    EXPECT_EQ(keyColor(frames[0], kNumPlus), black);
    EXPECT_EQ(keyColor(frames[0], kNumLock), kProfileColor);
    EXPECT_EQ(keyColor(frames[6], kNumLock), black);
    EXPECT_EQ(keyColor(frames[6], kEsc), kProfileColor); // band 0 is never painted
    const std::vector<LightingCall> closing{{"setTargetDevice", {4}, {}},
                                            {"setLighting", {0, 0, 0}, {}},
                                            {"setLightingForKey", {0x01, 50, 100, 50}, {}}};
    EXPECT_TRUE(std::equal(closing.begin(), closing.end(), h.lighting.calls.end() - 3));

    h.lighting.clear();
    animations.fadeBack(profile);
    frames = bitmaps();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(keyColor(frames[0], kKey3), black); // band 1 (90–180)
    EXPECT_EQ(keyColor(frames[0], kEsc), kProfileColor);
    EXPECT_EQ(keyColor(frames[6], kNumPlus), black);
    EXPECT_EQ(keyColor(frames[6], kNumLock), kProfileColor);
    EXPECT_EQ(h.lighting.calls.back().name, "wait");
}

TEST_F(AnimationsTest, BlackAndWhiteFlashEndsBlack) {
    animations.blackAndWhiteFlash();
    const std::vector<Rgb3> expected{
        {0, 0, 0}, {100, 100, 100}, {0, 0, 0}, {100, 100, 100}, {0, 0, 0}};
    EXPECT_EQ(wholeColors(h.lighting.calls), expected);
    EXPECT_EQ(waits(h.lighting.calls), (std::vector<int64_t>{200, 100, 100, 100, 100}));
    EXPECT_EQ(h.lighting.calls.back(), (LightingCall{"setTargetDevice", {7}, {}}));
}

TEST_F(AnimationsTest, WaitsKeepTheLoopRunning) {
    int fired = 0;
    h.clock.after(0.1, [&] { ++fired; });
    h.clock.after(2.0, [&] { ++fired; });
    animations.colorStream(ColorStream::A, profile, false);
    EXPECT_EQ(fired, 2); // 32 frames of 0.075 s = 2.4 s
}

} // namespace
} // namespace et::test
